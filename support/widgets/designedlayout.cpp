// SPDX-License-Identifier: GPL-3.0-or-later
#include "designedlayout.h"

#include <QWidget>
#include <QWidgetItem>

#include <algorithm>

DesignedLayout::DesignedLayout(QSize designed, QWidget *parent)
    : QLayout(parent), m_designed(designed)
{
    setContentsMargins(0, 0, 0, 0);
}

DesignedLayout::~DesignedLayout()
{
    for (const Placed &placed : std::as_const(m_items))
        delete placed.item;
}

void DesignedLayout::addWidget(QWidget *widget, const QRect &designed, int stretch)
{
    addChildWidget(widget);
    m_items.append({new QWidgetItem(widget), designed, stretch});
    invalidate();
}

void DesignedLayout::addItem(QLayoutItem *item)
{
    m_items.append({item, QRect(QPoint(0, 0), item->sizeHint()), Fixed});
}

QLayoutItem *DesignedLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].item : nullptr;
}

QLayoutItem *DesignedLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index).item;
}

void DesignedLayout::setGeometry(const QRect &area)
{
    QLayout::setGeometry(area);
    // Smaller than designed only while the window system has not yet applied the minimum.
    const int wider = std::max(0, area.width() - m_designed.width());
    const int taller = std::max(0, area.height() - m_designed.height());
    for (const Placed &placed : std::as_const(m_items)) {
        QRect box = placed.designed;
        if (box.size().isEmpty())
            box.setSize(placed.item->sizeHint());
        if ((placed.stretch & Width) != 0)
            box.setWidth(box.width() + wider);
        if ((placed.stretch & Height) != 0)
            box.setHeight(box.height() + taller);
        // Straight to the widget: a layout item would hold a field to its size policy's height.
        if (QWidget *widget = placed.item->widget())
            widget->setGeometry(box.translated(area.topLeft()));
        else
            placed.item->setGeometry(box.translated(area.topLeft()));
    }
}
