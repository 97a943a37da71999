#include "apptest.h"

#include "app/forms/date.h"
#include "app/forms/params.h"
#include "app/forms/throws.h"
#include "app/misc/cmenu.h"
#include "app/tab/functiondoc.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

// The function page in the shown, active window, with rows in both lists.
class FunctionKeys : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        page = window->functionPage();
        for (const char *name : {"a", "b", "c"})
            addParam(name);
        throwsForm()->typeBox->setText("Error");
        throwsForm()->insertButton->click();
    }

    Params *params() const { return page->params; }
    Throws *throwsForm() const { return page->throws; }

    void addParam(const QString &name) {
        params()->nameBox->setText(name);
        params()->insertButton->click();
    }
    static QString focused() {
        QWidget *w = QApplication::focusWidget();
        return w ? w->accessibleName() : QString("(none)");
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static std::vector<int> selectedRows(const ListForm *form) {
        std::vector<int> rows;
        for (int r = 0; r < form->listView->rowCount(); ++r)
            if (form->listView->selectionModel()->isRowSelected(r, {}))
                rows.push_back(r);
        return rows;
    }
    static void selectRow(ListForm *form, int row) {
        form->listView->selectionModel()->select(form->listView->model()->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }
    // Whether the whole row lies inside the visible part of the list.
    static bool rowInView(const ListForm *form, int row) {
        const QRect cell = form->listView->visualRect(form->listView->model()->index(row, 0));
        return form->listView->viewport()->rect().contains(cell);
    }

    Functiondoc *page = nullptr;
};

// Every tab stop of the page as the layout reads: the left column top to bottom, then the
// parameters' entry row and list, the return value, the exceptions' entry row, the buttons.
// The direction box, the list buttons, "更新" and the exception list are reached by mouse only.
TEST_F(FunctionKeys, TabWalksThePageInLayoutOrderBothWays) {
    const QStringList order{"date",        "summary",
                            "comment",     "note",
                            "params.name", "params.description",
                            "params.list", "returns",
                            "throws.type", "throws.description",
                            "cancel",      "ok",
                            "clipboard"};
    selectRow(params(), 1);
    page->date->textBox->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(focused(), order.front());
    for (qsizetype i = 1; i < order.size(); ++i) {
        press(Qt::Key_Tab);
        EXPECT_EQ(focused(), order[i]) << "Tab number " << i;
    }
    for (qsizetype i = order.size() - 2; i >= 0; --i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(focused(), order[i]) << "Shift+Tab back to number " << i;
    }
    EXPECT_EQ(selectedRows(params()), std::vector<int>{1}) << "focus passing keeps the selection";
    EXPECT_EQ(selectedRows(throwsForm()), std::vector<int>{});
}

TEST_F(FunctionKeys, KeysInAListMoveTheSelectionAndTabLeavesIt) {
    for (const char *name : {"d", "e"})
        addParam(name);
    struct Row {
        const char *name;
        int selected; // before the key
        Qt::Key key;
        std::vector<int> selectedAfter;
        const char *focusAfter;
    };
    const Row rows[] = {
        {"down", 1, Qt::Key_Down, {2}, "params.list"},
        {"up", 1, Qt::Key_Up, {0}, "params.list"},
        {"up on the first row", 0, Qt::Key_Up, {0}, "params.list"},
        {"down on the last row", 4, Qt::Key_Down, {4}, "params.list"},
        {"home", 3, Qt::Key_Home, {0}, "params.list"},
        {"end", 1, Qt::Key_End, {4}, "params.list"},
        {"tab leaves", 2, Qt::Key_Tab, {2}, "returns"},
        {"shift+tab leaves", 2, Qt::Key_Backtab, {2}, "params.description"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        params()->listView->setFocus(Qt::TabFocusReason);
        selectRow(params(), row.selected);
        params()->listView->setCurrentIndex(params()->listView->model()->index(row.selected, 0));
        press(row.key, row.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(selectedRows(params()), row.selectedAfter);
        EXPECT_EQ(focused(), row.focusAfter);
    }
    // Tab from the editor of a row's direction keeps the edit and leaves the list.
    params()->listView->setFocus(Qt::TabFocusReason);
    params()->listView->setCurrentIndex(params()->listView->model()->index(0, 0));
    press(Qt::Key_F2);
    ASSERT_NE(qobject_cast<QLineEdit *>(QApplication::focusWidget()), nullptr);
    QTest::keyClicks(QApplication::focusWidget(), "out");
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), "returns");
    EXPECT_EQ(params()->rows().front()[0], "out");

    // Passing through the list selects nothing, so the next insert appends.
    params()->listView->clearSelection();
    params()->nameBox->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Tab);
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(params()), std::vector<int>{});
    addParam("f");
    EXPECT_EQ(params()->rows().back()[1], "f");
}

TEST_F(FunctionKeys, ListsShowEnoughRowsAndKeepTheTouchedRowInView) {
    struct Form {
        ListForm *form;
        int rowsShown;
    };
    for (const Form &f : {Form{params(), 6}, Form{throwsForm(), 3}}) {
        QTableWidget *list = f.form->listView;
        EXPECT_GE(list->viewport()->height(), f.rowsShown * list->rowHeight(0))
            << list->accessibleName().toStdString();
        EXPECT_LE(list->rowHeight(0), list->fontMetrics().height() + 6);
    }
    for (int i = 0; i < 12; ++i) {
        addParam(QString("p%1").arg(i));
        EXPECT_TRUE(rowInView(params(), params()->listView->rowCount() - 1)) << "appended row " << i;
    }
    selectRow(params(), 0);
    params()->listView->scrollToBottom();
    params()->nameBox->setText("inserted");
    params()->insertButton->click();
    EXPECT_TRUE(rowInView(params(), 0)) << "a row inserted at the top";

    selectRow(params(), 0);
    for (int i = 0; i < 14; ++i) {
        params()->downButton->click();
        EXPECT_TRUE(rowInView(params(), selectedRows(params()).front())) << "moved down " << i;
    }
    params()->listView->scrollToBottom();
    params()->nameBox->setText("changed");
    selectRow(params(), 0);
    params()->changeButton->click();
    EXPECT_TRUE(rowInView(params(), 0)) << "a changed row";
}

TEST_F(FunctionKeys, DirectionBoxShowsEachDirectionWholeWithTheProgramsMenu) {
    QComboBox *box = params()->directionBox;
    QLineEdit *edit = box->lineEdit();
    EXPECT_EQ(box->width(), 50);
    // QLineEdit keeps 2 pixels free on either side of its text.
    for (int i = 0; i < box->count(); ++i)
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(box->itemText(i)) + 4, edit->width())
            << box->itemText(i).toStdString();

    // A right click on the text and on the arrow opens the program's menu, not the toolkit's.
    QGuiApplication::clipboard()->setText("x");
    box->setCurrentText("inout");
    edit->selectAll();
    const QPoint onText = edit->rect().center();
    const QPoint onArrow(box->width() - 3, box->height() / 2);
    for (auto [target, pos] : {std::pair<QWidget *, QPoint>{edit, onText}, {box, onArrow}}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
        QApplication::sendEvent(target, &event);
        auto *menu = qobject_cast<MyTextContextMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << target->metaObject()->className();
        const QAction *items[] = {menu->undoItem,  menu->cutItem,    menu->copyItem,
                                  menu->pasteItem, menu->deleteItem, menu->selectAllItem};
        const bool enabled[] = {false, true, true, true, true, false};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(items[i]->isEnabled(), enabled[i]) << items[i]->text().toStdString();
        menu->close();
    }
}

} // namespace
