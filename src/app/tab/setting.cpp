#include "app/tab/setting.h"

#include "app/AppMain.h"
#include "app/misc/dock.h"
#include "core/Orvex/Exception.h"
#include "core/common/languagerule.h"
#include "core/common/settingrecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

using Dock = DockLayout::Dock;

namespace {

// Docks a new child into `layout` and names it for accessibility tools and desktop tests.
template <class W> W *dock(DockLayout *layout, W *widget, Dock side, int size, const char *name = nullptr) {
    if (name)
        widget->setAccessibleName(QString::fromLatin1(name));
    layout->dock(widget, side, size);
    return widget;
}

// An empty container with its own docking layout.
DockLayout *container(DockLayout *parent, Dock side, int size) {
    return new DockLayout(dock(parent, new QWidget, side, size));
}

DockLayout *groupBox(DockLayout *parent, const QString &title, int height = DefaultSize::groupBoxHeight) {
    return new DockLayout(dock(parent, new QGroupBox(title), Dock::Top, height));
}

QRadioButton *radio(DockLayout *group, const QString &text, const char *name) {
    return dock(group, new QRadioButton(text), Dock::Top, DefaultSize::buttonHeight, name);
}

void label(DockLayout *layout, const QString &text, Dock side, int size) {
    dock(layout, new QLabel(text), side, size);
}

// The typed number, with values beyond 32 bits kept large ("99999999999" must not wrap to a
// small number) so that the bounds below catch them.
std::int64_t readNumber(const std::string &text) {
    const WrittenNumber number = readWrittenNumber(text);
    const std::int64_t magnitude = number.above32 ? std::int64_t{1} << 33 : number.low32;
    return number.negative ? -magnitude : magnitude;
}

// The value a number box gives: `empty` for an empty box, else the typed number bounded
// to min..max. A replacement is written back into the box so that the user sees what was
// taken; a number taken as typed keeps its text ("8x" stays "8x").
std::uint32_t takeNumber(QLineEdit *box, const SettingField &field) {
    const QString text = box->text();
    if (text.isEmpty()) {
        const std::uint32_t empty = field.firstStartNumber();
        box->setText(QString::number(empty));
        return empty;
    }
    const std::int64_t typed = readNumber(text.toStdString());
    const auto value = static_cast<std::uint32_t>(std::clamp<std::int64_t>(typed, field.min, field.max));
    if (value != typed)
        box->setText(QString::number(value));
    return value;
}

// Shows a value from its beginning: a long date format is read from the left.
void showText(QLineEdit *box, const QString &text) {
    box->setText(text);
    box->setCursorPosition(0);
}

std::string toStd(const QLineEdit *box) {
    return box->text().toStdString();
}

// The core says why a save failed in Japanese; the user reads it in the program's language.
const char *const saveFailedText = QT_TRANSLATE_NOOP("Setting", "ファイルの保存に失敗しました。");

void saveRecord() {
    try {
        g_settingRecord.Save();
    } catch (const Orvex::Exception &error) {
        if (std::strcmp(error.what(), saveFailedText) != 0)
            throw;
        throw Orvex::Exception(QCoreApplication::translate("Setting", saveFailedText).toStdString());
    }
}

} // namespace

Setting::Setting(QWidget *parent) : Page(parent) {
    setWindowTitle(tr("設定"));
    g_settingRecord.Load();
    if (!mainWindow)
        return;
    const int x = g_settingRecord.windowX();
    const int y = g_settingRecord.windowY();
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QScreen *primary = QGuiApplication::primaryScreen();
    mainWindow->move(reachablePosition({x, y}, mainWindow->frameGeometry().size(), screens,
                                       primary ? primary->geometry() : QRect()));
}

void Setting::buildContents() {
    buildLayout();
    showSettings();
}

void Setting::buildLayout() {
    auto *page = new DockLayout(this);

    DockLayout *left = container(page, Dock::Left, 320);
    DockLayout *comment = groupBox(left, tr("コメント形式"));
    m_commentC = radio(comment, tr("/** doc */スタイル"), "setting.commentStyle.c");
    m_commentJava = radio(comment, tr("/// doc スタイル"), "setting.commentStyle.java");
    m_commentD = radio(comment, tr("/++ doc +/スタイル"), "setting.commentStyle.d");

    DockLayout *document = groupBox(left, tr("ドキュメント形式"));
    m_documentBS = radio(document, tr("\\command スタイル"), "setting.documentStyle.doxygenBS");
    m_documentAT = radio(document, tr("@command スタイル"), "setting.documentStyle.doxygenAT");
    m_documentDDoc = radio(document, tr("DDocCommand : スタイル"), "setting.documentStyle.ddoc");

    DockLayout *spacing = groupBox(left, tr("空白の形式"), 120);
    m_spacingSpace = radio(spacing, tr("スペース"), "setting.spacingStyle.space");
    m_spacingTab = radio(spacing, tr("タブ"), "setting.spacingStyle.tab");
    m_spacingTabSpace =
        radio(spacing, tr("行頭はタブ、それ以外はスペースに変換"), "setting.spacingStyle.tabSpace");
    label(spacing, tr("タブスペース個数"), Dock::Left, 100);
    m_spacingSize = dock(spacing, new QLineEdit, Dock::Left, 50, "setting.spacingSize");

    DockLayout *boxing = groupBox(left, tr("コメントのボックス化"));
    m_boxingHead = dock(boxing, new QCheckBox(tr("先頭部分をボックス化する")), Dock::Top,
                        DefaultSize::buttonHeight, "setting.boxingHeadStyle");
    m_boxingFoot = dock(boxing, new QCheckBox(tr("終端部分をボックス化する")), Dock::Top,
                        DefaultSize::buttonHeight, "setting.boxingFootStyle");
    DockLayout *boxRow = container(boxing, Dock::Top, 20);
    label(boxRow, tr("ボックスのサイズ"), Dock::Left, 100);
    m_boxingSize = dock(boxRow, new QLineEdit, Dock::Left, 50, "setting.boxingSize");

    DockLayout *right = container(page, Dock::Fill, 0);
    DockLayout *date = groupBox(right, tr("日付設定"), 200);
    for (const QString &text :
         QStringList{tr("日付のフォーマットを入力"), tr("使用できるフォーマットは以下のとおり"),
                     "%Y2% %Y4% %M% %M2% %Men% %M[...]%", "%D% %D2% %Wen% %Wjp% %W[...]%",
                     "%H% %H2% %MI% %MI2% %S% %S2%"})
        label(date, text, Dock::Top, DefaultSize::labelHeight);
    m_dateFormat = dock(date, new QLineEdit, Dock::Top, DefaultSize::textBoxHeight, "setting.dateFormat");

    DockLayout *other = groupBox(right, tr("その他設定"));
    DockLayout *copyrightRow = container(other, Dock::Top, 20);
    label(copyrightRow, tr("著作権表示"), Dock::Left, 100);
    m_copyright = dock(copyrightRow, new QLineEdit, Dock::Fill, 0, "setting.copyright");
    DockLayout *authorRow = container(other, Dock::Top, 20);
    label(authorRow, tr("作者"), Dock::Left, 100);
    m_author = dock(authorRow, new QLineEdit, Dock::Fill, 0, "setting.author");
    dock(other, new QLabel(versionText()), Dock::Top, DefaultSize::labelHeight, "setting.version");

    DockLayout *languages = groupBox(right, tr("言語ごとの設定"), 60);
    DockLayout *languageRow = container(languages, Dock::Top, DefaultSize::textBoxHeight);
    label(languageRow, tr("対象"), Dock::Left, 100);
    m_language = dock(languageRow, new QComboBox, Dock::Fill, 0, "setting.language");
    m_language->addItem(tr("すべての言語"));
    for (const char *name : {"C", "C++", "D", "Java"})
        m_language->addItem(QString::fromLatin1(name));
    connect(m_language, &QComboBox::currentIndexChanged, this, &Setting::selectLanguage);

    // Docked right in this order, so the row reads "適用", gap, "やり直し", gap.
    DockLayout *buttons = container(container(right, Dock::Bottom, 30), Dock::Top, 20);
    dock(buttons, new QWidget, Dock::Right, 10);
    auto *reload = dock(buttons, new QPushButton(tr("やり直し")), Dock::Right, DefaultSize::buttonWidth,
                        "setting.reload");
    dock(buttons, new QWidget, Dock::Right, 10);
    auto *apply =
        dock(buttons, new QPushButton(tr("適用")), Dock::Right, DefaultSize::buttonWidth, "setting.apply");
    connect(reload, &QPushButton::clicked, this, &Setting::reloadSettings);
    connect(apply, &QPushButton::clicked, this, &Setting::applyAndSave);
}

void Setting::showCommentStyle(SettingData::CommentStyle value) {
    using enum SettingData::CommentStyle;
    (value == C ? m_commentC : value == Java ? m_commentJava : m_commentD)->setChecked(true);
}

void Setting::showDocumentStyle(SettingData::DocumentStyle value) {
    using enum SettingData::DocumentStyle;
    (value == DoxygenBS   ? m_documentBS
     : value == DoxygenAT ? m_documentAT
                          : m_documentDDoc)
        ->setChecked(true);
}

void Setting::showSpacingStyle(SettingData::SpacingStyle value) {
    using enum SettingData::SpacingStyle;
    (value == Tab ? m_spacingTab : value == Space ? m_spacingSpace : m_spacingTabSpace)->setChecked(true);
}

void Setting::showSpacingSize(std::uint32_t value) {
    showText(m_spacingSize, QString::number(value));
}
void Setting::showBoxingHeadStyle(bool flag) {
    m_boxingHead->setChecked(flag);
}
void Setting::showBoxingFootStyle(bool flag) {
    m_boxingFoot->setChecked(flag);
}
void Setting::showBoxingSize(std::uint32_t value) {
    showText(m_boxingSize, QString::number(value));
}
void Setting::showDateFormat(const std::string &text) {
    showText(m_dateFormat, QString::fromStdString(text));
}
void Setting::showCopyright(const std::string &text) {
    showText(m_copyright, QString::fromStdString(text));
}
void Setting::showAuthor(const std::string &text) {
    showText(m_author, QString::fromStdString(text));
}

void Setting::reloadSettings() {
    g_settingRecord.Load();
    // Controls made later show the record as it is then.
    if (isBuilt())
        showSettings();
}

void Setting::showSettings() {
    const CSettingData &r = g_settingRecord;
    // A language shows what its comments are written in: its own choice, or what it follows.
    const SettingValues shown = m_shown ? r.settingsFor(*m_shown) : SettingValues(r);
    showCommentStyle(shown.commentStyle());
    showDocumentStyle(shown.documentStyle());
    showSpacingStyle(shown.spacingStyle());
    showSpacingSize(shown.spacingSize());
    showBoxingHeadStyle(shown.boxingHeadStyle());
    showBoxingFootStyle(shown.boxingFootStyle());
    showBoxingSize(shown.boxingSize());
    showDateFormat(r.dateFormat());
    showCopyright(r.copyright());
    showAuthor(r.author());
    enableChoices();
}

void Setting::enableChoices() {
    using CS = SettingData::CommentStyle;
    using DS = SettingData::DocumentStyle;
    const auto holds = [this](CS comment, DS syntax) {
        SettingValues probe;
        probe.m_commentStyle = comment;
        probe.m_documentStyle = syntax;
        if (m_shown)
            fitToLanguage(probe, *m_shown);
        return probe.m_commentStyle == comment && probe.m_documentStyle == syntax;
    };
    m_commentC->setEnabled(holds(CS::C, DS::DoxygenAT));
    m_commentJava->setEnabled(holds(CS::Java, DS::DoxygenAT));
    m_commentD->setEnabled(holds(CS::D, DS::DoxygenAT));
    m_documentBS->setEnabled(holds(CS::C, DS::DoxygenBS));
    m_documentAT->setEnabled(holds(CS::C, DS::DoxygenAT));
    m_documentDDoc->setEnabled(holds(CS::C, DS::DDoc));
}

void Setting::selectLanguage(int index) {
    build();
    // Chosen in the selector, this comes back through its signal.
    if (m_language->currentIndex() != index) {
        m_language->setCurrentIndex(index);
        return;
    }
    applySettings();
    m_shown = index <= 0 ? std::nullopt : std::optional(allLanguages[static_cast<std::size_t>(index - 1)]);
    showSettings();
}

void Setting::applySettings() {
    using CS = SettingData::CommentStyle;
    using DS = SettingData::DocumentStyle;
    using SS = SettingData::SpacingStyle;
    build();
    CSettingData &r = g_settingRecord;
    // For one language the controls give its settings, kept where they differ from all languages'.
    SettingValues chosen = r;
    SettingValues &v = m_shown ? chosen : r;
    v.m_commentStyle = m_commentC->isChecked() ? CS::C : m_commentJava->isChecked() ? CS::Java : CS::D;
    v.m_documentStyle = m_documentBS->isChecked()   ? DS::DoxygenBS
                        : m_documentAT->isChecked() ? DS::DoxygenAT
                                                    : DS::DDoc;
    v.m_spacingStyle = m_spacingSpace->isChecked() ? SS::Space
                       : m_spacingTab->isChecked() ? SS::Tab
                                                   : SS::TabSpace;
    v.m_spacingSize = takeNumber(m_spacingSize, settingField("SpacingSize"));
    v.m_boxingHeadStyle = m_boxingHead->isChecked();
    v.m_boxingFootStyle = m_boxingFoot->isChecked();
    v.m_boxingSize = takeNumber(m_boxingSize, settingField("BoxingSize"));
    if (m_shown)
        r.chooseForLanguage(*m_shown, chosen);
    r.m_dateFormat = toStd(m_dateFormat);
    r.m_copyright = toStd(m_copyright);
    r.m_author = toStd(m_author);
}

void Setting::applyAndSave() {
    applySettings();
    saveRecord();
}

void Setting::pageSelected() {
    if (mainWindow)
        mainWindow->setClientSize(640, 480);
}

void Setting::pageDeselected() {
    applySettings();
}

void Setting::windowClosing() {
    reloadSettings();
    if (mainWindow) {
        g_settingRecord.m_setting.opIndexAssign(std::to_string(mainWindow->frameGeometry().left()),
                                                "WindowX");
        g_settingRecord.m_setting.opIndexAssign(std::to_string(mainWindow->frameGeometry().top()), "WindowY");
    }
    saveRecord();
}

QString versionText() {
    std::tm stamp{};
    std::istringstream in("Sun Jun 10 19:21:27 2007");
    in.imbue(std::locale::classic());
    in >> std::get_time(&stamp, "%a %b %d %H:%M:%S %Y");
    stamp.tm_isdst = -1; // whether summer time applied on that day is the time zone's business
    return QCoreApplication::translate("Setting", "バージョン : %1_alpha")
        .arg(static_cast<qint64>(std::mktime(&stamp)));
}

QPoint reachablePosition(QPoint stored, QSize frameSize, const QList<QRect> &screens, QRect primary) {
    const QRect frame(stored, frameSize.expandedTo({1, 1}));
    const bool visible =
        std::any_of(screens.begin(), screens.end(), [&](const QRect &s) { return s.intersects(frame); });
    return visible || screens.isEmpty() ? stored : primary.topLeft();
}
