// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

// Places widgets where a fixed design put them, in a client area whose designed size is its
// default and smallest size. When the area grows, the widgets marked to stretch grow with it:
// in width by the area's added width, in height by its added height; the others keep their
// designed place and size. At the designed size everything stands exactly as designed.
//
// The design can be scaled as a whole (zoom). Where the scaled design does not fit on the screen,
// a smaller minimum lets the area shrink, and the stretching widgets shrink with it.
class DesignedLayout : public QLayout
{
public:
    enum Stretch { Fixed = 0, Width = 1, Height = 2 };

    explicit DesignedLayout(QSize designed, QWidget *parent = nullptr);
    ~DesignedLayout() override;
    DesignedLayout(const DesignedLayout &) = delete;
    DesignedLayout &operator=(const DesignedLayout &) = delete;

    // Puts `widget` at `designed`; an empty size there means the widget's own size hint.
    void addWidget(QWidget *widget, const QRect &designed, int stretch = Fixed);

    void addItem(QLayoutItem *item) override;
    [[nodiscard]] QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    [[nodiscard]] int count() const override { return int(m_items.size()); }
    // The scaled design, or smaller where the screen has no room for it.
    [[nodiscard]] QSize sizeHint() const override { return minimumSize(); }
    [[nodiscard]] QSize minimumSize() const override;
    void setGeometry(const QRect &area) override;

    // Scales every designed place and size, and the designed size, by `scale`.
    void setScale(qreal scale);
    [[nodiscard]] qreal scale() const { return m_scale; }
    // At most this small a minimum: the scaled designed size is the minimum as long as it is no
    // larger. An empty size: no such bound.
    void setMinimumBound(QSize bound);

private:
    [[nodiscard]] QSize scaled(QSize size) const;
    [[nodiscard]] QRect scaled(const QRect &box) const;

    struct Placed
    {
        QLayoutItem *item;
        QRect designed;
        int stretch;
    };
    QSize m_designed;
    qreal m_scale = 1.0;
    QSize m_minimumBound;
    QList<Placed> m_items;
};
