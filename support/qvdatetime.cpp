// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvdatetime.h"

#include "formatpieces.h"
#include "formattokens.h"
#include "qverror.h"

#include <QList>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

namespace {

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
    QList<FormatToken> tokens = tokenizeFormat(locale.timeFormat(QLocale::LongFormat));
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

// Has the C library read TZ again when it has changed since this thread last looked. tzset()
// itself looks at the zone's file and takes a lock at every call, which a run of many notes
// would feel.
void rereadChangedZone()
{
    static std::mutex mutex;
    thread_local bool looked = false;
    thread_local std::string lastZone;
    thread_local bool lastSet = false;
    const char *zone = std::getenv("TZ");
    if (looked && (zone != nullptr) == lastSet && (zone == nullptr || lastZone == zone))
        return;
    const std::lock_guard lock(mutex);
    ::tzset();
    looked = true;
    lastSet = zone != nullptr;
    lastZone = zone != nullptr ? zone : "";
}

// What a thread keeps for the locale it last showed stamps in: a run of many notes shows every
// stamp in one. Its first stamps are formatted by QLocale alone: working the pieces out costs
// as much as a few dozen stamps, which a window showing one note at a time never makes up for.
struct ThreadFormats
{
    static constexpr int StampsBeforePieces = 64;

    explicit ThreadFormats(const QLocale &shownIn) : locale(shownIn) {}

    static ThreadFormats &of(const QLocale &locale)
    {
        thread_local std::optional<ThreadFormats> formats;
        if (!formats || formats->locale != locale)
            formats.emplace(locale);
        return *formats;
    }

    bool piecesPay() { return ++stamps > StampsBeforePieces; }

    QLocale locale;
    int stamps = 0;
    QString timeFormat; // the long time format without the zone
    std::optional<FormatPieces> longDate;
    std::optional<FormatPieces> shortDate;
    std::optional<FormatPieces> time;
};

} // namespace

QString qvSystemTimeToStringDate(QDate date, bool longForm, const QLocale &locale)
{
    if (!date.isValid())
        throw QvError(QvInvalidArgument, QStringLiteral("Недопустимая дата"));
    ThreadFormats &formats = ThreadFormats::of(locale);
    const QLocale::FormatType type = longForm ? QLocale::LongFormat : QLocale::ShortFormat;
    if (!formats.piecesPay())
        return locale.toString(date, type);
    std::optional<FormatPieces> &pieces = longForm ? formats.longDate : formats.shortDate;
    if (!pieces)
        pieces.emplace(locale, type);
    return pieces->date(date);
}

QString qvSystemTimeToStringTime(QTime time, const QLocale &locale)
{
    if (!time.isValid())
        throw QvError(QvInvalidArgument, QStringLiteral("Недопустимое время"));
    ThreadFormats &formats = ThreadFormats::of(locale);
    if (formats.timeFormat.isNull())
        formats.timeFormat = timeFormatWithoutZone(locale);
    if (!formats.piecesPay())
        return locale.toString(time, formats.timeFormat);
    if (!formats.time)
        formats.time.emplace(locale, formats.timeFormat);
    return formats.time->time(time);
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
