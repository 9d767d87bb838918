// SPDX-License-Identifier: GPL-3.0-or-later
#include "bytelines.h"

#include "linesplitter.h"

#include <cstring>

LineEnds DetectLineEnds(QByteArrayView bytes)
{
    const char *const end = bytes.data() + bytes.size();
    const char *const first = findLineBreak(bytes.data(), end);
    if (first != end && *first == '\r' && (first + 1 == end || first[1] != '\n'))
        return LineEnds::CarriageReturn;
    return LineEnds::LineFeed;
}

bool ByteLines::next(QByteArrayView &line)
{
    if (m_at == m_end)
        return false;
    const char *const start = m_at;
    if (m_ends == LineEnds::LineFeed) {
        const auto *lf = static_cast<const char *>(std::memchr(start, '\n', size_t(m_end - start)));
        if (lf == nullptr) {
            line = QByteArrayView(start, m_end);
            m_at = m_end;
            return true;
        }
        m_at = lf + 1;
        line = QByteArrayView(start, lf > start && lf[-1] == '\r' ? lf - 1 : lf);
        return true;
    }
    const char *const lineEnd = findLineBreak(start, m_end);
    line = QByteArrayView(start, lineEnd);
    m_at = lineEnd;
    if (m_at != m_end && *m_at++ == '\r' && m_at != m_end && *m_at == '\n')
        ++m_at;
    return true;
}

QByteArrayView chopTrailingBlanks(QByteArrayView text)
{
    qsizetype size = text.size();
    while (size > 0 && isBlankOrTab(text[size - 1]))
        --size;
    return text.first(size);
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype from = 0;
    while (from < text.size() && isBlankOrTab(text[from]))
        ++from;
    return chopTrailingBlanks(text.sliced(from));
}
