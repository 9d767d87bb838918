// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// A date in the locale's long or short date format. Throws QvError for an invalid date.
QString qvSystemTimeToStringDate(QDate date, bool longForm,
                                 const QLocale &locale = QLocale::system());

// A time of day with hours, minutes and seconds in the locale's long time format, without the
// zone name and the brackets or separator that went with it, and without pattern letters that
// Qt cannot format (they would show as themselves). Throws QvError for an invalid time.
QString qvSystemTimeToStringTime(QTime time, const QLocale &locale = QLocale::system());

// A moment in the process's local time by the C library's rules for TZ, as `date` shows it:
// POSIX offsets such as "UTC+3" count west of Greenwich, a zone it does not know is UTC, and
// the offset is the one in force at that moment. Throws QvError when it cannot be converted.
QDateTime qvToProcessLocalTime(const QDateTime &moment);
