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

QSize DesignedLayout::scaled(QSize size) const
{
    return {qRound(size.width() * m_scale), qRound(size.height() * m_scale)};
}

QRect DesignedLayout::scaled(const QRect &box) const
{
    return {qRound(box.left() * m_scale), qRound(box.top() * m_scale),
            qRound(box.width() * m_scale), qRound(box.height() * m_scale)};
}

QSize DesignedLayout::minimumSize() const
{
    const QSize designed = scaled(m_designed);
    return m_minimumBound.isEmpty() ? designed : designed.boundedTo(m_minimumBound);
}

void DesignedLayout::setScale(qreal scale)
{
    m_scale = scale;
    invalidate();
}

void DesignedLayout::setMinimumBound(QSize bound)
{
    m_minimumBound = bound;
    invalidate();
}

void DesignedLayout::setGeometry(const QRect &area)
{
    QLayout::setGeometry(area);
    // Smaller than designed where the screen has no room for it, or while the window system has
    // not yet applied the minimum; a stretching widget then keeps at least a quarter of its size.
    const QSize designed = scaled(m_designed);
    const int wider = std::max(area.width(), minimumSize().width()) - designed.width();
    const int taller = std::max(area.height(), minimumSize().height()) - designed.height();
    for (const Placed &placed : std::as_const(m_items)) {
        QRect box = scaled(placed.designed);
        if (box.size().isEmpty())
            box.setSize(placed.item->sizeHint());
        if ((placed.stretch & Width) != 0)
            box.setWidth(std::max(box.width() + wider, box.width() / 4));
        if ((placed.stretch & Height) != 0)
            box.setHeight(std::max(box.height() + taller, box.height() / 4));
        // Straight to the widget: a layout item would hold a field to its size policy's height.
        if (QWidget *widget = placed.item->widget())
            widget->setGeometry(box.translated(area.topLeft()));
        else
            placed.item->setGeometry(box.translated(area.topLeft()));
    }
}
