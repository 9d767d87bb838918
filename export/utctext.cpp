// SPDX-License-Identifier: GPL-3.0-or-later
#include "utctext.h"

namespace {

// Appends `value` as `digits` decimal digits.
template <typename Char> Char *writeDigits(Char *out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = Char('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

// Written out by hand: QDateTime::toString with a format, or asprintf, costs more than the rest
// of a small note's JSON. Years are those a stamp can name, 1601 to 9999. `out` has room for
// UtcTextRoom characters; returns where the text ends.
template <typename Char> Char *writeUtcText(const QDateTime &moment, bool separators, Char *out)
{
    const QDateTime utc = moment.toUTC();
    int year = 0;
    int month = 0;
    int day = 0;
    utc.date().getDate(&year, &month, &day); // each of QDate's own works out all three
    const QTime time = utc.time();
    const auto separator = [&](char c) {
        if (separators)
            *out++ = Char(c);
    };
    out = writeDigits(out, year, 4);
    separator('-');
    out = writeDigits(out, month, 2);
    separator('-');
    out = writeDigits(out, day, 2);
    *out++ = Char('T');
    out = writeDigits(out, time.hour(), 2);
    separator(':');
    out = writeDigits(out, time.minute(), 2);
    separator(':');
    out = writeDigits(out, time.second(), 2);
    *out++ = Char('Z');
    return out;
}

QString utcText(const QDateTime &moment, bool separators)
{
    if (!moment.isValid())
        return {};
    char16_t text[UtcTextRoom];
    return QString::fromUtf16(text, writeUtcText(moment, separators, text) - text);
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

char *writeIsoUtcText(const QDateTime &moment, char *out)
{
    return moment.isValid() ? writeUtcText(moment, true, out) : out;
}
