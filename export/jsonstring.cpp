// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonstring.h"

#include "cpufeatures.h"
#include "qvutf8.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Text is encoded in blocks of this many units, so the room made ahead stays small.
constexpr qsizetype JsonBlockUnits = JsonRoomAhead / MaxJsonBytesPerUnit;

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
    [[maybe_unused]] const bool blocks = canUseSse2Blocks();
    while (p < end) {
#if defined(__SSE2__)
        if (end - p >= 8 && blocks) {
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

namespace {

constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF");

bool isContinuation(unsigned char octet)
{
    return (octet & 0xC0) == 0x80;
}

// Escapes well-formed UTF-8 into `out` (room for MaxJsonBytesPerUnit bytes an octet) and
// returns the end of what it wrote, or nullptr at the first octet that is not well-formed.
char *encodeJsonUtf8(QByteArrayView octets, char *out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(octets.data());
    const unsigned char *const end = p + octets.size();
    [[maybe_unused]] const bool blocks = canUseSse2Blocks();
    while (p < end) {
#if defined(__SSE2__)
        if (end - p >= 16 && blocks) {
            // Sixteen octets at once when they are ASCII and two- and three-octet sequences
            // only, the usual text of any script: each continuation octet must follow a lead
            // octet, C2-DF for one, E0-EF for two, and every such lead be followed by as many.
            // Quotes, backslashes and control characters are copied too, then the copy is cut
            // before the first and it is escaped.
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const auto bytesWhere = [](__m128i mask) {
                return unsigned(_mm_movemask_epi8(mask));
            };
            const auto above = [chunk](char octet) {
                return _mm_cmpgt_epi8(chunk, _mm_set1_epi8(octet));
            };
            const auto below = [chunk](char octet) {
                return _mm_cmplt_epi8(chunk, _mm_set1_epi8(octet));
            };
            // As signed bytes, every octet from 0x80 up is below 0x20, and the continuations
            // (80-BF) are below C0.
            const unsigned high = bytesWhere(chunk);
            const unsigned belowSpace = bytesWhere(below(0x20));
            const unsigned quotes =
                bytesWhere(_mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('"')),
                                        _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\\'))));
            const unsigned escaped = (belowSpace & ~high) | quotes;
            const unsigned continuations = bytesWhere(below(char(0xC0))) & high;
            const unsigned leads2 = bytesWhere(_mm_and_si128(above(char(0xC1)), below(char(0xE0))));
            const unsigned leads3 = bytesWhere(_mm_and_si128(above(char(0xDF)), below(char(0xF0))));
            const unsigned follow = ((leads2 | leads3) << 1 | leads3 << 2) & 0xFFFFU;
            // After E0 the second octet must be A0-BF, after ED 80-9F: else the sequence is an
            // overlong form or a surrogate. Looked at only where there are three-octet leads.
            const auto wellFormedThrees = [&] {
                const unsigned upper = bytesWhere(above(char(0x9F))) & continuations;
                const unsigned e0 = bytesWhere(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(char(0xE0))));
                const unsigned ed = bytesWhere(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(char(0xED))));
                return ((e0 << 1) & ~upper & 0xFFFFU) == 0 && ((ed << 1) & upper) == 0;
            };
            if ((continuations | leads2 | leads3) == high && continuations == follow &&
                (leads3 == 0 || wellFormedThrees())) {
                // A sequence that the chunk's end cuts is left for the next round, whole.
                const int cut = ((leads2 | leads3) & 0x8000U) != 0 ? 1
                                : (leads3 & 0x4000U) != 0          ? 2
                                                                   : 0;
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), chunk);
                const int taken = escaped != 0 ? __builtin_ctz(escaped) : 16 - cut;
                p += taken;
                out += taken;
                if (escaped != 0) {
                    const char16_t unit = *p++;
                    out = encodeJson(QStringView(&unit, 1), out);
                }
                continue;
            }
        }
#endif
        const unsigned char c = *p;
        if (c < 0x80) {
            if (isPlainJsonAscii(c)) {
                *out++ = static_cast<char>(c);
            } else {
                // The escapes of appendJsonString, from its one-unit path.
                const char16_t unit = c;
                out = encodeJson(QStringView(&unit, 1), out);
            }
            ++p;
        } else if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && isContinuation(p[1])) {
            out[0] = static_cast<char>(p[0]);
            out[1] = static_cast<char>(p[1]);
            out += 2;
            p += 2;
        } else {
            const QvUtf8Sequence sequence = qvReadUtf8(
                QByteArrayView(reinterpret_cast<const char *>(p), std::min<qsizetype>(4, end - p)));
            if (sequence.length == 0)
                return nullptr;
            out = std::copy_n(reinterpret_cast<const char *>(p), sequence.length, out);
            p += sequence.length;
        }
    }
    return out;
}

} // namespace

void appendJsonUtf8(QByteArray &out, QByteArrayView octets)
{
    // A byte-order mark at the start is dropped by the decoding: leave that to it.
    if (!octets.startsWith(Utf8ByteOrderMark)) {
        const qsizetype before = out.size();
        qsizetype used = before;
        const auto room = [&](qsizetype bytes) {
            if (out.size() - used < bytes)
                out.resize(used + bytes <= out.capacity()
                               ? out.capacity()
                               : std::max(used + bytes, 2 * out.capacity()));
            return out.data() + used;
        };
        *room(1) = '"';
        ++used;
        bool wellFormed = true;
        for (qsizetype at = 0; wellFormed && at < octets.size();) {
            // A block ends before a sequence that the next block would cut.
            qsizetype length = std::min(JsonBlockUnits, octets.size() - at);
            if (at + length < octets.size()) {
                while (length > 1 && isContinuation(octets[at + length]))
                    --length;
            }
            char *const first = room(length * MaxJsonBytesPerUnit);
            char *const end = encodeJsonUtf8(octets.sliced(at, length), first);
            wellFormed = end != nullptr;
            if (wellFormed)
                used += end - first;
            at += length;
        }
        if (wellFormed) {
            *room(1) = '"';
            out.resize(used + 1);
            return;
        }
        out.resize(before);
    }
    appendJsonString(out, qvUTF8ToUNICODE(octets));
}
