#pragma once

#include <QGroupBox>
#include <QStringList>

#include <utility>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;
class RowList;

// The parameter and exception lists share this: an entry row (the inputs, "挿入", "変更"), a
// grid of rows, and "↑", "↓", "×" beside it. A row holds one text per column, the inputs'
// texts in the same order; only the first column can be edited in place.
class ListForm : public QGroupBox {
    Q_OBJECT
public:
    QLineEdit *descriptionBox;
    QTableWidget *listView;
    QPushButton *changeButton;
    QPushButton *insertButton;
    QPushButton *upButton;
    QPushButton *downButton;
    QPushButton *deleteButton;

    // Adds the inputs as a row above the first selected row (at the end when none is); then
    // nothing is selected.
    void onInsert();
    // Writes the inputs into the first selected row, which stays selected; inserts when none is.
    void onChange();
    // Removes the selected rows. A single deleted row hands its selection to the row that moves
    // up into its place, so repeated presses delete consecutive rows.
    void onDelete();
    // Moves each selected row one place up, lowest first; row 0 stays. A selected block moves
    // as a whole, keeping its order and selection.
    void onUp();
    // The mirror image of onUp, highest first; the last row stays.
    void onDown();
    void refresh() {}

    // The rows' texts, top to bottom.
    std::vector<QStringList> rows() const;

protected:
    // name: "params" or "throws", the prefix of the controls' accessible names. The side
    // buttons start topGap pixels down.
    ListForm(const QString &caption, const QString &name, const std::vector<std::pair<QString, int>> &columns,
             int topGap, QWidget *parent);

    // Docks the leading inputs (left, each with its width), then "変更", "挿入" and the
    // description. Subclasses call it once from their constructor.
    void buildEntryRow(const std::vector<std::pair<QWidget *, int>> &inputs);
    // The inputs' texts, in column order.
    virtual QStringList inputs() const = 0;
    // Empties the inputs that an insert or change has used.
    virtual void clearUsedInputs() = 0;
    // Empties the list.
    void clearRows();
    // The list becomes these rows, none selected.
    void setRows(const std::vector<QStringList> &rows);

private:
    QWidget *m_entryRow;
    RowList *m_rowList; // listView

    QStringList rowTexts(int row) const;
    std::vector<int> selectedIndices() const;
    void appendRow(const QStringList &texts);
    void writeRow(int row, const QStringList &texts);
    void select(int row, bool selected);
    bool isSelected(int row) const;
    // Swaps the texts and selection of two rows; then b, where a's texts went, is in view.
    void swapRows(int a, int b);
    // Scrolls the grid so that the row is in view.
    void showRow(int row);
};
