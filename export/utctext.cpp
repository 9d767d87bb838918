// SPDX-License-Identifier: GPL-3.0-or-later
#include "utctext.h"

namespace {

// Appends `value` as `digits` decimal digits.
char16_t *writeDigits(char16_t *out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

// Written out by hand: QDateTime::toString with a format, or asprintf, costs more than the rest
// of a small note's JSON. Years are those a stamp can name, 1601 to 9999.
QString utcText(const QDateTime &moment, bool separators)
{
    if (!moment.isValid())
        return {};
    const QDateTime utc = moment.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    char16_t text[20];
    char16_t *out = writeDigits(text, date.year(), 4);
    const auto separator = [&](char16_t c) {
        if (separators)
            *out++ = c;
    };
    separator(u'-');
    out = writeDigits(out, date.month(), 2);
    separator(u'-');
    out = writeDigits(out, date.day(), 2);
    *out++ = u'T';
    out = writeDigits(out, time.hour(), 2);
    separator(u':');
    out = writeDigits(out, time.minute(), 2);
    separator(u':');
    out = writeDigits(out, time.second(), 2);
    *out++ = u'Z';
    return QString::fromUtf16(text, out - text);
}

} // namespace

QString isoUtcText(const QDateTime &moment)
{
    return utcText(moment, true);
}

QString compactUtcText(const QDateTime &moment)
{
    return utcText(moment, false);
}
