#include "app/forms/comment.h"

#include "app/forms/shared.h"
#include "app/misc/cmenu.h"

#include <QApplication>

QString Comment::hintText() {
    return tr("この欄にはコメントを記入して下さい(省略可)\r\n"
              "この上の欄の「概要」の説明は必ず記述(省略不可)\r\n"
              "\r\n"
              "Shift+Ctrl+Cでクリップボードにコピー。\r\n"
              "Ctrl+Iですべて初期化。\r\n"
              "Windows+Cでアクティブになります。");
}
const QColor Comment::hintColor(128, 128, 128);

namespace {

void setTextColor(QPlainTextEdit *box, const QColor &color) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, color);
    box->setPalette(palette);
}

QColor windowTextColor(const QWidget *box) {
    return QApplication::palette(box).color(QPalette::Text);
}

} // namespace

Comment::Comment(QWidget *parent) : QPlainTextEdit(parent) {
    setAccessibleName("comment");
    // Enter makes a new line; Tab goes on to the next field.
    setTabChangesFocus(true);
    // The box keeps line breaks as LF; the comment is split at CR LF, CR or LF alike.
    connect(this, &QPlainTextEdit::textChanged, this,
            [this] { g_forms.commentText = toPlainText().toStdString(); });
    g_forms.commentFields.push_back(this);
    // While the hint shows, the other fields already show it: lay out this box's text only.
    if (g_forms.commentEntered)
        reset();
    else
        showHint(this);
    new MyTextContextMenu(this);
}

void Comment::showHint(Comment *box) {
    box->setPlainText(hintText());
    setTextColor(box, hintColor);
}

void Comment::reset() {
    forEachField(g_forms.commentFields, showHint);
    g_forms.commentEntered = false;
}

void Comment::refresh() {
    const QString text = QString::fromStdString(g_forms.commentText);
    forEachField(g_forms.commentFields, [&](Comment *box) {
        if (box->toPlainText() != text)
            box->setPlainText(text);
    });
}

void Comment::setText(const QString &text) {
    clearHint();
    setPlainText(text);
}

void Comment::clearHint() {
    if (g_forms.commentEntered)
        return;
    forEachField(g_forms.commentFields, [](Comment *box) {
        box->setPlainText(QString());
        setTextColor(box, windowTextColor(box));
    });
    g_forms.commentEntered = true;
}

void Comment::focusInEvent(QFocusEvent *event) {
    clearHint();
    QPlainTextEdit::focusInEvent(event);
}
