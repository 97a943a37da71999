#include "forms/note.h"

#include "forms/shared.h"
#include "misc/cmenu.h"
#include "misc/dock.h"

#include <QLabel>
#include <QPlainTextEdit>

using Dock = DockLayout::Dock;

Note::Note(QWidget* parent) : QWidget(parent)
{
    auto* layout = new DockLayout(this);
    layout->dock(new QLabel("ノート"), Dock::Top, 20);
    textBox = new QPlainTextEdit;
    textBox->setAccessibleName("note");
    textBox->setTabChangesFocus(true);
    layout->dock(textBox, Dock::Fill);
    connect(textBox, &QPlainTextEdit::textChanged, this, [this] { storeText(text()); });
    new MyTextContextMenu(textBox);
    g_forms.noteFields.push_back(textBox);
}

std::string Note::text() const { return textBox->toPlainText().toStdString(); }

void Note::storeText(std::string text) { g_forms.noteText = std::move(text); }

void Note::showSharedText()
{
    const QString text = QString::fromStdString(g_forms.noteText);
    forEachField(g_forms.noteFields, [&](QPlainTextEdit* box) {
        if (box->toPlainText() != text)
            box->setPlainText(text);
    });
}

void Note::clear()
{
    textBox->clear();
    // Also when this field already was empty but another page's note was not.
    storeText({});
}

void Note::refresh() { showSharedText(); }
