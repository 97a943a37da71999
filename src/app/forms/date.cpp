#include "app/forms/date.h"

#include "app/forms/shared.h"
#include "app/misc/dock.h"
#include "core/misc/date.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

using Dock = DockLayout::Dock;

Date::Date(QWidget *parent) : QWidget(parent) {
    auto *layout = new DockLayout(this);
    layout->dock(new QLabel(tr("日付")), Dock::Left, 50);
    updateButton = new QPushButton(tr("更新"));
    updateButton->setAccessibleName("date.update");
    layout->dock(updateButton, Dock::Right, 50);
    updateButton->setFocusPolicy(Qt::ClickFocus);
    connect(updateButton, &QPushButton::clicked, this, &Date::onUpdateClick);
    textBox = sharedLineEdit("date", g_forms.dateText, g_forms.dateFields);
    layout->dock(textBox, Dock::Fill);
    update();
}

void Date::update() {
    g_forms.dateText = formatCurrentDate();
    refresh();
}

void Date::refresh() {
    // Setting a box's text stores it back into dateText, so show one copy to all.
    const QString text = QString::fromStdString(g_forms.dateText);
    forEachField(g_forms.dateFields, [&](QLineEdit *box) { box->setText(text); });
}

void Date::onUpdateClick() {
    update();
}

void Date::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        textBox->setText(QString::fromStdString(g_forms.dateText));
    QWidget::mouseReleaseEvent(event);
}
