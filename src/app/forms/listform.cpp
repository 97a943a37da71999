#include "app/forms/listform.h"

#include "app/misc/cmenu.h"
#include "app/misc/dock.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QTableWidget>

#include <algorithm>

using Dock = DockLayout::Dock;

namespace {

// A side or entry-row button: out of the tab order, as the keyboard works in the inputs.
QPushButton *button(const QString &text, const QString &accessibleName) {
    auto *b = new QPushButton(text);
    b->setAccessibleName(accessibleName);
    b->setFocusPolicy(Qt::ClickFocus);
    return b;
}

// The grid's column captions. Qt sizes header sections as if their captions were bold (for
// highlighted sections, which this grid never shows), and so loads a bold face and its
// Japanese fallback at start only to measure; here they are measured as drawn.
class RegularHeader : public QHeaderView {
public:
    explicit RegularHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
        setSectionsClickable(true);
        setHighlightSections(false);
    }

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = logicalIndex;
        option.text = model()->headerData(logicalIndex, orientation()).toString();
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    }
};

} // namespace

// The grid as one stop in the tab order: Tab and Shift+Tab go on to the next control, also
// from an open editor; the arrow keys, Home and End move the selection between rows.
class RowList : public QTableWidget {
public:
    RowList() {
        setTabKeyNavigation(false);
        // A row as tall as a line of text and a little padding, so that the lists of the
        // function page show six and three rows without scrolling.
        constexpr int padding = 4;
        verticalHeader()->setMinimumSectionSize(1);
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + padding);
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    }

    // The scroll range follows added rows only once the event loop has run; a row appended
    // just now is scrolled to with the range brought up to date first.
    void showRow(int row) {
        updateGeometries();
        scrollTo(model()->index(row, 0));
    }

protected:
    // Home and End go to the first and last row, not to the first and last column.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        if (action == MoveHome || action == MoveEnd)
            modifiers |= Qt::ControlModifier;
        return QTableWidget::moveCursor(action, modifiers);
    }

    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override {
        const bool next = hint == QAbstractItemDelegate::EditNextItem;
        const bool previous = hint == QAbstractItemDelegate::EditPreviousItem;
        QTableWidget::closeEditor(editor, next || previous ? QAbstractItemDelegate::NoHint : hint);
        if (next || previous)
            focusNextPrevChild(next);
    }

    // With rows, the current cell shows that the grid has the focus; an empty grid shows it
    // round its whole area.
    void paintEvent(QPaintEvent *event) override {
        QTableWidget::paintEvent(event);
        if (!hasFocus() || currentIndex().isValid())
            return;
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = viewport()->rect();
        option.backgroundColor = palette().color(QPalette::Base);
        QPainter painter(viewport());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
};

ListForm::ListForm(const QString &caption, const QString &name,
                   const std::vector<std::pair<QString, int>> &columns, int topGap, QWidget *parent)
    : QGroupBox(caption, parent) {
    changeButton = button(tr("変更"), name + ".change");
    insertButton = button(tr("挿入"), name + ".insert");
    upButton = button("↑", name + ".up");
    downButton = button("↓", name + ".down");
    deleteButton = button("×", name + ".delete");
    descriptionBox = new QLineEdit;
    descriptionBox->setAccessibleName(name + ".description");
    new MyTextContextMenu(descriptionBox);

    auto *layout = new DockLayout(this);
    m_entryRow = new QWidget;
    layout->dock(m_entryRow, Dock::Top, 20);
    auto *body = new QWidget;
    layout->dock(body, Dock::Fill);
    auto *bodyLayout = new DockLayout(body);
    auto *side = new QWidget;
    bodyLayout->dock(side, Dock::Right, 20);
    auto *sideLayout = new DockLayout(side);
    if (topGap > 0)
        sideLayout->dock(new QWidget, Dock::Top, topGap);
    sideLayout->dock(upButton, Dock::Top, 20);
    sideLayout->dock(downButton, Dock::Top, 20);
    sideLayout->dock(deleteButton, Dock::Top, 20);

    listView = m_rowList = new RowList;
    // Before the columns exist, or Qt's own header would measure them first.
    listView->setHorizontalHeader(new RegularHeader(listView));
    listView->setColumnCount(static_cast<int>(columns.size()));
    listView->setAccessibleName(name + ".list");
    listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listView->setShowGrid(true);
    listView->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    listView->verticalHeader()->hide();
    listView->setWordWrap(false);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        listView->setHorizontalHeaderItem(c, new QTableWidgetItem(columns[c].first));
        listView->setColumnWidth(c, columns[c].second);
    }
    bodyLayout->dock(listView, Dock::Fill);

    connect(insertButton, &QPushButton::clicked, this, &ListForm::onInsert);
    connect(changeButton, &QPushButton::clicked, this, &ListForm::onChange);
    connect(upButton, &QPushButton::clicked, this, &ListForm::onUp);
    connect(downButton, &QPushButton::clicked, this, &ListForm::onDown);
    connect(deleteButton, &QPushButton::clicked, this, &ListForm::onDelete);
}

void ListForm::buildEntryRow(const std::vector<std::pair<QWidget *, int>> &inputs) {
    auto *layout = new DockLayout(m_entryRow);
    for (const auto &[input, width] : inputs)
        layout->dock(input, Dock::Left, width);
    layout->dock(changeButton, Dock::Right, 30);
    layout->dock(insertButton, Dock::Right, 30);
    layout->dock(descriptionBox, Dock::Fill);
    // As the form reads: the entry row, then the grid.
    setTabOrder(descriptionBox, listView);
}

void ListForm::onInsert() {
    const std::vector<int> selected = selectedIndices();
    const int row = selected.empty() ? listView->rowCount() : selected.front();
    if (selected.empty()) {
        appendRow(inputs());
    } else {
        std::vector<QStringList> rebuilt = rows();
        rebuilt.insert(rebuilt.begin() + row, inputs());
        setRows(rebuilt);
    }
    showRow(row);
    clearUsedInputs();
}

void ListForm::onChange() {
    const std::vector<int> selected = selectedIndices();
    if (selected.empty()) {
        onInsert();
        return;
    }
    writeRow(selected.front(), inputs());
    showRow(selected.front());
    clearUsedInputs();
}

void ListForm::onDelete() {
    const std::vector<int> selected = selectedIndices();
    if (selected.empty())
        return;
    std::vector<QStringList> kept;
    const std::vector<QStringList> all = rows();
    for (int r = 0; r < static_cast<int>(all.size()); ++r)
        if (!std::binary_search(selected.begin(), selected.end(), r))
            kept.push_back(all[r]);
    setRows(kept);
    if (selected.size() == 1 && selected.front() < listView->rowCount())
        select(selected.front(), true);
}

void ListForm::onUp() {
    for (int b : selectedIndices())
        if (b != 0)
            swapRows(b, b - 1);
}

void ListForm::onDown() {
    const std::vector<int> selected = selectedIndices();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        if (*it + 1 != listView->rowCount())
            swapRows(*it, *it + 1);
}

std::vector<QStringList> ListForm::rows() const {
    std::vector<QStringList> result;
    for (int r = 0; r < listView->rowCount(); ++r)
        result.push_back(rowTexts(r));
    return result;
}

QStringList ListForm::rowTexts(int row) const {
    QStringList texts;
    for (int c = 0; c < listView->columnCount(); ++c) {
        const QTableWidgetItem *item = listView->item(row, c);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

void ListForm::clearRows() {
    listView->setRowCount(0);
}

std::vector<int> ListForm::selectedIndices() const {
    std::vector<int> result;
    for (int r = 0; r < listView->rowCount(); ++r)
        if (isSelected(r))
            result.push_back(r);
    return result;
}

void ListForm::setRows(const std::vector<QStringList> &rows) {
    clearRows();
    for (const QStringList &texts : rows)
        appendRow(texts);
}

void ListForm::appendRow(const QStringList &texts) {
    const int row = listView->rowCount();
    listView->insertRow(row);
    for (int c = 0; c < listView->columnCount(); ++c) {
        auto *item = new QTableWidgetItem;
        if (c != 0)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        listView->setItem(row, c, item);
    }
    writeRow(row, texts);
}

void ListForm::writeRow(int row, const QStringList &texts) {
    for (int c = 0; c < listView->columnCount(); ++c)
        listView->item(row, c)->setText(c < texts.size() ? texts[c] : QString());
}

bool ListForm::isSelected(int row) const {
    return listView->selectionModel()->isRowSelected(row, QModelIndex());
}

void ListForm::select(int row, bool selected) {
    const auto flags =
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    listView->selectionModel()->select(listView->model()->index(row, 0), flags);
}

void ListForm::swapRows(int a, int b) {
    const QStringList aTexts = rowTexts(a), bTexts = rowTexts(b);
    const bool aSelected = isSelected(a), bSelected = isSelected(b);
    writeRow(a, bTexts);
    writeRow(b, aTexts);
    select(a, bSelected);
    select(b, aSelected);
    showRow(b);
}

void ListForm::showRow(int row) {
    m_rowList->showRow(row);
}
