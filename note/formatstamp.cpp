// SPDX-License-Identifier: GPL-3.0-or-later
#include "formatstamp.h"

#include "qvdatetime.h"

#include <QDateTime>
#include <QStringBuilder>

#include <new>

namespace {

constexpr qsizetype StampLength = 15;
constexpr int EarliestYear = 1601;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool hasStampForm(QStringView value)
{
    if (value.size() != StampLength)
        return false;
    for (qsizetype i = 0; i < StampLength; ++i) {
        const bool ok = i == 8 ? (value[i] == u'T' || value[i] == u't') : isDigit(value[i]);
        if (!ok)
            return false;
    }
    return true;
}

int number(QStringView value, qsizetype from, qsizetype length)
{
    int result = 0;
    for (const QChar c : value.sliced(from, length))
        result = result * 10 + (c.unicode() - u'0');
    return result;
}

constexpr QStringView ExtendedPattern = u"dddd-dd-ddTdd:dd:dd";

bool isExtendedForm(QStringView stamp)
{
    if (stamp.size() != ExtendedPattern.size())
        return false;
    for (qsizetype i = 0; i < stamp.size(); ++i) {
        const bool ok =
            ExtendedPattern[i] == u'd' ? isDigit(stamp[i]) : stamp[i] == ExtendedPattern[i];
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

QString CompactStampForm(const QString &upper)
{
    QStringView stamp = upper;
    if (stamp.endsWith(u'Z'))
        stamp.chop(1);
    if (isExtendedForm(stamp)) {
        QString compact;
        compact.reserve(StampLength);
        for (const QChar c : stamp) {
            if (c != u'-' && c != u':')
                compact += c;
        }
        return compact;
    }
    return stamp.size() == upper.size() ? upper : stamp.toString();
}

QDateTime UtcStampMoment(const QString &upper)
{
    return StampMoment(CompactStampForm(upper));
}

QDateTime StampMoment(QStringView value)
{
    if (!hasStampForm(value))
        return {};
    const int year = number(value, 0, 4);
    const QDate date(year, number(value, 4, 2), number(value, 6, 2));
    const QTime time(number(value, 9, 2), number(value, 11, 2), number(value, 13, 2));
    if (!date.isValid() || !time.isValid() || year < EarliestYear)
        return {};
    // UTC as Qt::UTC, not as a QTimeZone: making a zone object costs more than the rest.
    return {date, time, Qt::UTC};
}

QString FormatMoment(const QDateTime &moment, const DateDisplay &display)
{
    try {
        if (!moment.isValid())
            return {};
        const QDateTime local =
            display.zone ? moment.toTimeZone(*display.zone) : qvToProcessLocalTime(moment);
        if (!local.isValid())
            return {};
        // Joined in one piece (QStringBuilder): a run of many notes formats two stamps each.
        if (display.shortDate)
            return qvSystemTimeToStringTime(local.time(), display.locale) % u' ' %
                   qvSystemTimeToStringDate(local.date(), false, display.locale);
        return qvSystemTimeToStringDate(local.date(), true, display.locale) % u", " %
               qvSystemTimeToStringTime(local.time(), display.locale);
    } catch (const std::bad_alloc &) {
        throw; // not a moment that cannot be converted
    } catch (const std::exception &) {
        return {};
    }
}

QString FormatStamp(const QString &value, const DateDisplay &display)
{
    QString shown = FormatMoment(StampMoment(value), display);
    return shown.isEmpty() ? value : shown;
}
