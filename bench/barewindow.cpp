// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for the viewer's start-up: a bare Qt window that shows and quits at its first paint.

#include "shownprobe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(385, 313);
    new ShownProbe(&window, [] { return true; });
    window.show();
    return QApplication::exec();
}
