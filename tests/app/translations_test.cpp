#include "apptest.h"

#include "app/forms/comment.h"
#include "app/misc/cmenu.h"
#include "app/misc/language.h"
#include "app/tab/setting.h"
#include "core/Orvex/Exception.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>

namespace {

TEST(UiLanguage, ChosenFromTheLocaleAndTheFirstUiLanguage) {
    struct Row {
        const char *name;
        const char *lcAll, *lcMessages, *lang;
        const char *uiLanguage;
        UiLanguage expected;
    };
    const Row rows[] = {
        {"English locale", nullptr, nullptr, "en_US.UTF-8", "en-US", UiLanguage::English},
        {"German locale", nullptr, nullptr, "de_DE.UTF-8", "de-DE", UiLanguage::English},
        {"Japanese locale", nullptr, nullptr, "ja_JP.UTF-8", "ja-JP", UiLanguage::Japanese},
        {"Japanese first among the UI languages", nullptr, nullptr, "en_US.UTF-8", "ja",
         UiLanguage::Japanese},
        {"C", nullptr, nullptr, "C", "C", UiLanguage::Japanese},
        {"C with UTF-8", nullptr, nullptr, "C.UTF-8", "en-US", UiLanguage::Japanese},
        {"POSIX", nullptr, nullptr, "POSIX", "C", UiLanguage::Japanese},
        {"nothing set is C", nullptr, nullptr, nullptr, "C", UiLanguage::Japanese},
        {"empty values count as not set", "", "", "", "C", UiLanguage::Japanese},
        {"LC_ALL before LANG", "C", nullptr, "en_US.UTF-8", "en-US", UiLanguage::Japanese},
        {"LC_ALL before LC_MESSAGES", "en_GB.UTF-8", "C", nullptr, "en-GB", UiLanguage::English},
        {"LC_MESSAGES before LANG", nullptr, "POSIX", "en_US.UTF-8", "en-US", UiLanguage::Japanese},
        {"an empty LC_ALL gives way", "", "en_US.UTF-8", "C", "en-US", UiLanguage::English},
    };
    for (const Row &row : rows)
        EXPECT_EQ(chooseLanguage(row.lcAll, row.lcMessages, row.lang, row.uiLanguage), row.expected)
            << row.name;
}

// The messages of a translation file: how many, and those whose translation is missing,
// empty or marked (unfinished, vanished, obsolete).
struct TsFile {
    int messages = 0;
    QStringList untranslated;
};

TsFile readTs(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    TsFile ts;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        // A carriage return is written as an element of its own inside the text.
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == QLatin1String("translation")) {
            ++ts.messages;
            const bool marked = xml.attributes().hasAttribute("type");
            if (xml.readElementText(QXmlStreamReader::IncludeChildElements).isEmpty() || marked)
                ts.untranslated << source;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return ts;
}

// lupdate over the sources, run on a copy of the translation file, finds no text the file
// lacks: a new text would come in unfinished.
TEST(Translations, EveryTextOfTheSourcesHasAnEnglishTranslation) {
    const TsFile committed = readTs(TS_FILE);
    EXPECT_GT(committed.messages, 50);
    EXPECT_EQ(committed.untranslated, QStringList());

    QTemporaryDir dir;
    const QString copy = dir.filePath("remarkist_en.ts");
    ASSERT_TRUE(QFile::copy(TS_FILE, copy));
    QProcess lupdate;
    lupdate.start(LUPDATE, {"-silent", "-locations", "none", "-no-obsolete", APP_SOURCES, "-ts", copy});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const TsFile updated = readTs(copy);
    EXPECT_EQ(updated.messages, committed.messages);
    EXPECT_EQ(updated.untranslated, QStringList()) << "texts new to the translation file";
}

// The whole window in one language, every page built.
class LanguageWindow : public WindowTest {
protected:
    void start(UiLanguage language) {
        testApplication();
        useLanguage(language);
        WindowTest::SetUp();
        window->show();
    }
    void TearDown() override {
        WindowTest::TearDown();
        useLanguage(UiLanguage::Japanese);
    }
    void SetUp() override {}

    // Selects each tab in turn, laid out at its window size, and calls f on every visible
    // widget of the window.
    void forEachVisibleWidget(const std::function<void(QWidget *)> &f) {
        for (int tab = 0; tab < window->tabs()->count(); ++tab) {
            window->tabs()->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            for (QWidget *w : window->findChildren<QWidget *>())
                if (w->isVisible())
                    f(w);
        }
    }
};

// The texts a widget shows that the program wrote (typed texts and dates are the user's).
QStringList shownTexts(QWidget *w) {
    QStringList texts;
    if (auto *label = qobject_cast<QLabel *>(w))
        texts << label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        texts << button->text();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        texts << group->title();
    if (auto *bar = qobject_cast<QTabBar *>(w))
        for (int i = 0; i < bar->count(); ++i)
            texts << bar->tabText(i);
    if (auto *header = qobject_cast<QHeaderView *>(w))
        for (int i = 0; i < header->count(); ++i)
            texts << header->model()->headerData(i, header->orientation()).toString();
    if (auto *box = qobject_cast<QPlainTextEdit *>(w))
        texts << box->toPlainText();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    if (auto *menu = w->findChild<MyTextContextMenu *>(QString(), Qt::FindDirectChildrenOnly)) {
        menu->onPopup();
        for (const QAction *item : menu->actions())
            texts << item->text();
    }
    if (w->isWindow())
        texts << w->windowTitle();
    return texts;
}

bool hasJapanese(const QString &text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x30ff) || (u >= 0x4e00 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef);
    });
}

TEST_F(LanguageWindow, EnglishShowsNoJapaneseText) {
    start(UiLanguage::English);
    int checked = 0;
    forEachVisibleWidget([&](QWidget *w) {
        for (const QString &text : shownTexts(w)) {
            EXPECT_FALSE(hasJapanese(text))
                << w->metaObject()->className() << " " << w->accessibleName().toStdString() << ": "
                << text.toStdString();
            ++checked;
        }
    });
    EXPECT_GT(checked, 100);

    QTabBar *bar = window->tabs()->tabBar();
    EXPECT_EQ(QStringList({bar->tabText(0), bar->tabText(1), bar->tabText(2), bar->tabText(3)}),
              QStringList({"Function", "Class", "File", "Settings"}));
    const std::pair<const char *, const char *> buttons[] = {{"params.insert", "Add"},
                                                             {"params.change", "Set"},
                                                             {"clipboard", "Clipboard"},
                                                             {"cancel", "Cancel"},
                                                             {"setting.apply", "Apply"}};
    for (const auto &[name, text] : buttons)
        EXPECT_EQ(control<QPushButton>(window.get(), name)->text(), text);
    EXPECT_TRUE(Comment::hintText().endsWith("\r\nSuper+C brings this window forward.")) << "the key pressed";

    // The core reports a failed save in Japanese; the dialog gets it in English.
    QFile file("setting.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner));
    try {
        window->settingPage()->applyAndSave();
        ADD_FAILURE() << "no error";
    } catch (const Orvex::Exception &e) {
        EXPECT_STREQ(e.what(), "The settings file could not be saved.");
    }
}

// Whether the widget shows its whole text at its size. Texts are single lines, except the
// comment hint, which wraps.
bool textFits(QWidget *w) {
    const QFontMetrics metrics = w->fontMetrics();
    const auto width = [&](const QString &text) {
        return metrics.horizontalAdvance(QString(text).remove('&'));
    };
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect contents = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
        return width(button->text()) <= contents.width();
    }
    if (qobject_cast<QRadioButton *>(w) || qobject_cast<QCheckBox *>(w))
        return w->sizeHint().width() <= w->width();
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field =
            w->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w);
        for (int i = 0; i < combo->count(); ++i)
            if (width(combo->itemText(i)) > field.width())
                return false;
    }
    if (auto *label = qobject_cast<QLabel *>(w))
        return width(label->text()) <= label->contentsRect().width();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return width(group->title()) + 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) <=
               w->width();
    if (auto *header = qobject_cast<QHeaderView *>(w)) {
        const int margin = w->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, w);
        for (int i = 0; i < header->count(); ++i)
            if (width(header->model()->headerData(i, header->orientation()).toString()) + 2 * margin >
                header->sectionSize(i))
                return false;
    }
    return true;
}

TEST_F(LanguageWindow, NoTextIsCutOffInEitherLanguage) {
    for (UiLanguage language : {UiLanguage::Japanese, UiLanguage::English}) {
        SCOPED_TRACE(language == UiLanguage::English ? "English" : "Japanese");
        start(language);
        forEachVisibleWidget([](QWidget *w) {
            EXPECT_TRUE(textFits(w)) << w->metaObject()->className() << " "
                                     << w->accessibleName().toStdString() << " "
                                     << shownTexts(w).join('|').toStdString() << " width " << w->width();
        });
        TearDown();
    }
}

} // namespace
