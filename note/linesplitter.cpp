// SPDX-License-Identifier: GPL-3.0-or-later
#include "linesplitter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char16_t *findLineBreak(const char16_t *p, const char16_t *end)
{
#if defined(__SSE2__)
    // Eight characters at a time: note bodies are long runs of escapes between line breaks.
    const __m128i cr = _mm_set1_epi16('\r');
    const __m128i lf = _mm_set1_epi16('\n');
    while (end - p >= 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(chunk, cr), _mm_cmpeq_epi16(chunk, lf));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
        p += 8;
    }
#endif
    while (p < end && *p != u'\r' && *p != u'\n')
        ++p;
    return p;
}

bool LineSplitter::next(QStringView &line)
{
    if (m_done)
        return false;
    const char16_t *begin = m_rest.utf16();
    const char16_t *end = begin + m_rest.size();
    const char16_t *lineEnd = findLineBreak(begin, end);
    line = QStringView(begin, lineEnd);
    if (lineEnd == end) {
        m_done = true;
        return true;
    }
    const char16_t *next = lineEnd + 1;
    if (*lineEnd == u'\r' && next < end && *next == u'\n')
        ++next;
    // A break at the very end still ends a line: the empty one after it comes next.
    m_rest = QStringView(next, end);
    return true;
}
