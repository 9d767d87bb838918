// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Puts the top-level menu at `position` (counted from 0, separators not counted) of the window's
// menu bar, and every menu after it, at the bar's right end; `justify` false puts it back. A
// menu bar that the desktop draws itself (a global menu) is left to the desktop. Throws QvError
// when the window has no menu bar or no menu at that position.
void qvSetMenuJustify(QWidget *window, int position, bool justify);
