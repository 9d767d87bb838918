// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// How a note file's lines end, set by the first line end in it. After a CR LF or an LF, lines
// end at CR LF or LF and a lone CR is a character of its line; after a lone CR, CR LF, CR and LF
// each end a line.
enum class LineEnds { LineFeed, CarriageReturn };

LineEnds DetectLineEnds(QByteArrayView bytes);

// Splits bytes into lines by one convention. Every piece counts, empty ones included, except
// that a line end at the very end starts no further line; empty bytes have no lines. The lines
// are views into the bytes, without their line ends. Copying a ByteLines saves its place.
class ByteLines
{
public:
    ByteLines() = default;
    ByteLines(QByteArrayView bytes, LineEnds ends)
        : m_at(bytes.data()), m_end(bytes.data() + bytes.size()), m_ends(ends)
    {
    }

    bool next(QByteArrayView &line);
    // Where the next line starts.
    [[nodiscard]] const char *position() const { return m_at; }
    [[nodiscard]] bool atEnd() const { return m_at == m_end; }
    // Where the bytes end.
    [[nodiscard]] const char *end() const { return m_end; }
    [[nodiscard]] LineEnds lineEnds() const { return m_ends; }

private:
    const char *m_at = nullptr;
    const char *m_end = nullptr;
    LineEnds m_ends = LineEnds::LineFeed;
};

inline bool isBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// Without the blanks and tabs at its end.
QByteArrayView chopTrailingBlanks(QByteArrayView text);
// Without the blanks and tabs at either end.
QByteArrayView trimBlanks(QByteArrayView text);
// Whether `text` equals `upper` (ASCII, its letters in upper case) in any letter case. Inline,
// as every property name is compared so: only ASCII letters need folding, since no other Latin-1
// letter folds to an ASCII one.
inline bool equalsIgnoringCase(QByteArrayView text, QByteArrayView upper)
{
    if (text.size() != upper.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) != upper[i])
            return false;
    }
    return true;
}
