// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QStringView>

// Splits text into lines at CR LF, CR or LF, each counting as one line break; so LF CR is two
// breaks with an empty line between them. Every piece counts, empty ones included; an empty
// text has no lines. The lines are views into the text: QStringView, or QLatin1StringView for
// text whose characters are its octets.
template <typename View> class BasicLineSplitter
{
public:
    explicit BasicLineSplitter(View text) : m_rest(text), m_done(text.isEmpty()) {}

    bool next(View &line);

    // The text after the last line returned.
    [[nodiscard]] View rest() const { return m_done ? View() : m_rest; }

private:
    View m_rest;
    bool m_done;
};

using LineSplitter = BasicLineSplitter<QStringView>;
using Latin1LineSplitter = BasicLineSplitter<QLatin1StringView>;

// The first CR or LF in [p, end), or end.
const char16_t *findLineBreak(const char16_t *p, const char16_t *end);
const char *findLineBreak(const char *p, const char *end);
// The first line in (p, end) that starts with a B or an E in either letter case, or `end`: where
// a calendar's component line may be, found a block at a time, as most lines are none.
const char *findLineStartingWithBOrE(const char *p, const char *end);

extern template class BasicLineSplitter<QStringView>;
extern template class BasicLineSplitter<QLatin1StringView>;
