// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <optional>

// How time stamps are shown: the date mode, and the locale and time zone to show them in.
struct DateDisplay
{
    // Time first, then the short date; otherwise the long date, ", " and the time.
    bool shortDate = false;
    QLocale locale = QLocale::system();
    // The zone to show stamps in; none: the process's local time, as `date` shows it (the C
    // library's reading of TZ).
    std::optional<QTimeZone> zone;
};

// The UTC moment that a stamp of the form yyyymmddThhmmss (T in either case) names; an invalid
// QDateTime for anything else, a stamp that names no valid moment (or one before 1601) included.
QDateTime StampMoment(QStringView value);

// An upper-cased stamp in the compact form: the trailing Z dropped, and the separators of the
// extended form (2013-04-03T00:19:40) too; any other value as it is.
QString CompactStampForm(const QString &upper);

// The UTC moment that an upper-cased stamp names in any form the lenient reading takes: the
// compact form or the extended one, each with or without a trailing Z; an invalid QDateTime for
// anything else. The exports' UTC moments, whichever way the note was read.
QDateTime UtcStampMoment(const QString &upper);

// A UTC stamp of the form yyyymmddThhmmss (T in either case) as local date and time text, with
// the zone's offset at the stamp's own moment. Anything else, or a stamp that names no valid
// moment, is returned unchanged.
QString FormatStamp(const QString &value, const DateDisplay &display);

// A moment as FormatStamp shows the stamp that names it; the empty text for a moment that cannot
// be shown so.
QString FormatMoment(const QDateTime &moment, const DateDisplay &display);
