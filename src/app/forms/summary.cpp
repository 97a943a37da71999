#include "app/forms/summary.h"

#include "app/forms/shared.h"
#include "app/misc/dock.h"

#include <QLabel>
#include <QLineEdit>

using Dock = DockLayout::Dock;

Summary::Summary(QWidget *parent) : QWidget(parent) {
    auto *layout = new DockLayout(this);
    layout->dock(new QLabel(tr("説明")), Dock::Left, 50);
    textBox = sharedLineEdit("summary", g_forms.summaryText, g_forms.summaryFields);
    layout->dock(textBox, Dock::Fill);
}

bool Summary::focusInput() {
    textBox->setFocus(Qt::OtherFocusReason);
    return textBox->window()->focusWidget() == textBox;
}

void Summary::clear() {
    textBox->clear();
    // Also when this field already was empty but another page's summary was not.
    g_forms.summaryText.clear();
}

void Summary::refresh() {
    const QString text = QString::fromStdString(g_forms.summaryText);
    forEachField(g_forms.summaryFields, [&](QLineEdit *box) {
        box->setText(text);
        box->end(false);
    });
}
