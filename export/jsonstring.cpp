// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonstring.h"

#include "qvutf8.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The most bytes one UTF-16 unit can take in a JSON string: a control character as \u00XX.
constexpr qsizetype MaxJsonBytesPerUnit = 6;
// Text is encoded in blocks of this many units, so the room made ahead stays small.
constexpr qsizetype JsonBlockUnits = 64 * 1024;

bool isPlainJsonAscii(char16_t c)
{
    return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\';
}

constexpr char Hex[] = "0123456789abcdef";

// Writes `unit` as a JSON \u escape.
char *writeUnitEscape(char *out, char16_t unit)
{
    *out++ = '\\';
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = Hex[(unit >> shift) & 0xF];
    return out;
}

// Encodes `units` into `out` (which has MaxJsonBytesPerUnit bytes of room per unit) as the body
// of a JSON string in UTF-8. A surrogate without its partner, such as an octet of a file name
// that is not UTF-8, is written as its \u escape, so that the string is exactly the text.
// Returns the end of the bytes written.
char *encodeJson(QStringView units, char *out)
{
    const char16_t *p = units.utf16();
    const char16_t *const end = p + units.size();
    while (p < end) {
#if defined(__SSE2__)
        if (end - p >= 8) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i escaped = _mm_or_si128(
                _mm_cmplt_epi16(chunk, _mm_set1_epi16(0x20)), // and every unit from 0x8000 up
                _mm_or_si128(_mm_cmpeq_epi16(chunk, _mm_set1_epi16('"')),
                             _mm_cmpeq_epi16(chunk, _mm_set1_epi16('\\'))));
            const __m128i wide = _mm_cmpgt_epi16(chunk, _mm_set1_epi16(0x7F));
            if (_mm_movemask_epi8(_mm_or_si128(escaped, wide)) == 0) {
                // Eight plain ASCII characters.
                _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(chunk, chunk));
                p += 8;
                out += 8;
                continue;
            }
            const __m128i wider = _mm_cmpgt_epi16(chunk, _mm_set1_epi16(0x7FF));
            if (_mm_movemask_epi8(_mm_or_si128(escaped, wider)) == 0) {
                // Eight of ASCII and two-byte characters mixed, as in Cyrillic text, chosen
                // without a branch: one per character would mispredict at every change. The
                // second byte is written either way and overwritten after a one-byte character.
                for (int i = 0; i < 8; ++i) {
                    const unsigned c = p[i];
                    const bool twoBytes = c >= 0x80;
                    out[0] = static_cast<char>(twoBytes ? 0xC0 | (c >> 6) : c);
                    out[1] = static_cast<char>(0x80 | (c & 0x3F));
                    out += twoBytes ? 2 : 1;
                }
                p += 8;
                continue;
            }
        }
#endif
        const char16_t c = *p++;
        if (isPlainJsonAscii(c)) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x80) {
            *out++ = '\\';
            switch (c) {
            case u'"':
                *out++ = '"';
                break;
            case u'\\':
                *out++ = '\\';
                break;
            case u'\n':
                *out++ = 'n';
                break;
            case u'\r':
                *out++ = 'r';
                break;
            case u'\t':
                *out++ = 't';
                break;
            default:
                out = writeUnitEscape(out - 1, c);
            }
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            out = qvWriteUtf8(out, QChar::surrogateToUcs4(c, *p++));
        } else if (QChar::isSurrogate(c)) {
            out = writeUnitEscape(out, c);
        } else {
            out = qvWriteUtf8(out, c);
        }
    }
    return out;
}

} // namespace

// Written by hand rather than through QJsonDocument so that the keys keep their documented
// order, and straight from UTF-16 so that a body of many megabytes is neither copied to UTF-8
// first nor escaped a byte at a time.
void appendJsonString(QByteArray &out, QStringView text)
{
    qsizetype used = out.size();
    const auto room = [&](qsizetype bytes) {
        // Within the capacity first: growing past it copies everything written so far.
        if (out.size() - used < bytes)
            out.resize(used + bytes <= out.capacity() ? out.capacity()
                                                      : std::max(used + bytes, 2 * out.capacity()));
        return out.data() + used;
    };
    *room(1) = '"';
    ++used;
    for (qsizetype at = 0; at < text.size();) {
        // A block ends before a high surrogate whose partner is in the next block.
        qsizetype length = std::min(JsonBlockUnits, text.size() - at);
        if (at + length < text.size() && QChar::isHighSurrogate(text[at + length - 1].unicode()))
            --length;
        char *const first = room(length * MaxJsonBytesPerUnit);
        used += encodeJson(text.sliced(at, length), first) - first;
        at += length;
    }
    *room(1) = '"';
    ++used;
    out.resize(used);
}
