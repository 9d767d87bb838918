// SPDX-License-Identifier: GPL-3.0-or-later
#include "formatpieces.h"

#include "formattokens.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace {

// Set after an hour run so that QLocale gives it the 12-hour clock that an AM/PM marker elsewhere
// in the format asks for; the text is cut where the mark starts.
constexpr QChar Mark = u'\u0001';

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The values of a date or a time that pattern letters show, worked out once for all its pieces.
struct DateParts
{
    explicit DateParts(QDate date) : dayOfWeek(date.dayOfWeek())
    {
        date.getDate(&year, &month, &day);
    }
    int year = 0;
    int month = 0;
    int day = 0;
    int dayOfWeek;
};

struct TimeParts
{
    explicit TimeParts(QTime time)
        : hour(time.hour()), minute(time.minute()), second(time.second()), msec(time.msec())
    {
    }
    int hour;
    int minute;
    int second;
    int msec;
};

// The value a run of `letter` shows, as a key from 0 up; -1 for a letter this class does not
// know.
int keyOf(QChar letter, const DateParts &date)
{
    switch (letter.unicode()) {
    case u'd':
        return date.day * 8 + date.dayOfWeek; // a day of the month or of the week
    case u'M':
        return date.month;
    case u'y':
        return date.year;
    default:
        return -1;
    }
}

int keyOf(QChar letter, const TimeParts &time)
{
    switch (letter.unicode()) {
    case u'h':
    case u'H':
    case u'a':
    case u'A':
        return time.hour;
    case u'm':
        return time.minute;
    case u's':
        return time.second;
    case u'z':
        return time.msec;
    default:
        return -1;
    }
}

} // namespace

FormatPieces::FormatPieces(const QLocale &locale, QLocale::FormatType dateFormat)
    : m_locale(locale), m_of(Of::Date), m_dateFormat(dateFormat)
{
    cut(locale.dateFormat(dateFormat));
}

FormatPieces::FormatPieces(const QLocale &locale, const QString &timeFormat)
    : m_locale(locale), m_of(Of::Time), m_timeFormat(timeFormat)
{
    cut(timeFormat);
}

void FormatPieces::cut(const QString &format)
{
    const Of of = m_of;
    const QList<FormatToken> tokens = tokenizeFormat(format);
    bool twelveHour = false;
    for (const FormatToken &token : tokens) {
        const QChar first = token.text.front();
        twelveHour = twelveHour || (of == Of::Time && (first == u'a' || first == u'A'));
    }
    for (const FormatToken &token : tokens) {
        Piece piece;
        piece.pattern = token.text;
        const QChar first = token.text.front();
        if (isLetter(first)) {
            piece.letter = first;
            const int known = of == Of::Date ? keyOf(first, DateParts(QDate(2000, 1, 1)))
                                             : keyOf(first, TimeParts(QTime(0, 0)));
            m_usable = m_usable && known >= 0;
            if (first == u'h' && twelveHour) {
                piece.pattern += QStringLiteral("'\u0001'A");
                piece.cutAtMark = true;
            }
        }
        m_pieces.append(std::move(piece));
    }
    m_usable = m_usable && m_pieces.size() <= MaxPieces && reproducesQLocale();
}

template <typename Value>
const QString &FormatPieces::text(Piece &piece, const Value &value, const auto &parts)
{
    const int key = piece.letter.isNull() ? 0 : keyOf(piece.letter, parts);
    if (size_t(key) >= piece.texts.size())
        piece.texts.resize(size_t(key) + 1);
    std::optional<QString> &kept = piece.texts[size_t(key)];
    if (!kept) {
        kept = m_locale.toString(value, piece.pattern);
        if (piece.cutAtMark)
            kept->truncate(kept->indexOf(Mark));
    }
    return *kept;
}

QString FormatPieces::date(QDate date)
{
    return m_usable ? piecesOf<QDate, DateParts>(date) : m_locale.toString(date, m_dateFormat);
}

QString FormatPieces::time(QTime time)
{
    return m_usable ? piecesOf<QTime, TimeParts>(time) : m_locale.toString(time, m_timeFormat);
}

template <typename Value, typename Parts> QString FormatPieces::piecesOf(const Value &value)
{
    // Put together in one piece: appending each piece would cost more than looking them up.
    const Parts parts(value);
    std::array<const QString *, MaxPieces> texts{};
    qsizetype size = 0;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        texts[size_t(i)] = &text(m_pieces[i], value, parts);
        size += texts[size_t(i)]->size();
    }
    QString result(size, Qt::Uninitialized);
    QChar *out = result.data();
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        std::copy_n(texts[size_t(i)]->constData(), texts[size_t(i)]->size(), out);
        out += texts[size_t(i)]->size();
    }
    return result;
}

bool FormatPieces::reproducesQLocale()
{
    if (m_of == Of::Date) {
        QList<QDate> probes{{1601, 1, 1}, {1999, 12, 31}, {2000, 2, 29}, {2010, 10, 10}};
        for (int month = 1; month <= 12; ++month)
            probes.append(QDate(2013, month, month * 2 + 1));
        for (int day = 1; day <= 7; ++day)
            probes.append(QDate(2024, 1, day));
        for (const QDate probe : probes) {
            if (piecesOf<QDate, DateParts>(probe) != m_locale.toString(probe, m_dateFormat))
                return false;
        }
    } else {
        QList<QTime> probes{{0, 0, 0}, {12, 0, 0}, {12, 59, 59}, {23, 59, 59}};
        for (int hour = 0; hour < 24; ++hour)
            probes.append(QTime(hour, hour * 7 % 60, hour * 13 % 60));
        for (const QTime probe : probes) {
            if (piecesOf<QTime, TimeParts>(probe) != m_locale.toString(probe, m_timeFormat))
                return false;
        }
    }
    return true;
}
