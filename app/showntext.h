// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// A name or text as a list row or a menu can show it: control characters (a newline in a file
// name) as their visible symbols, and the octets of a name that is not UTF-8 as U+FFFD.
QString shownText(QStringView text);
