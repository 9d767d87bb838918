// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>
#include <vector>

// A date or a time format of a locale, turned into text a piece at a time: each run of one
// pattern letter, and each literal text, is formatted by QLocale once per value it shows and
// kept. The stamps of a folder of notes show few distinct years, months, days, hours, minutes
// and seconds, so after the first few hundred notes a stamp is put together from kept pieces,
// where QLocale would look up every name and digit of it again (through the system locale's
// lock, for the system locale).
class FormatPieces
{
public:
    // The locale's long or short date format, or a time format of its.
    FormatPieces(const QLocale &locale, QLocale::FormatType dateFormat);
    FormatPieces(const QLocale &locale, const QString &timeFormat);

    // Whether the pieces put together give QLocale's own text for a set of probe values. When
    // they do not (a letter whose text depends on the rest of the format, or one this class does
    // not know), every text comes from QLocale.
    [[nodiscard]] bool usesPieces() const { return m_usable; }

    [[nodiscard]] const QLocale &locale() const { return m_locale; }

    // What QLocale::toString gives for the date in the date format, or the time in the time
    // format.
    QString date(QDate date);
    QString time(QTime time);

private:
    struct Piece
    {
        QString pattern; // what QLocale formats: the run, with what gives it its context
        QChar letter;    // the pattern letter; none for literal text
        bool cutAtMark = false;
        std::vector<std::optional<QString>> texts; // by the value the piece shows
    };

    enum class Of { Date, Time };
    // Pieces a format may have to be put together from them; longer ones are left to QLocale.
    static constexpr qsizetype MaxPieces = 32;

    void cut(const QString &format);
    [[nodiscard]] bool reproducesQLocale();
    template <typename Value, typename Parts> QString piecesOf(const Value &value);
    template <typename Value>
    const QString &text(Piece &piece, const Value &value, const auto &parts);

    QLocale m_locale;
    Of m_of;
    QLocale::FormatType m_dateFormat = QLocale::LongFormat;
    QString m_timeFormat;
    QList<Piece> m_pieces;
    bool m_usable = true;
};
