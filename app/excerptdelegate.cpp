// SPDX-License-Identifier: GPL-3.0-or-later
#include "excerptdelegate.h"

#include "notelistmodel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

void ExcerptDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    // The cell as any other, without its text, which is drawn here.
    item.text.clear();
    const QStyle *style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    if (text.isEmpty())
        return;

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget)
                           .adjusted(style->pixelMetric(QStyle::PM_FocusFrameHMargin), 0, 0, 0);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const auto start = int(index.data(NoteListModel::MatchStartRole).toLongLong());
    const auto length = int(index.data(NoteListModel::MatchLengthRole).toLongLong());
    QTextLayout layout(text, item.font);
    if (length > 0)
        layout.setFormats({{start, length, bold}});
    QTextOption one;
    one.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(one);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;

    const bool selected = (item.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (item.state & QStyle::State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setClipRect(area);
    painter->setPen(
        item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const qreal top = area.top() + (area.height() - line.height()) / 2;
    layout.draw(painter, QPointF(area.left(), top));
    painter->restore();
}
