#pragma once

#include <QWidget>

class QLineEdit;

// "説明": the one-line summary, shared by all pages. A comment cannot be made without it.
class Summary : public QWidget {
    Q_OBJECT
public:
    explicit Summary(QWidget *parent = nullptr);

    QLineEdit *textBox;

    // Puts the caret into this summary field; whether it is now the window's focus field.
    bool focusInput();
    // Empties this field and so the shared summary.
    void clear();
    // The shared summary in every summary field, with the caret at its end.
    void refresh();
};
