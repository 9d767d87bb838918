// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringMatcher>
#include <QStringView>

// The text as the search compares it: letter case folded and "ё" taken for "е". Every UTF-16
// unit stays in its place, so a position in the folded text is one in the original.
QString FoldForSearch(QStringView text);

// Finds what the user typed in a note's text the way a reader expects: letter case ignored,
// "ё" and "е" alike.
class NoteMatcher
{
public:
    explicit NoteMatcher(QStringView query = {});

    // An empty query matches nothing.
    [[nodiscard]] bool isEmpty() const { return m_folded.isEmpty(); }
    // The length of a match in the searched text: the query's own.
    [[nodiscard]] qsizetype length() const { return m_folded.size(); }

    // Where the first match in `text` starts, or -1. Goes over the text in pieces, so that a
    // large text is never copied whole.
    [[nodiscard]] qsizetype indexIn(QStringView text) const;
    // Where the matches in `text` start, one after the other without overlapping, the first
    // `limit` of them. Goes over the text once, in pieces.
    [[nodiscard]] QList<qsizetype> matchesIn(QStringView text, qsizetype limit) const;

private:
    QString m_folded;
    QStringMatcher m_matcher;
};

// One line of `text` around the match at [start, start + length): the line that holds it, cut to
// about `width` characters with "…" where it was cut, tabs and other control characters as
// blanks. Looks no further than `width` characters to either side of the match.
QString MatchExcerpt(QStringView text, qsizetype start, qsizetype length, qsizetype width = 80);

// The same excerpt, with where the match stands in it (as much of the match as it shows).
struct Excerpt
{
    QString text;
    qsizetype matchStart = 0;
    qsizetype matchLength = 0;
};
Excerpt ExcerptAround(QStringView text, qsizetype start, qsizetype length, qsizetype width = 80);
