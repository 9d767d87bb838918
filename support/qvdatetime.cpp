// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvdatetime.h"

#include "qverror.h"

#include <QList>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <utility>

namespace {

// One piece of a time format, as QLocale::toString reads it.
struct FormatToken
{
    enum Kind {
        Field,       // a pattern Qt formats: hours, minutes, seconds, milliseconds, AM/PM
        Zone,        // the zone name
        Unsupported, // a letter Qt 6.4 cannot format for a time, such as the day period "B"
        Literal,     // quoted text, or one character that is not a letter
    };
    Kind kind;
    QString text;
};

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QList<FormatToken> tokenize(const QString &format)
{
    QList<FormatToken> tokens;
    for (qsizetype at = 0; at < format.size();) {
        const QChar c = format[at];
        qsizetype end = at + 1;
        FormatToken::Kind kind = FormatToken::Literal;
        if (c == u'\'') {
            // Up to the closing quote; two quotes in a row stand for one.
            while (end < format.size()) {
                if (format[end] == u'\'' && (end + 1 == format.size() || format[end + 1] != u'\''))
                    break;
                end += format[end] == u'\'' ? 2 : 1;
            }
            end = qMin(end + 1, format.size());
        } else if (isAsciiLetter(c)) {
            while (end < format.size() && format[end] == c)
                ++end;
            if ((c == u'a' || c == u'A') && end < format.size() &&
                (format[end] == u'p' || format[end] == u'P'))
                ++end;
            kind = c == u't'                             ? FormatToken::Zone
                   : QStringView(u"hHmszaA").contains(c) ? FormatToken::Field
                                                         : FormatToken::Unsupported;
        }
        tokens.append({kind, format.sliced(at, end - at)});
        at = end;
    }
    return tokens;
}

bool isLiteral(const QList<FormatToken> &tokens, qsizetype at, QStringView among)
{
    return at >= 0 && at < tokens.size() && tokens[at].kind == FormatToken::Literal &&
           tokens[at].text.size() == 1 && among.contains(tokens[at].text.front());
}

// What sets a zone name off from the rest: blanks and commas.
bool isSeparator(const QList<FormatToken> &tokens, qsizetype at)
{
    return isLiteral(tokens, at, u",\u060C\uFF0C\u3001") ||
           (at >= 0 && at < tokens.size() && tokens[at].kind == FormatToken::Literal &&
            tokens[at].text.size() == 1 && tokens[at].text.front().isSpace());
}

// Removes the zone at `zone`, with the brackets around it and the separator that set it off:
// the one before it, or the one after it when nothing is formatted before it.
void removeZone(QList<FormatToken> &tokens, qsizetype zone)
{
    static constexpr QStringView Opening = u"([\uFF08\u3010";
    static constexpr QStringView Closing = u")]\uFF09\u3011";
    qsizetype first = zone;
    qsizetype last = zone;
    if (isLiteral(tokens, zone - 1, Opening)) {
        const qsizetype bracket = Opening.indexOf(tokens[zone - 1].text.front());
        if (isLiteral(tokens, zone + 1, Closing.sliced(bracket, 1))) {
            --first;
            ++last;
        }
    }
    bool fieldBefore = false;
    for (qsizetype i = 0; i < first; ++i)
        fieldBefore = fieldBefore || tokens[i].kind == FormatToken::Field;
    if (fieldBefore) {
        while (isSeparator(tokens, first - 1))
            --first;
    } else {
        while (isSeparator(tokens, last + 1))
            ++last;
    }
    tokens.remove(first, last - first + 1);
}

// The locale's long time format without its zone name and without letters Qt cannot format.
QString timeFormatWithoutZone(const QLocale &locale)
{
    QList<FormatToken> tokens = tokenize(locale.timeFormat(QLocale::LongFormat));
    tokens.removeIf(
        [](const FormatToken &token) { return token.kind == FormatToken::Unsupported; });
    for (qsizetype at = 0; at < tokens.size();) {
        if (tokens[at].kind == FormatToken::Zone)
            removeZone(tokens, at);
        else
            ++at;
    }
    QString format;
    for (const FormatToken &token : tokens)
        format += token.text;
    return format.trimmed();
}

// Has the C library read TZ again when it has changed since the last conversion. tzset() itself
// looks at the zone's file and takes a lock at every call, which a run of many notes would feel.
void rereadChangedZone()
{
    static std::mutex mutex;
    static std::optional<QByteArray> lastZone; // the TZ value last read; nullopt: never read
    const char *zone = std::getenv("TZ");
    const QByteArray current = zone != nullptr ? QByteArray(zone) : QByteArray();
    const std::lock_guard lock(mutex);
    if (!lastZone || *lastZone != current || current.isNull() != lastZone->isNull()) {
        ::tzset();
        lastZone = current;
    }
}

} // namespace

QString qvSystemTimeToStringDate(QDate date, bool longForm, const QLocale &locale)
{
    if (!date.isValid())
        throw QvError(QvInvalidArgument, QStringLiteral("Недопустимая дата"));
    return locale.toString(date, longForm ? QLocale::LongFormat : QLocale::ShortFormat);
}

QString qvSystemTimeToStringTime(QTime time, const QLocale &locale)
{
    if (!time.isValid())
        throw QvError(QvInvalidArgument, QStringLiteral("Недопустимое время"));
    // The format is worked out once for a locale: a run of many notes shows every stamp in one.
    thread_local std::optional<std::pair<QLocale, QString>> last;
    if (!last || last->first != locale)
        last.emplace(locale, timeFormatWithoutZone(locale));
    return locale.toString(time, last->second);
}

QDateTime qvToProcessLocalTime(const QDateTime &moment)
{
    rereadChangedZone();
    const std::time_t seconds = moment.toSecsSinceEpoch();
    std::tm local{};
    if (!moment.isValid() || ::localtime_r(&seconds, &local) == nullptr)
        throw QvError(QvInvalidArgument, QStringLiteral("Недопустимое время"));
    const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const QTime time(local.tm_hour, local.tm_min, local.tm_sec);
    return QDateTime(date, time, Qt::OffsetFromUTC, int(local.tm_gmtoff));
}
