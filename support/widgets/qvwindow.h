// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

class QGuiApplication;
class QWidget;

// Makes the program known to the desktop under its application name, so that the desktop
// matches its windows with its launcher entry (and icon).
void qvRegisterAppPath();

// True only when QUILLET_IN_IDE is "1": a developer's run that wants the designed icons kept.
bool qvIsInIDE();

// Qt has no hidden owner window; the application object stands in for it: what is set on it
// (the icon) becomes every window's default.
QGuiApplication *qvGetThunderMainHandle();

// The icon group `name` of the program's resources: every size it holds. Throws QvError when
// the program has no such group.
QIcon qvResIcon(const QString &name);

// Gives a window, or the whole application, the icons of the resource group `name`.
void qvSetWindowResIconAll(QWidget *window, const QString &name);
void qvSetWindowResIconAll(QGuiApplication *application, const QString &name);

// Centres a window in the available area of its screen, frame included where the frame is
// already known.
void qvCenterFormEx(QWidget *window);

// Brings a window's normal placement within the available area of its screen: too large, it
// is made as large as the area, or given `defaultSize` where even that is below its minimum;
// standing out, it is moved in. A maximized or full-screen window keeps its state, and returns to
// the fitted placement. The frame counts where it is already known.
void qvFitOnScreen(QWidget *window, QSize defaultSize);

// Closes a window as its close button does, so that its close handler runs.
void qvUnloadForm(QWidget *window);
