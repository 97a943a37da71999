#include "apptest.h"

#include "app/forms/params.h"
#include "app/forms/throws.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

using ListForms = AppTest;

// The list as its rows' second column ("a b c"), and the selected rows.
QString names(const ListForm &form) {
    QStringList result;
    for (const QStringList &row : form.rows())
        result << row[1];
    return result.join(' ');
}

std::vector<int> selectedRows(const ListForm &form) {
    std::vector<int> result;
    for (int r = 0; r < form.listView->rowCount(); ++r)
        if (form.listView->selectionModel()->isRowSelected(r, {}))
            result.push_back(r);
    return result;
}

void select(ListForm &form, const std::vector<int> &rows) {
    form.listView->clearSelection();
    for (int r : rows)
        form.listView->selectionModel()->select(form.listView->model()->index(r, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Rows ("in", "a", "da"), ("out", "b", "db"), ... through the form's own inputs.
void fill(Params &form, const QStringList &rowNames) {
    const QStringList directions{"in", "out", "inout"};
    for (qsizetype i = 0; i < rowNames.size(); ++i) {
        form.directionBox->setCurrentText(directions[i % 3]);
        form.nameBox->setText(rowNames[i]);
        form.descriptionBox->setText("d" + rowNames[i]);
        form.insertButton->click();
    }
}

enum class Op { Insert, Change, Delete, Up, Down };

TEST_F(ListForms, ParamsButtonsFollowTheSelection) {
    struct Row {
        const char *name;
        std::vector<int> selected;
        Op op;
        QString after;
        std::vector<int> selectedAfter;
    };
    const Row rows[] = {
        {"insert without selection appends", {}, Op::Insert, "a b c d n", {}},
        {"insert goes above the first selected row, then nothing is selected",
         {1, 2},
         Op::Insert,
         "a n b c d",
         {}},
        {"change without selection appends", {}, Op::Change, "a b c d n", {}},
        {"change overwrites the selected row, which stays selected", {2}, Op::Change, "a b n d", {2}},
        {"change writes only the first selected row", {1, 3}, Op::Change, "a n c d", {1, 3}},
        {"delete a middle row selects the one moving up", {1}, Op::Delete, "a c d", {1}},
        {"delete the last row leaves nothing selected", {3}, Op::Delete, "a b c", {}},
        {"delete several leaves nothing selected", {0, 2}, Op::Delete, "b d", {}},
        {"delete without selection does nothing", {}, Op::Delete, "a b c d", {}},
        {"up moves a row and its selection", {2}, Op::Up, "a c b d", {1}},
        {"up on the first row does nothing", {0}, Op::Up, "a b c d", {0}},
        {"up moves a block as a whole", {1, 2}, Op::Up, "b c a d", {0, 1}},
        {"up with rows 0 and 1 exchanges them", {0, 1}, Op::Up, "b a c d", {0, 1}},
        {"up without selection does nothing", {}, Op::Up, "a b c d", {}},
        {"down moves a row and its selection", {1}, Op::Down, "a c b d", {2}},
        {"down on the last row does nothing", {3}, Op::Down, "a b c d", {3}},
        {"down moves a block as a whole", {1, 2}, Op::Down, "a d b c", {2, 3}},
        {"down with the last two rows exchanges them", {2, 3}, Op::Down, "a b d c", {2, 3}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Params form;
        fill(form, {"a", "b", "c", "d"});
        select(form, row.selected);
        form.directionBox->setCurrentText("out");
        form.nameBox->setText("n");
        form.descriptionBox->setText("dn");
        QPushButton *buttons[] = {form.insertButton, form.changeButton, form.deleteButton, form.upButton,
                                  form.downButton};
        buttons[static_cast<int>(row.op)]->click();

        EXPECT_EQ(names(form), row.after);
        EXPECT_EQ(selectedRows(form), row.selectedAfter);
        const bool used = row.op == Op::Insert || row.op == Op::Change;
        EXPECT_EQ(form.nameBox->text(), used ? "" : "n");
        EXPECT_EQ(form.descriptionBox->text(), used ? "" : "dn");
        EXPECT_EQ(form.directionBox->currentText(), "out");
        // Moved rows keep all their texts together.
        for (const QStringList &texts : form.rows())
            EXPECT_EQ(texts[2], "d" + texts[1]);
    }
}

TEST_F(ListForms, ParamsEntriesAndReset) {
    Params form;
    EXPECT_EQ(form.directionBox->currentText(), "in");
    form.nameBox->setText("a");
    form.descriptionBox->setText("x");
    form.insertButton->click();
    form.directionBox->setCurrentText("out");
    form.nameBox->setText("b");
    form.insertButton->click();

    const std::vector<ParamEntry> entries = form.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].direction, "in");
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[0].description, "x");
    EXPECT_EQ(entries[1].direction, "out");
    EXPECT_EQ(entries[1].name, "b");
    EXPECT_EQ(entries[1].description, "");

    form.nameBox->setText("left over");
    form.reset();
    EXPECT_EQ(form.directionBox->currentText(), "in");
    EXPECT_EQ(form.nameBox->text(), "");
    EXPECT_TRUE(form.entries().empty());
}

TEST_F(ListForms, ThrowsTwinUsesTypeAndDescription) {
    Throws form;
    form.typeBox->setText("std::bad_alloc");
    form.descriptionBox->setText("out of memory");
    form.insertButton->click();
    EXPECT_EQ(form.typeBox->text(), "") << "the type is used up, unlike a direction";
    EXPECT_EQ(form.descriptionBox->text(), "");
    form.typeBox->setText("Orvex::Exception");
    form.insertButton->click();
    select(form, {1});
    form.upButton->click();

    const std::vector<ExceptionEntry> entries = form.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].type, "Orvex::Exception");
    EXPECT_EQ(entries[0].description, "");
    EXPECT_EQ(entries[1].type, "std::bad_alloc");
    EXPECT_EQ(entries[1].description, "out of memory");

    form.reset();
    EXPECT_TRUE(form.entries().empty());
}

} // namespace
