// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvmenujustify.h"

#include "qverror.h"

#include <QAction>
#include <QMenuBar>
#include <QProxyStyle>

namespace {

// A menu bar draws the menus after a separator at its right end when its style asks for it.
class RightJustifyStyle : public QProxyStyle
{
public:
    explicit RightJustifyStyle(const QString &baseStyle) : QProxyStyle(baseStyle) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_DrawMenuBarSeparator)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

const char *const JustifySeparator = "qvJustifySeparator";

QAction *menuAt(const QMenuBar *bar, int position)
{
    int index = 0;
    for (QAction *action : bar->actions()) {
        if (action->isSeparator())
            continue;
        if (index++ == position)
            return action;
    }
    return nullptr;
}

void removeJustifySeparators(QMenuBar *bar)
{
    for (QAction *action : bar->actions()) {
        if (action->property(JustifySeparator).toBool()) {
            bar->removeAction(action);
            delete action;
        }
    }
}

} // namespace

void qvSetMenuJustify(QWidget *window, int position, bool justify)
{
    QMenuBar *bar = window != nullptr ? window->findChild<QMenuBar *>() : nullptr;
    if (bar == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("У окна нет строки меню"));
    QAction *menu = menuAt(bar, position);
    if (menu == nullptr)
        throw QvError(QvInvalidArgument,
                      QStringLiteral("В строке меню нет меню номер %1").arg(position));

    removeJustifySeparators(bar);
    if (!justify || bar->isNativeMenuBar())
        return;
    QAction *separator = bar->insertSeparator(menu);
    separator->setProperty(JustifySeparator, true);
    if (dynamic_cast<RightJustifyStyle *>(bar->style()) == nullptr) {
        auto *style = new RightJustifyStyle(bar->style()->name());
        style->setParent(bar);
        bar->setStyle(style);
    }
}
