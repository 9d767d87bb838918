// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"

#include <QString>

// A stamp value as the lenient reading shows it. The compact form (20130403T001940) and the
// extended one (2013-04-03T00:19:40), each with or without a trailing Z and in any letter case,
// are UTC and shown as FormatStamp shows the compact form; anything else, a stamp that names no
// valid moment included, is shown as written, trimmed and upper-cased as the strict reading
// shows it.
QString ShowUtcStamp(const QString &value, const DateDisplay &display);

// A stamp as ShowUtcStamp shows it, and the UTC moment it names in either form (an invalid
// QDateTime for anything else).
struct UtcStamp
{
    QString shown;
    QDateTime moment;
};
UtcStamp ReadUtcStamp(const QString &value, const DateDisplay &display);
