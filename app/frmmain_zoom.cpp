// SPDX-License-Identifier: GPL-3.0-or-later
// Zoom: the designed layout and the window's font scaled together, and a window that never asks
// for more than its screen holds.

#include "designedlayout.h"
#include "frmmain.h"
#include "windowfont.h"

#include <QAction>
#include <QScreen>
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

// The fields' area asks for no more than the screen has room for beside the menu bar, the status
// bar, the list and the frame; a window larger than the screen is made to fit.
void frmMain::fitOnScreen()
{
    const QScreen *place = screen();
    if (place == nullptr)
        return;
    const QSize available = place->availableGeometry().size();
    QSize frame;
    if (windowHandle() != nullptr) {
        const QMargins margins = windowHandle()->frameMargins();
        frame = QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    }
    const QSize around = size() - m_client->size();
    m_layout->setMinimumBound(available - frame - around);
    if (isMaximized() || isFullScreen())
        return;
    const QSize fitted = size().boundedTo(available - frame);
    if (fitted != size())
        resize(fitted);
}
