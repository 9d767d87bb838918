// SPDX-License-Identifier: GPL-3.0-or-later
#include "linesplitter.h"

#include "cpufeatures.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char16_t *findLineBreak(const char16_t *p, const char16_t *end)
{
#if defined(__SSE2__)
    const bool blocks = canUseSse2Blocks();
    // Eight characters at a time: note bodies are long runs of escapes between line breaks.
    const __m128i cr = _mm_set1_epi16('\r');
    const __m128i lf = _mm_set1_epi16('\n');
    while (end - p >= 8 && blocks) {
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

const char *findLineBreak(const char *p, const char *end)
{
#if defined(__SSE2__)
    const bool blocks = canUseSse2Blocks();
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16 && blocks) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

namespace {

const char16_t *unitsOf(QStringView text)
{
    return text.utf16();
}

const char *unitsOf(QLatin1StringView text)
{
    return text.data();
}

} // namespace

template <typename View> bool BasicLineSplitter<View>::next(View &line)
{
    if (m_done)
        return false;
    const auto *begin = unitsOf(m_rest);
    const auto *end = begin + m_rest.size();
    const auto *lineEnd = findLineBreak(begin, end);
    line = View(begin, lineEnd - begin);
    if (lineEnd == end) {
        m_done = true;
        return true;
    }
    const auto *next = lineEnd + 1;
    if (*lineEnd == '\r' && next < end && *next == '\n')
        ++next;
    // A break at the very end still ends a line: the empty one after it comes next.
    m_rest = View(next, end - next);
    return true;
}

template class BasicLineSplitter<QStringView>;
template class BasicLineSplitter<QLatin1StringView>;

const char *findLineStartingWithBOrE(const char *p, const char *end)
{
    if (p == end)
        return end;
    ++p; // each place looked at has the byte before it
#if defined(__SSE2__)
    const bool blocks = canUseSse2Blocks();
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i lower = _mm_set1_epi8(0x20);
    const __m128i b = _mm_set1_epi8('b');
    const __m128i e = _mm_set1_epi8('e');
    while (end - p >= 16 && blocks) {
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p - 1));
        const __m128i first =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), lower);
        const __m128i hits =
            _mm_and_si128(_mm_cmpeq_epi8(before, lf),
                          _mm_or_si128(_mm_cmpeq_epi8(first, b), _mm_cmpeq_epi8(first, e)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        if (p[-1] == '\n' && ((*p | 0x20) == 'b' || (*p | 0x20) == 'e'))
            return p;
    }
    return end;
}
