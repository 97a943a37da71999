#include "apptest.h"

#include "app/AppMain.h"
#include "app/forms/comment.h"
#include "app/forms/date.h"
#include "app/forms/note.h"
#include "app/forms/params.h"
#include "app/forms/returns.h"
#include "app/forms/summary.h"
#include "app/forms/throws.h"
#include "app/tab/classdoc.h"
#include "app/tab/filedoc.h"
#include "app/tab/functiondoc.h"
#include "app/tab/setting.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

class Pages : public PagesTest {
public:
    void showActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void enterComment(DocumentPage *p, const QString &text) {
        QFocusEvent event(QEvent::FocusIn);
        QApplication::sendEvent(p->comment, &event);
        p->comment->setPlainText(text);
    }
    void addParam(const QString &direction, const QString &name, const QString &description) {
        Params *params = window->functionPage()->params;
        params->directionBox->setCurrentText(direction);
        params->nameBox->setText(name);
        params->descriptionBox->setText(description);
        params->insertButton->click();
    }
};

TEST_F(Pages, CopyToClipboardRendersThePageWithItsSettings) {
    struct Row {
        const char *name;
        int page;
        std::function<void(Pages &)> prepare;
        std::optional<std::string> copied; // none: the copy fails
    };
    const Row rows[] = {
        {"summary only", 0, [](Pages &t) { t.page(0)->summary->textBox->setText("Sum"); },
         "/**\r\n *\tSum\r\n */"},
        {"empty summary fails", 0, [](Pages &) {}, std::nullopt},
        {"empty summary fails on the file page too", 2,
         [](Pages &t) { t.page(2)->note->textBox->setPlainText("note"); }, std::nullopt},
        {"an untouched comment adds no comment", 1,
         [](Pages &t) { t.page(1)->summary->textBox->setText("Sum"); }, "/**\r\n *\tSum\r\n */"},
        {"an entered but empty comment adds none either", 1,
         [](Pages &t) {
             t.page(1)->summary->textBox->setText("Sum");
             t.enterComment(t.page(1), "");
         },
         "/**\r\n *\tSum\r\n */"},
        {"function page with comment, parameter and return value", 0,
         [](Pages &t) {
             t.page(0)->summary->textBox->setText("Sum");
             t.enterComment(t.page(0), "Body\nmore");
             t.addParam("in", "x", "desc");
             t.window->functionPage()->returns->textBox->setPlainText("ret");
         },
         "/**\r\n *\tSum\r\n *\t\r\n *\tBody\r\n *\tmore\r\n *\t\r\n *\t\\param[in]\tx\tdesc\r\n "
         "*\t\\return\tret\r\n */"},
        {"class page ignores the function page's lists", 1,
         [](Pages &t) {
             t.page(1)->summary->textBox->setText("Sum");
             t.addParam("in", "x", "desc");
         },
         "/**\r\n *\tSum\r\n */"},
        {"file page ends with date, author and copyright", 2,
         [](Pages &t) {
             g_settingRecord.m_author = "me";
             g_settingRecord.m_copyright = "(c) us";
             t.page(2)->summary->textBox->setText("Sum");
         },
         "/**\r\n *\tSum\r\n *\t\r\n *\t\\date\t2026/12/08\r\n *\t\\author\tme\r\n *\tCopyright\t(c) us\r\n "
         "*/"},
        {"line style and at-sign commands follow the settings", 0,
         [](Pages &t) {
             g_settingRecord.m_commentStyle = SettingData::CommentStyle::Java;
             g_settingRecord.m_documentStyle = SettingData::DocumentStyle::DoxygenAT;
             t.page(0)->summary->textBox->setText("Sum");
             t.addParam("out", "y", "d");
         },
         "///\tSum\r\n///\t\r\n///\t@param[out]\ty\td"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.prepare(*this);
        const bool copied = page(row.page)->copyToClipboard();
        EXPECT_EQ(copied, row.copied.has_value());
        EXPECT_EQ(sounds.played, std::vector<std::string>{copied ? "beep" : "asterisk"});
        EXPECT_EQ(clipboard.texts,
                  row.copied ? std::vector<std::string>{*row.copied} : std::vector<std::string>{});
    }
}

TEST_F(Pages, ButtonsCopyAndClose) {
    struct Row {
        const char *name;
        const char *summary;
        const char *button;
        std::vector<std::string> played;
        std::size_t copies;
        bool closes;
        qint64 minimumMs;
    };
    const Row rows[] = {
        {"OK with an empty summary: asterisk, the window stays", "", "ok", {"asterisk"}, 0, false, 0},
        {"OK with a summary: copy, beep, close after half a second", "Sum", "ok", {"beep"}, 1, true, 500},
        {"clipboard copies and stays", "Sum", "clipboard", {"beep"}, 1, false, 0},
        {"cancel closes at once, silently", "Sum", "cancel", {}, 0, true, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        window->show();
        page(0)->summary->textBox->setText(row.summary);
        QElapsedTimer timer;
        timer.start();
        control<QPushButton>(page(0), row.button)->click();
        EXPECT_EQ(window->isEnabled(), row.minimumMs == 0) << "no input while the window waits to close";
        if (row.closes)
            QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 5000);
        EXPECT_GE(timer.elapsed(), row.minimumMs);
        EXPECT_EQ(sounds.played, row.played);
        EXPECT_EQ(clipboard.texts.size(), row.copies);
        EXPECT_EQ(window->isVisible(), !row.closes);
        EXPECT_EQ(page(0)->summary->textBox->text(), row.summary) << "fields keep their text";
    }
}

TEST_F(Pages, InitializeEmptiesThePageAndTheSharedTexts) {
    for (int index : {0, 1, 2}) {
        SCOPED_TRACE(index);
        TearDown();
        SetUp();
        Functiondoc *function = window->functionPage();
        function->date->textBox->setText("by hand");
        page(index)->summary->textBox->setText("Sum");
        enterComment(page(index), "Body");
        page(index)->note->textBox->setPlainText("Note");
        addParam("out", "x", "d");
        function->returns->textBox->setPlainText("ret");
        function->throws->typeBox->setText("E");
        function->throws->insertButton->click();
        function->params->directionBox->setCurrentText("inout");

        page(index)->initialize();

        EXPECT_EQ(g_forms.dateText, "2026/12/08");
        EXPECT_EQ(function->date->textBox->text(), "2026/12/08") << "every date field at once";
        EXPECT_EQ(g_forms.summaryText, "");
        EXPECT_EQ(g_forms.noteText, "");
        EXPECT_FALSE(g_forms.commentEntered);
        EXPECT_EQ(function->comment->palette().color(QPalette::Text), Comment::hintColor);
        const bool functionPage = index == 0;
        EXPECT_EQ(function->params->entries().empty(), functionPage);
        EXPECT_EQ(function->throws->entries().empty(), functionPage);
        EXPECT_EQ(function->returns->text().empty(), functionPage);
        EXPECT_EQ(function->params->directionBox->currentText(), functionPage ? "in" : "inout");
        EXPECT_EQ(window->focusWidget(), page(index)->summary->textBox);
    }
}

TEST_F(Pages, EachTabSizesTheWindow) {
    EXPECT_EQ(window->tabs()->currentIndex(), 0);
    EXPECT_EQ(window->size(), QSize(640, 480));
    struct Row {
        int tab;
        QSize size;
    };
    const Row rows[] = {{1, {320, 480}}, {3, {640, 480}}, {2, {320, 480}}, {0, {640, 480}}, {2, {320, 480}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.tab);
        window->tabs()->setCurrentIndex(row.tab);
        EXPECT_EQ(window->size(), row.size);
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize";
    }
}

TEST_F(Pages, SharedTextsFollowTheUserToAnotherTab) {
    page(0)->summary->textBox->setText("Typed on the function page");
    page(0)->note->textBox->setPlainText("note");
    window->tabs()->setCurrentIndex(1);
    QLineEdit *summary = page(1)->summary->textBox;
    EXPECT_EQ(summary->text(), "Typed on the function page");
    EXPECT_EQ(summary->cursorPosition(), summary->text().size());
    EXPECT_EQ(page(1)->note->textBox->toPlainText(), "note");
    useTestSettings(); // every tab change applies the settings page's controls
    ASSERT_TRUE(page(1)->copyToClipboard());
    EXPECT_EQ(clipboard.texts.back(),
              "/**\r\n *\tTyped on the function page\r\n *\t\r\n *\t\\note\tnote\r\n */");
}

TEST_F(Pages, ShortcutsActOnTheSelectedDocumentPageFromAnyControl) {
    struct Row {
        const char *name;
        int tab;
        const char *focused; // accessible name, on the selected page
        QKeyCombination key;
        bool copies;
        bool clears;
    };
    const auto copy = Qt::SHIFT | Qt::CTRL | Qt::Key_C;
    const auto initialize = Qt::CTRL | Qt::Key_I;
    const Row rows[] = {
        {"copy from the comment", 0, "comment", copy, true, false},
        {"copy from a parameter's name", 0, "params.name", copy, true, false},
        {"copy from the class page's note", 1, "note", copy, true, false},
        {"initialize from the summary", 2, "summary", initialize, false, true},
        {"initialize from the returns", 0, "returns", initialize, false, true},
        {"copy does nothing on the settings page", 3, nullptr, copy, false, false},
        {"initialize does nothing on the settings page", 3, nullptr, initialize, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        showActive();
        window->tabs()->setCurrentIndex(row.tab);
        page(0)->summary->textBox->setText("Sum");
        QWidget *target = row.focused ? control(page(row.tab), row.focused) : window->tabs()->currentWidget();
        target->setFocus();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : target, row.key.key(),
                        row.key.keyboardModifiers());
        EXPECT_EQ(clipboard.texts.size(), row.copies ? 1u : 0u);
        EXPECT_EQ(g_forms.summaryText, row.clears ? "" : "Sum");
    }
}

TEST_F(Pages, HotKeyPutsTheCaretIntoTheSelectedSummary) {
    window->tabs()->setCurrentIndex(2);
    page(0)->note->textBox->setFocus();
    window->onHotKey();
    EXPECT_EQ(window->focusWidget(), page(2)->summary->textBox);
    window->tabs()->setCurrentIndex(3);
    window->onHotKey();
    EXPECT_EQ(window->tabs()->currentIndex(), 3);
}

// Regression: a pasted summary with a line break left its second line outside the comment.
TEST_F(Pages, RegressionPastedSummaryStaysOneCommentLine) {
    QGuiApplication::clipboard()->setText("first line\r\nsecond line");
    page(0)->summary->textBox->paste();
    ASSERT_TRUE(page(0)->copyToClipboard());
    EXPECT_EQ(clipboard.texts.back(), "/**\r\n *\tfirst line second line\r\n */");
}

// A window as the program makes it, before its event loop has run: setting.dat holds the
// author "me" and a spacing size the settings page bounds to 1 when it applies.
class PagesBuiltLater : public Pages {
protected:
    void SetUp() override {
        Pages::SetUp();
        window.reset();
        g_settingRecord.m_author = "me";
        g_settingRecord.m_spacingSize = 0;
        g_settingRecord.Save();
        g_settingRecord.m_setting.root()->clear();
        window = std::make_unique<MainWindow>();
    }

    std::vector<Page *> hiddenPages() const {
        return {window->classPage(), window->filePage(), window->settingPage()};
    }
};

TEST_F(PagesBuiltLater, TheHiddenPagesAreBuiltOnceTheWindowShows) {
    EXPECT_TRUE(window->functionPage()->isBuilt());
    window->show();
    for (Page *page : hiddenPages())
        EXPECT_FALSE(page->isBuilt()) << "not before the window is on screen";
    QCoreApplication::processEvents();
    for (Page *page : hiddenPages())
        EXPECT_TRUE(page->isBuilt());
    EXPECT_EQ(control<QLineEdit>(window->settingPage(), "setting.author")->text(), "me");
}

TEST_F(PagesBuiltLater, WhateverReachesAPageFirstFindsItAsItWouldHaveBeenAtStart) {
    struct Row {
        const char *name;
        std::function<void(PagesBuiltLater &)> act;
        std::function<void(PagesBuiltLater &)> check;
    };
    const Row rows[] = {
        {"selecting the class page shows the shared summary",
         [](PagesBuiltLater &t) { t.window->tabs()->setCurrentIndex(1); },
         [](PagesBuiltLater &t) { EXPECT_EQ(t.page(1)->summary->textBox->text(), "Typed"); }},
        {"the hot key on the file page puts the caret into its summary",
         [](PagesBuiltLater &t) {
             t.window->tabs()->setCurrentIndex(2);
             t.window->onHotKey();
         },
         [](PagesBuiltLater &t) { EXPECT_EQ(t.window->focusWidget(), t.page(2)->summary->textBox); }},
        {"selecting the settings page shows the stored settings",
         [](PagesBuiltLater &t) { t.window->tabs()->setCurrentIndex(3); },
         [](PagesBuiltLater &t) {
             EXPECT_EQ(control<QLineEdit>(t.window->settingPage(), "setting.author")->text(), "me");
         }},
        {"leaving the first page applies the settings page as it would show them",
         [](PagesBuiltLater &t) { t.window->tabs()->setCurrentIndex(1); },
         [](PagesBuiltLater &) {
             EXPECT_EQ(g_settingRecord.m_spacingSize, 1u);
             EXPECT_EQ(g_settingRecord.m_author, "me");
         }},
        {"closing stores the window position",
         [](PagesBuiltLater &t) {
             t.window->move(37, 59);
             t.window->close();
         },
         [](PagesBuiltLater &t) {
             const QPoint frame = t.window->frameGeometry().topLeft();
             g_settingRecord.m_setting.root()->clear();
             g_settingRecord.Load();
             EXPECT_EQ(g_settingRecord.windowX(), frame.x());
             EXPECT_EQ(g_settingRecord.windowY(), frame.y());
             EXPECT_EQ(g_settingRecord.m_author, "me");
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        page(0)->summary->textBox->setText("Typed");
        row.act(*this);
        row.check(*this);
    }
}

} // namespace
