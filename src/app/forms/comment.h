#pragma once

#include <QPlainTextEdit>

// The free comment: a multi-line box shared by all pages. Until the user first focuses one
// of them, every comment field shows a grey hint, which never reaches a comment.
class Comment : public QPlainTextEdit {
    Q_OBJECT
public:
    // Shows the hint in every comment field, this one included.
    explicit Comment(QWidget *parent = nullptr);

    // Six lines; in English the hot key is called Super+C, as Linux desktops name it.
    static QString hintText();
    static const QColor hintColor;

    // The grey hint in every comment field; the comment counts as not entered.
    void reset();
    // The shared comment in every comment field.
    void refresh();
    // `text` as if typed into this field: the hint goes from all fields, and the comment
    // counts as entered.
    void setText(const QString &text);

protected:
    // The first focus of any comment field clears the hint from all of them.
    void focusInEvent(QFocusEvent *event) override;

private:
    // The grey hint in `box` alone.
    static void showHint(Comment *box);
    // Empties every field that shows the hint, in the text colour; the comment is then entered.
    static void clearHint();
};
