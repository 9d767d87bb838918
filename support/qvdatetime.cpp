#include "qvdatetime.h"

#include "qverror.h"

namespace {

// The locale's long time format less its zone name ("t") and the blanks that set it off.
// Quoted literal text in the format is kept as it is.
QString timeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    result.reserve(format.size());
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            result.append(c);
            continue;
        }
        while (!result.isEmpty() && result.back().isSpace())
            result.chop(1);
    }
    return result.trimmed();
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
    return locale.toString(time, timeFormatWithoutZone(locale));
}
