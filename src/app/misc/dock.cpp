#include "app/misc/dock.h"

#include <QWidget>
#include <QWidgetItem>

#include <algorithm>

DockLayout::DockLayout(QWidget *parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

DockLayout::~DockLayout() {
    for (auto &e : m_entries)
        delete e.item;
}

void DockLayout::dock(QWidget *widget, Dock side, int size) {
    addChildWidget(widget);
    m_entries.push_back({new QWidgetItem(widget), side, size});
    invalidate();
}

void DockLayout::addItem(QLayoutItem *item) {
    m_entries.push_back({item, Dock::Fill, 0});
}

QLayoutItem *DockLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? m_entries[index].item : nullptr;
}

QLayoutItem *DockLayout::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem *item = m_entries[index].item;
    m_entries.erase(m_entries.begin() + index);
    return item;
}

int DockLayout::count() const {
    return static_cast<int>(m_entries.size());
}

// The space the docked sizes add up to; the pages are placed in a fixed-size window, so
// this only matters for containers that are measured before they are shown.
QSize DockLayout::sizeHint() const {
    int w = 0, h = 0;
    for (const auto &e : m_entries) {
        if (e.side == Dock::Top || e.side == Dock::Bottom)
            h += e.size;
        else if (e.side == Dock::Left || e.side == Dock::Right)
            w += e.size;
    }
    return {w, h};
}

QSize DockLayout::minimumSize() const {
    return {0, 0};
}

void DockLayout::setGeometry(const QRect &rect) {
    QLayout::setGeometry(rect);
    QRect free = contentsRect();
    for (const auto &e : m_entries) {
        if (e.item->isEmpty() && e.item->widget() && e.item->widget()->isHidden())
            continue;
        QRect r = free;
        switch (e.side) {
        case Dock::Top:
            r.setHeight(std::min(e.size, free.height()));
            free.setTop(r.bottom() + 1);
            break;
        case Dock::Bottom:
            r.setTop(free.bottom() + 1 - std::min(e.size, free.height()));
            free.setBottom(r.top() - 1);
            break;
        case Dock::Left:
            r.setWidth(std::min(e.size, free.width()));
            free.setLeft(r.right() + 1);
            break;
        case Dock::Right:
            r.setLeft(free.right() + 1 - std::min(e.size, free.width()));
            free.setRight(r.left() - 1);
            break;
        case Dock::Fill:
            break;
        }
        // Exactly the docked rectangle, whatever the widget's own size hints say.
        if (QWidget *w = e.item->widget())
            w->setGeometry(r);
        else
            e.item->setGeometry(r);
    }
}
