// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom: the designed layout and the window's font scaled together, and a window that never asks
// for more than its screen holds.

#include "designedlayout.h"
#include "frmmain.h"
#include "notelistpanel.h"
#include "windowfont.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>

void frmMain::SetZoom(int percent)
{
    const int zoom = std::clamp(percent, MinZoom, MaxZoom);
    if (zoom == Zoom && qFuzzyCompare(m_layout->scale(), zoom / 100.0))
        return;
    Zoom = zoom;
    applyZoom();
}

void frmMain::applyZoom()
{
    QFont font = windowFont();
    font.setPointSizeF(font.pointSizeF() * Zoom / 100.0);
    setFont(font);
    m_layout->setScale(Zoom / 100.0);
    mnuView[1]->setEnabled(Zoom < MaxZoom);
    mnuView[2]->setEnabled(Zoom > MinZoom);
    fitOnScreen();
}

namespace {

// Lays out now what waits to be: the window's minimum then follows the fields' and the fonts'.
void layOutNow()
{
    // A change goes up from the fields' area to the window one level at a time.
    for (int level = 0; level < 4; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

} // namespace

// The fields' area asks for no more than the screen has room for beside the menu bar, the status
// bar, the list at its narrowest and the frame. The window grows by what the fields need, so that
// the list keeps its width, and stays within its screen, moved onto it where it must.
void frmMain::fitOnScreen()
{
    const QScreen *place = screen();
    if (place == nullptr)
        return;
    const QRect available = place->availableGeometry();
    // The frame as far as it is known: the platform may know it before the window is shown.
    winId();
    const QMargins margins = windowHandle()->frameMargins();
    const QSize frame(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize room = available.size() - frame;
    layOutNow();
    // What the window needs besides the fields, as now laid out.
    const QSize around = minimumSize() - m_layout->minimumSize();
    m_layout->setMinimumBound(room - around);
    layOutNow();
    if (!isVisible() || isMaximized() || isFullScreen())
        return;
    const QSize growth = (m_layout->minimumSize() - m_client->size()).expandedTo(QSize(0, 0));
    const QSize wanted = (size() + growth).boundedTo(room).expandedTo(minimumSize());
    const QRect now = frameGeometry();
    const int left = std::clamp(
        now.left(), available.left(),
        std::max(available.left(), available.right() + 1 - wanted.width() - frame.width()));
    const int top = std::clamp(
        now.top(), available.top(),
        std::max(available.top(), available.bottom() + 1 - wanted.height() - frame.height()));
    if (wanted != size())
        resize(wanted);
    if (QPoint(left, top) != now.topLeft())
        move(left, top);
}
