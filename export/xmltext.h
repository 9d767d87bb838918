// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// `text` with every character that XML 1.0 cannot hold (the controls other than tab, LF and
// CR, U+FFFE, U+FFFF and unpaired surrogates) replaced by U+FFFD.
QString xmlSafeText(QStringView text);

// One line of a note with its blanks kept visible in HTML, which collapses runs of white space
// and drops it at a line's ends, as Evernote writes them: a tab counts as four blanks, and a
// blank becomes a no-break space where HTML would not show it as it is (at the line's start or
// end, or after a blank kept as one), so that a run alternates no-break spaces and blanks.
QString visibleBlanks(const QString &line);
