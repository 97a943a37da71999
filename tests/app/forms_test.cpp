#include "apptest.h"

#include "app/forms/comment.h"
#include "app/forms/date.h"
#include "app/forms/note.h"
#include "app/forms/returns.h"
#include "app/forms/summary.h"
#include "app/misc/cmenu.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using Forms = AppTest;

const QString hintAsShown = Comment::hintText().replace("\r\n", "\n");

void focusIn(QWidget *box) {
    QFocusEvent event(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(box, &event);
}

// Two forms of one kind, as on two pages.
struct SharedKind {
    const char *name;
    std::function<void(QWidget *page)> build; // adds one form to the page
    std::function<void(QWidget *page, const QString &)> type;
    std::function<void(QWidget *page)> refresh;
    std::function<QString(QWidget *page)> shown;
    std::function<std::string()> shared;
};

template <class Form> Form *formOf(QWidget *page) {
    return page->findChild<Form *>();
}

TEST_F(Forms, EditInOneFieldIsSharedAndShownElsewhereOnRefresh) {
    const SharedKind kinds[] = {
        {"date", [](QWidget *p) { new Date(p); },
         [](QWidget *p, const QString &t) { formOf<Date>(p)->textBox->setText(t); },
         [](QWidget *p) { formOf<Date>(p)->refresh(); },
         [](QWidget *p) { return formOf<Date>(p)->textBox->text(); }, [] { return g_forms.dateText; }},
        {"summary", [](QWidget *p) { new Summary(p); },
         [](QWidget *p, const QString &t) { formOf<Summary>(p)->textBox->setText(t); },
         [](QWidget *p) { formOf<Summary>(p)->refresh(); },
         [](QWidget *p) { return formOf<Summary>(p)->textBox->text(); }, [] { return g_forms.summaryText; }},
        {"note", [](QWidget *p) { new Note(p); },
         [](QWidget *p, const QString &t) { formOf<Note>(p)->textBox->setPlainText(t); },
         [](QWidget *p) { formOf<Note>(p)->refresh(); },
         [](QWidget *p) { return formOf<Note>(p)->textBox->toPlainText(); }, [] { return g_forms.noteText; }},
        {"comment", [](QWidget *p) { new Comment(p); },
         [](QWidget *p, const QString &t) {
             focusIn(formOf<Comment>(p));
             formOf<Comment>(p)->setPlainText(t);
         },
         [](QWidget *p) { formOf<Comment>(p)->refresh(); },
         [](QWidget *p) { return formOf<Comment>(p)->toPlainText(); }, [] { return g_forms.commentText; }},
    };
    for (const SharedKind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        g_forms = {};
        QWidget first, second;
        kind.build(&first);
        kind.build(&second);
        kind.type(&first, "earlier");
        kind.refresh(&second);

        kind.type(&first, "typed text");
        EXPECT_EQ(kind.shared(), "typed text");
        EXPECT_EQ(kind.shown(&second), "earlier") << "other pages change only when refreshed";

        kind.refresh(&second);
        EXPECT_EQ(kind.shown(&second), "typed text");
        EXPECT_EQ(kind.shown(&first), "typed text");
    }
}

TEST_F(Forms, ClearEmptiesTheSharedText) {
    QWidget page;
    auto *summary = new Summary(&page);
    auto *note = new Note(&page);
    summary->textBox->setText("s");
    note->textBox->setPlainText("n");
    summary->clear();
    note->clear();
    EXPECT_EQ(g_forms.summaryText, "");
    EXPECT_EQ(g_forms.noteText, "");
}

TEST_F(Forms, DateFieldsShareOneDate) {
    struct Row {
        const char *name;
        std::function<void(Date &first, Date &second)> act;
        QString first, second;
    };
    const Row rows[] = {
        {"every new date form shows its fresh date in all", [](Date &, Date &) {}, "made second",
         "made second"},
        {"update takes the date afresh for all",
         [](Date &first, Date &) {
             g_settingRecord.m_dateFormat = "updated";
             first.update();
         },
         "updated", "updated"},
        {"the update button does the same",
         [](Date &, Date &second) {
             g_settingRecord.m_dateFormat = "clicked";
             QTest::mouseClick(second.updateButton, Qt::LeftButton);
         },
         "clicked", "clicked"},
        {"a hand-typed date stays until refreshed",
         [](Date &first, Date &) { first.textBox->setText("by hand"); }, "by hand", "made second"},
        {"a click on the form shows the shared date",
         [](Date &first, Date &second) {
             first.textBox->setText("by hand");
             QTest::mouseClick(&second, Qt::LeftButton, {}, QPoint(1, 1));
         },
         "by hand", "by hand"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        g_forms = {};
        QWidget page;
        g_settingRecord.m_dateFormat = "made first";
        Date first(&page);
        g_settingRecord.m_dateFormat = "made second";
        Date second(&page);
        page.resize(300, 20);
        first.resize(300, 20);
        second.resize(300, 20);
        row.act(first, second);
        EXPECT_EQ(first.textBox->text(), row.first);
        EXPECT_EQ(second.textBox->text(), row.second);
    }
}

TEST_F(Forms, CommentHintCycle) {
    QWidget page;
    auto *first = new Comment(&page);
    auto *second = new Comment(&page);
    const auto expectHint = [&] {
        for (Comment *box : {first, second}) {
            EXPECT_EQ(box->toPlainText(), hintAsShown);
            EXPECT_EQ(box->palette().color(QPalette::Text), QColor(128, 128, 128));
        }
        EXPECT_FALSE(g_forms.commentEntered);
        EXPECT_EQ(g_forms.commentText, hintAsShown.toStdString());
    };
    {
        SCOPED_TRACE("new fields show the grey hint");
        expectHint();
    }
    {
        SCOPED_TRACE("focusing one field empties all in the normal colour");
        focusIn(second);
        for (Comment *box : {first, second}) {
            EXPECT_EQ(box->toPlainText(), "");
            EXPECT_EQ(box->palette().color(QPalette::Text), QApplication::palette(box).color(QPalette::Text));
        }
        EXPECT_TRUE(g_forms.commentEntered);
        EXPECT_EQ(g_forms.commentText, "");
    }
    {
        SCOPED_TRACE("typing is kept; focusing again changes nothing");
        second->setPlainText("mine");
        focusIn(first);
        EXPECT_EQ(g_forms.commentText, "mine");
        EXPECT_EQ(second->toPlainText(), "mine");
    }
    {
        SCOPED_TRACE("reset brings the hint back everywhere");
        first->reset();
        expectHint();
    }
    {
        SCOPED_TRACE("and the next focus clears it again");
        focusIn(first);
        EXPECT_EQ(second->toPlainText(), "");
        EXPECT_TRUE(g_forms.commentEntered);
    }
}

TEST_F(Forms, EnterMakesALineBreakOnlyInMultiLineFields) {
    struct Row {
        const char *name;
        std::function<QWidget *(QWidget *page)> box;
        bool breaks;
    };
    const Row rows[] = {
        {"date", [](QWidget *p) { return (new Date(p))->textBox; }, false},
        {"summary", [](QWidget *p) { return (new Summary(p))->textBox; }, false},
        {"comment", [](QWidget *p) { return new Comment(p); }, true},
        {"note", [](QWidget *p) { return (new Note(p))->textBox; }, true},
        {"returns", [](QWidget *p) { return (new Returns(p))->textBox; }, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        g_forms = {};
        QWidget page;
        QWidget *box = row.box(&page);
        const char *property = qobject_cast<QLineEdit *>(box) ? "text" : "plainText";
        focusIn(box);
        box->setProperty(property, QString());
        QTest::keyClicks(box, "a");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, "b");
        const QString text = box->property(property).toString();
        EXPECT_EQ(text, row.breaks ? "a\nb" : "ab");
    }
}

// A box with its menu, in the state a row describes.
struct MenuCase {
    const char *name;
    bool multiLine;
    const char *text;  // set by the program: nothing to undo
    const char *typed; // typed after it: something to undo
    int selectFrom, selectLength;
    bool readOnly;
    const char *clipboard; // null: no text on the clipboard
    // undo, cut, copy, paste, delete, select all
    bool enabled[6];
};

TEST_F(Forms, ContextMenuEnablesWhatTheBoxAllows) {
    const MenuCase rows[] = {
        {"empty, clipboard empty", false, "", "", 0, 0, false, nullptr, {0, 0, 0, 0, 0, 0}},
        {"empty, clipboard has text", false, "", "", 0, 0, false, "x", {0, 0, 0, 1, 0, 0}},
        {"text, nothing selected", false, "abc", "", 0, 0, false, nullptr, {0, 0, 0, 0, 0, 1}},
        {"typed text can be undone", false, "", "abc", 0, 0, false, nullptr, {1, 0, 0, 0, 0, 1}},
        {"part selected", false, "abc", "", 1, 1, false, nullptr, {0, 1, 1, 0, 1, 1}},
        {"all selected", false, "abc", "", 0, 3, false, "x", {0, 1, 1, 1, 1, 0}},
        {"read-only", false, "abc", "", 1, 1, true, "x", {0, 0, 1, 0, 0, 1}},
        {"multi-line empty, clipboard has text", true, "", "", 0, 0, false, "x", {0, 0, 0, 1, 0, 0}},
        {"multi-line typed", true, "", "ab", 0, 0, false, nullptr, {1, 0, 0, 0, 0, 1}},
        {"multi-line part selected", true, "a\nb", "", 1, 1, false, nullptr, {0, 1, 1, 0, 1, 1}},
        {"multi-line all selected", true, "a\nb", "", 0, 3, false, nullptr, {0, 1, 1, 0, 1, 0}},
        {"multi-line read-only", true, "a\nb", "", 0, 1, true, "x", {0, 0, 1, 0, 0, 1}},
    };
    for (const MenuCase &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.clipboard)
            QGuiApplication::clipboard()->setText(row.clipboard);
        else
            QGuiApplication::clipboard()->clear();
        std::unique_ptr<QWidget> box;
        if (row.multiLine) {
            auto *edit = new QPlainTextEdit;
            box.reset(edit);
            new MyTextContextMenu(edit);
            edit->setPlainText(row.text);
            edit->insertPlainText(row.typed);
            QTextCursor cursor = edit->textCursor();
            cursor.setPosition(row.selectFrom);
            cursor.setPosition(row.selectFrom + row.selectLength, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
            edit->setReadOnly(row.readOnly);
        } else {
            auto *edit = new QLineEdit;
            box.reset(edit);
            new MyTextContextMenu(edit);
            edit->setText(row.text);
            edit->insert(row.typed);
            edit->setSelection(row.selectFrom, row.selectLength);
            edit->setReadOnly(row.readOnly);
        }
        auto *menu = box->findChild<MyTextContextMenu *>();
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();
        const QAction *items[] = {menu->undoItem,  menu->cutItem,    menu->copyItem,
                                  menu->pasteItem, menu->deleteItem, menu->selectAllItem};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(items[i]->isEnabled(), row.enabled[i]) << items[i]->text().toStdString();
    }
}

// Regression: a summary (or date) with a line break left everything after the break outside
// the comment, as the comment style prefixes only the line's start. They are one-line fields:
// every break, CR LF as one, becomes a single space.
TEST_F(Forms, RegressionLineBreaksInOneLineFieldsBecomeSpaces) {
    struct Row {
        const char *name;
        QString before; // the field's text, caret at `caret`
        int caret;
        QString pasted;
        QString after;
        int caretAfter;
    };
    const Row rows[] = {
        {"CR LF is one break", "", 0, "first\r\nsecond", "first second", 12},
        {"LF", "", 0, "first\nsecond", "first second", 12},
        {"CR", "", 0, "first\rsecond", "first second", 12},
        {"LF CR is two breaks", "", 0, "a\n\rb", "a  b", 4},
        {"trailing break", "", 0, "a\r\n", "a ", 2},
        {"pasted inside, caret after it", "[]", 1, "x\r\ny", "[x y]", 4},
        {"no break unchanged", "[]", 1, "xy", "[xy]", 3},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        g_forms = {};
        QWidget page;
        Date date(&page);
        Summary summary(&page);
        for (QLineEdit *box : {date.textBox, summary.textBox}) {
            box->setText(row.before);
            box->setCursorPosition(row.caret);
            QGuiApplication::clipboard()->setText(row.pasted);
            box->paste();
            EXPECT_EQ(box->text(), row.after);
            EXPECT_EQ(box->cursorPosition(), row.caretAfter);

            box->setText(row.pasted);
            EXPECT_EQ(box->text(),
                      QString(row.pasted).replace("\r\n", " ").replace('\r', ' ').replace('\n', ' '));
        }
        EXPECT_EQ(g_forms.summaryText, summary.textBox->text().toStdString());
        EXPECT_EQ(g_forms.dateText, date.textBox->text().toStdString());
    }
}

} // namespace
