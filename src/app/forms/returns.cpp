#include "forms/returns.h"

#include "misc/cmenu.h"
#include "misc/dock.h"

#include <QLabel>
#include <QPlainTextEdit>

using Dock = DockLayout::Dock;

Returns::Returns(QWidget* parent) : QWidget(parent)
{
    auto* layout = new DockLayout(this);
    layout->dock(new QLabel("戻り値"), Dock::Top, 20);
    textBox = new QPlainTextEdit;
    textBox->setAccessibleName("returns");
    textBox->setTabChangesFocus(true);
    layout->dock(textBox, Dock::Fill);
    new MyTextContextMenu(textBox);
}

std::string Returns::text() const { return textBox->toPlainText().toStdString(); }

void Returns::clear() { textBox->clear(); }
