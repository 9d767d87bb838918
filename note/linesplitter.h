// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// Splits text into lines at CR LF, CR or LF, each counting as one line break; so LF CR is two
// breaks with an empty line between them. Every piece counts, empty ones included; an empty
// text has no lines. The lines are views into the text.
class LineSplitter
{
public:
    explicit LineSplitter(QStringView text) : m_rest(text), m_done(text.isEmpty()) {}

    bool next(QStringView &line);

    // The text after the last line returned.
    [[nodiscard]] QStringView rest() const { return m_done ? QStringView() : m_rest; }

private:
    QStringView m_rest;
    bool m_done;
};

// The first CR or LF in [p, end), or end.
const char16_t *findLineBreak(const char16_t *p, const char16_t *end);
