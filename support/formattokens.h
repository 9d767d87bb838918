// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// One piece of a date or time format, as QLocale::toString reads it.
struct FormatToken
{
    enum Kind {
        Field, // a pattern Qt formats for a time: hours, minutes, seconds, milliseconds, AM/PM
        Zone,  // the zone name
        Unsupported, // a letter Qt 6.4 cannot format for a time, such as the day period "B"
        Literal,     // quoted text, or one character that is not a letter
    };
    Kind kind;
    QString text;
};

// `format` cut into runs of one pattern letter ("AP" and "ap" count as one run), quoted texts
// and single other characters, in order; the kinds are those for a time format.
QList<FormatToken> tokenizeFormat(const QString &format);
