#pragma once

#include <QMenu>

class QAction;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The Japanese edit menu of every text box, replacing the toolkit's own. Items are enabled
// just before the menu opens, by the box's state and whether the clipboard holds text.
class MyTextContextMenu : public QMenu {
    Q_OBJECT
public:
    // The menu becomes a child of the box and its context menu.
    explicit MyTextContextMenu(QLineEdit *box);
    explicit MyTextContextMenu(QPlainTextEdit *box);
    // Serves the text field of an editable drop-down box.
    explicit MyTextContextMenu(QComboBox *box);

    // Null until the menu first opens.
    QAction *undoItem = nullptr;
    QAction *copyItem = nullptr;
    QAction *cutItem = nullptr;
    QAction *pasteItem = nullptr;
    QAction *deleteItem = nullptr;
    QAction *selectAllItem = nullptr;

    // Adds the items the first time, then sets their enabled states; runs each time before
    // the menu opens.
    void onPopup();

private:
    // The box is the menu's parent; exactly one of line and plain is set.
    MyTextContextMenu(QWidget *parent, QLineEdit *line, QPlainTextEdit *plain);
    // A right click on owner opens the menu where it was clicked; positions are given in
    // surface's coordinates.
    void attach(QWidget *owner, QWidget *surface);

    void addItems();

    // Exactly one of these is set: the box this menu serves.
    QLineEdit *m_line = nullptr;
    QPlainTextEdit *m_plain = nullptr;

    int selectionLength() const;
    int textLength() const;
    bool isReadOnly() const;
    bool canUndo() const;
    void undo();
    void cut();
    void copy();
    void paste();
    void deleteSelection();
    void selectAll();
};
