#include "app/AppMain.h"
#include "app/tab/setting.h"
#include "apptest.h"

#include "core/Orvex/Exception.h"
#include "core/common/settingrecord.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace {

using CS = SettingData::CommentStyle;
using DS = SettingData::DocumentStyle;
using SS = SettingData::SpacingStyle;

// Every test runs in a fresh current directory (setting.dat is opened by its bare name),
// with an empty settings tree and a newly built main window holding the page.
class SettingPage : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        page = window->findChild<Setting *>();
        ASSERT_NE(page, nullptr);
    }

    QLineEdit *box(const char *name) const { return control<QLineEdit>(page, name); }
    QAbstractButton *button(const char *name) const { return control<QAbstractButton>(page, name); }
    void type(const char *name, const QString &text) const { box(name)->setText(text); }
    std::string text(const char *name) const { return box(name)->text().toStdString(); }

    Setting *page = nullptr;
};

struct NumberRow {
    const char *name;
    const char *field;
    QString typed;
    std::uint32_t value;
    std::string shown;
};

class SettingNumbers : public SettingPage {
protected:
    void check(std::initializer_list<NumberRow> rows) {
        for (const NumberRow &row : rows) {
            SCOPED_TRACE(row.name);
            type(row.field, row.typed);
            page->applySettings();
            const bool spacing = std::string(row.field) == "setting.spacingSize";
            EXPECT_EQ(spacing ? g_settingRecord.m_spacingSize : g_settingRecord.m_boxingSize, row.value);
            EXPECT_EQ(text(row.field), row.shown);
        }
    }
};

TEST_F(SettingNumbers, EmptyAndSmallValuesAreReplacedInTheBox) {
    check({
        {"spacing empty", "setting.spacingSize", "", 4, "4"},
        {"spacing zero", "setting.spacingSize", "0", 1, "1"},
        {"spacing negative", "setting.spacingSize", "-3", 1, "1"},
        {"spacing letters", "setting.spacingSize", "abc", 1, "1"},
        {"spacing trailing letters kept as typed", "setting.spacingSize", "8x", 8, "8x"},
        {"spacing hexadecimal", "setting.spacingSize", "0x10", 16, "0x10"},
        {"spacing binary", "setting.spacingSize", "0b101", 5, "0b101"},
        {"spacing octal", "setting.spacingSize", "0O17", 15, "0O17"},
        {"spacing blanks and signs, last sign counts", "setting.spacingSize", " \t-+12", 12, " \t-+12"},
        {"spacing last sign minus", "setting.spacingSize", "+-12", 1, "1"},
        {"spacing prefix without digits", "setting.spacingSize", "0x", 1, "1"},
        {"spacing leading zero", "setting.spacingSize", "07", 7, "07"},
        {"box empty", "setting.boxingSize", "", 100, "100"},
        {"box below minimum", "setting.boxingSize", "2", 3, "3"},
        {"box negative", "setting.boxingSize", "-50", 3, "3"},
        {"box minimum", "setting.boxingSize", "3", 3, "3"},
        {"box full-width digits are not digits", "setting.boxingSize", "１２", 3, "3"},
    });
}

// Regression: neither number had an upper bound, and texts beyond 32 bits wrapped around.
TEST_F(SettingNumbers, RegressionLargeValuesAreBoundedInTheBox) {
    check({
        {"spacing maximum", "setting.spacingSize", "64", 64, "64"},
        {"spacing above maximum", "setting.spacingSize", "65", 64, "64"},
        {"spacing beyond 32 bits", "setting.spacingSize", "99999999999", 64, "64"},
        {"spacing beyond 32 bits negative", "setting.spacingSize", "-99999999999", 1, "1"},
        {"spacing that would wrap to 2", "setting.spacingSize", "4294967298", 64, "64"},
        {"spacing long hexadecimal", "setting.spacingSize", "0xFFFFFFFFFFFFFFFFFFFF", 64, "64"},
        {"box maximum", "setting.boxingSize", "1000", 1000, "1000"},
        {"box above maximum", "setting.boxingSize", "1001", 1000, "1000"},
        {"box that would wrap to 3", "setting.boxingSize", "4294967299", 1000, "1000"},
    });
}

TEST_F(SettingPage, ChoicesGoFromRecordToControlsAndBack) {
    struct Row {
        const char *name;
        const char *control;
        const char *label;
        void (*show)(Setting *);
        bool (*applied)();
    };
    const Row rows[] = {
        {"comment C", "setting.commentStyle.c", "/** doc */スタイル",
         [](Setting *p) { p->showCommentStyle(CS::C); },
         [] { return g_settingRecord.m_commentStyle == CS::C; }},
        {"comment Java", "setting.commentStyle.java", "/// doc スタイル",
         [](Setting *p) { p->showCommentStyle(CS::Java); },
         [] { return g_settingRecord.m_commentStyle == CS::Java; }},
        {"comment D", "setting.commentStyle.d", "/++ doc +/スタイル",
         [](Setting *p) { p->showCommentStyle(CS::D); },
         [] { return g_settingRecord.m_commentStyle == CS::D; }},
        {"comment out of range", "setting.commentStyle.d", "/++ doc +/スタイル",
         [](Setting *p) { p->showCommentStyle(static_cast<CS>(7)); },
         [] { return g_settingRecord.m_commentStyle == CS::D; }},
        {"document backslash", "setting.documentStyle.doxygenBS", "\\command スタイル",
         [](Setting *p) { p->showDocumentStyle(DS::DoxygenBS); },
         [] { return g_settingRecord.m_documentStyle == DS::DoxygenBS; }},
        {"document at-sign", "setting.documentStyle.doxygenAT", "@command スタイル",
         [](Setting *p) { p->showDocumentStyle(DS::DoxygenAT); },
         [] { return g_settingRecord.m_documentStyle == DS::DoxygenAT; }},
        {"document DDoc", "setting.documentStyle.ddoc", "DDocCommand : スタイル",
         [](Setting *p) { p->showDocumentStyle(static_cast<DS>(-1)); },
         [] { return g_settingRecord.m_documentStyle == DS::DDoc; }},
        {"spacing tab", "setting.spacingStyle.tab", "タブ", [](Setting *p) { p->showSpacingStyle(SS::Tab); },
         [] { return g_settingRecord.m_spacingStyle == SS::Tab; }},
        {"spacing space", "setting.spacingStyle.space", "スペース",
         [](Setting *p) { p->showSpacingStyle(SS::Space); },
         [] { return g_settingRecord.m_spacingStyle == SS::Space; }},
        {"spacing mixed", "setting.spacingStyle.tabSpace", "行頭はタブ、それ以外はスペースに変換",
         [](Setting *p) { p->showSpacingStyle(SS::TabSpace); },
         [] { return g_settingRecord.m_spacingStyle == SS::TabSpace; }},
        {"head boxed", "setting.boxingHeadStyle", "先頭部分をボックス化する",
         [](Setting *p) { p->showBoxingHeadStyle(true); }, [] { return g_settingRecord.m_boxingHeadStyle; }},
        {"foot boxed", "setting.boxingFootStyle", "終端部分をボックス化する",
         [](Setting *p) { p->showBoxingFootStyle(true); }, [] { return g_settingRecord.m_boxingFootStyle; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        page->showBoxingHeadStyle(false);
        page->showBoxingFootStyle(false);
        row.show(page);
        QAbstractButton *shown = button(row.control);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->text().toStdString(), row.label);
        EXPECT_TRUE(shown->isChecked());
        page->applySettings();
        EXPECT_TRUE(row.applied());
    }
    // Each group box is its own group: a click there unchecks only its neighbours.
    page->showCommentStyle(CS::Java);
    page->showSpacingStyle(SS::Tab);
    button("setting.spacingStyle.space")->click();
    EXPECT_FALSE(button("setting.spacingStyle.tab")->isChecked());
    EXPECT_TRUE(button("setting.commentStyle.java")->isChecked());
}

TEST_F(SettingPage, TextsAreTakenAsTyped) {
    type("setting.dateFormat", "");
    type("setting.copyright", "(C) 2007 ﾘﾏｰｸ");
    type("setting.author", " 山田 太郎 ");
    page->applySettings();
    EXPECT_EQ(g_settingRecord.m_dateFormat, "");
    EXPECT_EQ(g_settingRecord.m_copyright, "(C) 2007 ﾘﾏｰｸ");
    EXPECT_EQ(g_settingRecord.m_author, " 山田 太郎 ");
}

TEST_F(SettingPage, ReloadRestoresTheFileNotValuesAppliedButNeverSaved) {
    type("setting.author", "saved");
    type("setting.spacingSize", "8");
    button("setting.spacingStyle.space")->click();
    button("setting.apply")->click();
    ASSERT_TRUE(QFile::exists("setting.dat"));

    type("setting.author", "applied only");
    type("setting.spacingSize", "2");
    button("setting.spacingStyle.tab")->click();
    page->pageDeselected();
    EXPECT_EQ(g_settingRecord.m_author, "applied only");

    button("setting.reload")->click();
    EXPECT_EQ(text("setting.author"), "saved");
    EXPECT_EQ(text("setting.spacingSize"), "8");
    EXPECT_TRUE(button("setting.spacingStyle.space")->isChecked());
    EXPECT_EQ(g_settingRecord.m_author, "saved");
    EXPECT_EQ(g_settingRecord.m_spacingSize, 8u);
    EXPECT_EQ(g_settingRecord.m_spacingStyle, SS::Space);
}

// A language shows what its comments are written in; what is set there differently from all
// languages becomes its own choice, and all languages keep theirs.
TEST_F(SettingPage, ALanguageKeepsWhatDiffersFromAllLanguages) {
    auto *selector = control<QComboBox>(page, "setting.language");
    ASSERT_EQ(selector->count(), 5);
    EXPECT_EQ(selector->currentIndex(), 0);

    page->selectLanguage(2); // C++, first start: /** and @cmd, for /++ and DDoc cannot be
    EXPECT_TRUE(button("setting.commentStyle.c")->isChecked());
    EXPECT_TRUE(button("setting.documentStyle.doxygenAT")->isChecked());
    EXPECT_FALSE(button("setting.commentStyle.d")->isEnabled());
    EXPECT_FALSE(button("setting.documentStyle.ddoc")->isEnabled());
    EXPECT_TRUE(button("setting.commentStyle.java")->isEnabled());

    button("setting.commentStyle.java")->click();
    type("setting.author", "everyone's");
    selector->setCurrentIndex(4); // Java: the C++ choice is applied on the way
    EXPECT_FALSE(button("setting.commentStyle.java")->isEnabled());
    EXPECT_FALSE(button("setting.documentStyle.doxygenBS")->isEnabled());
    EXPECT_TRUE(button("setting.commentStyle.c")->isChecked());
    page->selectLanguage(0);
    EXPECT_TRUE(button("setting.commentStyle.d")->isChecked());
    EXPECT_TRUE(button("setting.commentStyle.d")->isEnabled());
    button("setting.apply")->click();

    const LanguageChoice cpp{{"CommentStyle", "///_"}};
    EXPECT_EQ(g_settingRecord.m_languageChoices, (std::map<Language, LanguageChoice>{{Language::Cpp, cpp}}));
    EXPECT_EQ(g_settingRecord.m_commentStyle, CS::D);
    EXPECT_EQ(g_settingRecord.m_author, "everyone's");
    g_settingRecord.m_languageChoices.clear();
    button("setting.reload")->click();
    EXPECT_EQ(g_settingRecord.m_languageChoices.at(Language::Cpp), cpp);

    // Set back to what all languages give, the choice is gone.
    page->selectLanguage(2);
    EXPECT_TRUE(button("setting.commentStyle.java")->isChecked());
    button("setting.commentStyle.c")->click();
    page->selectLanguage(0);
    EXPECT_TRUE(g_settingRecord.m_languageChoices.empty());
}

TEST_F(SettingPage, LeavingThePageAppliesWithoutSaving) {
    type("setting.boxingSize", "40");
    page->pageDeselected();
    EXPECT_EQ(g_settingRecord.m_boxingSize, 40u);
    EXPECT_FALSE(QFile::exists("setting.dat"));
}

TEST_F(SettingPage, ClosingSavesTheFileValuesAndTheWindowPosition) {
    type("setting.author", "saved");
    page->applyAndSave();
    type("setting.author", "applied only");
    page->applySettings();
    window->move(37, 59);
    const QPoint frame = window->frameGeometry().topLeft();

    page->windowClosing();
    g_settingRecord.m_setting.root()->clear();
    g_settingRecord.Load();
    EXPECT_EQ(g_settingRecord.m_author, "saved");
    EXPECT_EQ(g_settingRecord.windowX(), frame.x());
    EXPECT_EQ(g_settingRecord.windowY(), frame.y());
}

// Regression: the page opens the window at the stored position only while it can be reached.
TEST_F(SettingPage, RegressionStoredPositionOffEveryScreenOpensOnThePrimary) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Row {
        const char *name;
        const char *x;
        const char *y;
        QPoint expected;
    };
    const Row rows[] = {
        {"on the screen", "40", "30", {40, 30}},
        {"partly off the left edge", "-100", "0", {-100, 0}},
        {"beyond the right edge", "100000", "0", screen.topLeft()},
        {"above the top edge", "0", "-100000", screen.topLeft()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        g_settingRecord.m_setting.opIndexAssign(row.x, "WindowX");
        g_settingRecord.m_setting.opIndexAssign(row.y, "WindowY");
        g_settingRecord.Save();
        g_settingRecord.m_setting.root()->clear();
        window = std::make_unique<MainWindow>();
        EXPECT_EQ(window->pos(), row.expected);
    }
}

TEST_F(SettingPage, SelectingThePageSetsTheClientSize) {
    window->setClientSize(320, 480);
    page->pageSelected();
    EXPECT_EQ(window->size(), QSize(640, 480));
}

TEST_F(SettingPage, FailedSaveReachesTheCaller) {
    QFile file("setting.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    ASSERT_TRUE(
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    type("setting.author", "new");
    try {
        page->applyAndSave();
        ADD_FAILURE() << "no error";
    } catch (const Orvex::Exception &e) {
        EXPECT_STREQ(e.what(), "ファイルの保存に失敗しました。");
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old");
    EXPECT_EQ(g_settingRecord.m_author, "new"); // applied all the same
}

TEST(SettingVersion, StampIsReadAsLocalTime) {
    struct Row {
        const char *zone;
        const char *text;
    };
    const Row rows[] = {
        {"Asia/Tokyo", "バージョン : 1181470887_alpha"},
        {"UTC", "バージョン : 1181503287_alpha"},
        {"Europe/Berlin", "バージョン : 1181496087_alpha"}, // summer time on that day
    };
    const char *old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.zone);
        setenv("TZ", row.zone, 1);
        tzset();
        EXPECT_EQ(versionText().toStdString(), row.text);
    }
    old ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

// Regression: a window stored on a monitor that is gone used to open out of reach.
TEST(SettingPosition, RegressionWindowStaysReachable) {
    const QRect primary(0, 0, 1920, 1080);
    const QRect leftMonitor(-1280, 0, 1280, 1024);
    const QSize frame(650, 510);
    struct Row {
        const char *name;
        QPoint stored;
        QList<QRect> screens;
        QRect primary;
        QPoint expected;
    };
    const Row rows[] = {
        {"on the primary screen", {100, 200}, {primary}, primary, {100, 200}},
        {"first start at the origin", {0, 0}, {primary}, primary, {0, 0}},
        {"on a monitor to the left", {-1000, 300}, {leftMonitor, primary}, primary, {-1000, 300}},
        {"straddling two monitors", {-300, 10}, {leftMonitor, primary}, primary, {-300, 10}},
        {"mostly beyond the right edge", {1919, 1079}, {primary}, primary, {1919, 1079}},
        {"left monitor unplugged", {-1000, 300}, {primary}, primary, {0, 0}},
        {"just left of the screen", {-650, 0}, {primary}, primary, {0, 0}},
        {"far below", {0, 5000}, {primary}, primary, {0, 0}},
        {"primary not at the origin", {-3000, -3000}, {leftMonitor, primary}, leftMonitor, {-1280, 0}},
        {"no screens known", {-3000, 5}, {}, QRect(), {-3000, 5}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(reachablePosition(row.stored, frame, row.screens, row.primary), row.expected);
    }
}

} // namespace
