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

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <ostream>

// The rows below name only the fields that differ from an untouched window.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// Everything a fill may change, as the user would see it.
struct Shown {
    int tab = 0;
    std::string date = "2026/12/08", summary;
    bool commentEntered = false;
    std::string comment, note, returns;
    std::vector<ParamEntry> params;
    std::vector<ExceptionEntry> throws;
    std::vector<std::string> played;

    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &s, std::ostream *os) {
    *os << "tab " << s.tab << ", date \"" << s.date << "\", summary \"" << s.summary << "\", comment "
        << (s.commentEntered ? "\"" + s.comment + "\"" : std::string("(hint)")) << ", note \"" << s.note
        << "\", returns \"" << s.returns << "\", params";
    for (const ParamEntry &p : s.params)
        *os << " [" << p.direction << ' ' << p.name << ": " << p.description << ']';
    *os << ", throws";
    for (const ExceptionEntry &e : s.throws)
        *os << " [" << e.type << ": " << e.description << ']';
    *os << ", sounds";
    for (const std::string &sound : s.played)
        *os << ' ' << sound;
}

class Fill : public PagesTest {
public:
    Functiondoc *function() const { return window->functionPage(); }
    // The shared texts are read from the selected page's own boxes: what a fill set there
    // must have reached them.
    Shown shown() const {
        const DocumentPage *p = page(window->tabs()->currentIndex());
        const auto text = [](const QString &t) { return t.toStdString(); };
        EXPECT_EQ(text(p->summary->textBox->text()), g_forms.summaryText);
        EXPECT_EQ(text(p->date->textBox->text()), g_forms.dateText);
        EXPECT_EQ(p->note->text(), g_forms.noteText);
        if (g_forms.commentEntered) {
            EXPECT_EQ(text(p->comment->toPlainText()), g_forms.commentText);
        }
        return {window->tabs()->currentIndex(),
                g_forms.dateText,
                g_forms.summaryText,
                g_forms.commentEntered,
                g_forms.commentEntered ? g_forms.commentText : std::string(),
                g_forms.noteText,
                function()->returns->text(),
                function()->params->entries(),
                function()->throws->entries(),
                sounds.played};
    }
    void typeSummaryAndNote() {
        DocumentPage *p = page(window->tabs()->currentIndex());
        p->summary->textBox->setText("Typed.");
        p->note->textBox->setPlainText("typed note");
    }
    void addParam(const char *direction, const char *name, const char *description) {
        function()->params->directionBox->setCurrentText(direction);
        function()->params->nameBox->setText(name);
        function()->params->descriptionBox->setText(description);
        function()->params->insertButton->click();
    }
    void addThrow(const char *type, const char *description) {
        function()->throws->typeBox->setText(type);
        function()->throws->descriptionBox->setText(description);
        function()->throws->insertButton->click();
    }
};

TEST_F(Fill, ClipboardTextFillsThePageItChooses) {
    struct Row {
        const char *name;
        int startTab;
        std::function<void(Fill &)> type; // what the user typed before
        const char *clipboard;
        Shown expected;
    };
    const auto typeNoteAndSummary = [](Fill &t) { t.typeSummaryAndNote(); };
    const Row rows[] = {
        {"C++ function from the class page",
         1,
         {},
         "int copy(const char *source, char *target, size_t size);",
         {.params = {{"in", "source", ""}, {"inout", "target", ""}, {"in", "size", ""}}}},
        {"Java method with throws",
         0,
         {},
         "public void load(String path, int count) throws IOException, ParseException {",
         {.params = {{"in", "path", ""}, {"in", "count", ""}},
          .throws = {{"IOException", ""}, {"ParseException", ""}}}},
        {"D function with out and ref",
         2,
         {},
         "void split(string text, out string head, ref string rest);",
         {.params = {{"in", "text", ""}, {"out", "head", ""}, {"inout", "rest", ""}}}},
        {"class declaration from the function page keeps the typed texts",
         0,
         typeNoteAndSummary,
         "class Parser : public Base {",
         {.tab = 1, .summary = "Typed.", .note = "typed note"}},
        {"comment alone stays on the class page",
         1,
         typeNoteAndSummary,
         "/**\n * Reads input.\n *\n * More text.\n * \\note Slow.\n */",
         {.tab = 1,
          .summary = "Reads input.",
          .commentEntered = true,
          .comment = "More text.",
          .note = "Slow."}},
        {"file comment on the file page brings its date",
         2,
         {},
         "/**\n * Project file.\n * \\date 2020/01/02\n */",
         {.tab = 2, .date = "2020/01/02", .summary = "Project file."}},
        {"comment alone on the function page leaves lists it does not document",
         0,
         [](Fill &t) { t.addParam("in", "a", "typed"); },
         "/// Sum.\n/// \\return the total",
         {.summary = "Sum.", .returns = "the total", .params = {{"in", "a", "typed"}}}},
        {"comment and declaration update the typed lists",
         0,
         [](Fill &t) {
             t.typeSummaryAndNote();
             t.addParam("in", "a", "typed a");
             t.addParam("in", "b", "typed b");
             t.addParam("in", "gone", "x");
             t.addThrow("Overflow", "typed");
             t.addThrow("Old", "y");
         },
         "/**\n * \\brief Adds.\n * \\param[out] b the second\n * \\throw Overflow when too big\n */\n"
         "int add(int a, int &b, int c);",
         {.summary = "Adds.",
          .note = "typed note",
          .params = {{"in", "a", "typed a"}, {"out", "b", "the second"}, {"in", "c", ""}},
          .throws = {{"Overflow", "when too big"}}}},
        {"a changed declaration keeps the typed descriptions",
         0,
         [](Fill &t) {
             t.addParam("in", "path", "where from");
             t.addParam("in", "old", "dropped");
             t.addThrow("IOException", "when unreadable");
         },
         "void load(String path, int count) throws IOException, EOFException;",
         {.params = {{"in", "path", "where from"}, {"in", "count", ""}},
          .throws = {{"IOException", "when unreadable"}, {"EOFException", ""}}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        window->tabs()->setCurrentIndex(row.startTab);
        if (row.type)
            row.type(*this);
        clipboard.current = row.clipboard;
        window->fillFromClipboard();
        EXPECT_EQ(shown(), row.expected);
    }
}

TEST_F(Fill, TextThatCannotBeReadChangesNothing) {
    for (const char *text : {"", "hello world", "/* not a documentation comment */", "x = 3 + 4;"}) {
        SCOPED_TRACE(text);
        TearDown();
        SetUp();
        function()->summary->textBox->setText("Typed.");
        addParam("in", "a", "typed");
        const Shown before = shown();
        clipboard.current = text;
        window->fillFromClipboard();
        Shown expected = before;
        expected.played = {"asterisk"};
        EXPECT_EQ(shown(), expected);
    }
}

TEST_F(Fill, TheCaretGoesToAnEmptySummary) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->classPage()->note->textBox->setFocus();
    window->tabs()->setCurrentIndex(1);
    clipboard.current = "int f(int a);";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), function()->summary->textBox);
    EXPECT_EQ(function()->params->entries(), (std::vector<ParamEntry>{{"in", "a", ""}}));
}

TEST_F(Fill, ThePageMenuShowsTheShortcutAndFills) {
    window->tabs()->setCurrentIndex(2);
    DocumentPage *file = page(2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 400), file->mapToGlobal(QPoint(5, 400)));
    QApplication::sendEvent(file, &event);
    auto *menu = file->findChild<QMenu *>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QString("クリップボードから読み込む\tShift+Ctrl+V"));
    clipboard.current = "/** Sum. */";
    menu->actions()[0]->trigger();
    EXPECT_EQ(g_forms.summaryText, "Sum.");
    EXPECT_EQ(window->tabs()->currentIndex(), 2);
}

} // namespace
