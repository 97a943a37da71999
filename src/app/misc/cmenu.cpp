#include "app/misc/cmenu.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>

MyTextContextMenu::MyTextContextMenu(QLineEdit *box) : MyTextContextMenu(box, box, nullptr) {
    attach(box, box);
}

// A multi-line box reports context-menu positions in its viewport's coordinates.
MyTextContextMenu::MyTextContextMenu(QPlainTextEdit *box) : MyTextContextMenu(box, nullptr, box) {
    attach(box, box->viewport());
}

// The drop-down box's own handler would open the toolkit's menu of its text field when the
// click is on the arrow, so the box opens this one too.
MyTextContextMenu::MyTextContextMenu(QComboBox *box)
    : MyTextContextMenu(box->lineEdit(), box->lineEdit(), nullptr) {
    attach(m_line, m_line);
    attach(box, box);
}

MyTextContextMenu::MyTextContextMenu(QWidget *parent, QLineEdit *line, QPlainTextEdit *plain)
    : QMenu(parent), m_line(line), m_plain(plain) {
    connect(this, &QMenu::aboutToShow, this, &MyTextContextMenu::onPopup);
}

void MyTextContextMenu::attach(QWidget *owner, QWidget *surface) {
    owner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(owner, &QWidget::customContextMenuRequested, this,
            [this, surface](const QPoint &pos) { popup(surface->mapToGlobal(pos)); });
}

void MyTextContextMenu::addItems() {
    undoItem = addAction(tr("元に戻す(&U)"), this, &MyTextContextMenu::undo);
    addSeparator();
    cutItem = addAction(tr("切り取り(&T)"), this, &MyTextContextMenu::cut);
    copyItem = addAction(tr("コピー(&C)"), this, &MyTextContextMenu::copy);
    pasteItem = addAction(tr("貼り付け(&P)"), this, &MyTextContextMenu::paste);
    deleteItem = addAction(tr("削除(&D)"), this, &MyTextContextMenu::deleteSelection);
    addSeparator();
    selectAllItem = addAction(tr("すべて選択(&A)"), this, &MyTextContextMenu::selectAll);
}

void MyTextContextMenu::onPopup() {
    // Built on first use: the program has a menu for each of its many text boxes, and
    // building them all would slow its start.
    if (!undoItem)
        addItems();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const bool canPaste = data && data->hasText();
    const int selected = selectionLength();
    const int length = textLength();
    const bool readOnly = isReadOnly();
    undoItem->setEnabled(canUndo());
    cutItem->setEnabled(!readOnly && selected != 0);
    copyItem->setEnabled(selected != 0);
    pasteItem->setEnabled(!readOnly && canPaste);
    deleteItem->setEnabled(!readOnly && selected != 0);
    selectAllItem->setEnabled(length != 0 && length != selected);
}

int MyTextContextMenu::selectionLength() const {
    if (m_line)
        return static_cast<int>(m_line->selectedText().size());
    const QTextCursor cursor = m_plain->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

int MyTextContextMenu::textLength() const {
    if (m_line)
        return static_cast<int>(m_line->text().size());
    // Counted like the selection, so that a fully selected box compares equal.
    QTextCursor all(m_plain->document());
    all.movePosition(QTextCursor::End);
    return all.position();
}

bool MyTextContextMenu::isReadOnly() const {
    return m_line ? m_line->isReadOnly() : m_plain->isReadOnly();
}

bool MyTextContextMenu::canUndo() const {
    return m_line ? m_line->isUndoAvailable() : m_plain->document()->isUndoAvailable();
}

void MyTextContextMenu::undo() {
    m_line ? m_line->undo() : m_plain->undo();
}
void MyTextContextMenu::cut() {
    m_line ? m_line->cut() : m_plain->cut();
}
void MyTextContextMenu::copy() {
    m_line ? m_line->copy() : m_plain->copy();
}
void MyTextContextMenu::paste() {
    m_line ? m_line->paste() : m_plain->paste();
}

void MyTextContextMenu::deleteSelection() {
    if (m_line)
        m_line->del();
    else
        m_plain->textCursor().removeSelectedText();
}

void MyTextContextMenu::selectAll() {
    m_line ? m_line->selectAll() : m_plain->selectAll();
}
