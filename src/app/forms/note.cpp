#include "app/forms/note.h"

#include "app/forms/shared.h"

#include <QPlainTextEdit>

Note::Note(QWidget *parent) : QWidget(parent) {
    textBox = labelledTextArea(this, tr("ノート"), "note");
    connect(textBox, &QPlainTextEdit::textChanged, this, [this] { storeText(text()); });
    g_forms.noteFields.push_back(textBox);
}

std::string Note::text() const {
    return textBox->toPlainText().toStdString();
}

void Note::storeText(std::string text) {
    g_forms.noteText = std::move(text);
}

void Note::showSharedText() {
    const QString text = QString::fromStdString(g_forms.noteText);
    forEachField(g_forms.noteFields, [&](QPlainTextEdit *box) {
        if (box->toPlainText() != text)
            box->setPlainText(text);
    });
}

void Note::clear() {
    textBox->clear();
    // Also when this field already was empty but another page's note was not.
    storeText({});
}

void Note::refresh() {
    showSharedText();
}
