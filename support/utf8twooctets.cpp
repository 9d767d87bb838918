// SPDX-License-Identifier: GPL-3.0-or-later
#include "utf8twooctets.h"

#include "cpufeatures.h"

#if defined(__SSE2__)
#include <tmmintrin.h>

#include <array>
#endif

#if defined(__SSE2__)
namespace {

#define QUILLET_SSSE3 [[gnu::target("ssse3")]]

// For each set of eight units to keep (a bit each), the byte shuffle that moves them to the
// front in order.
struct KeepShuffles
{
    alignas(16) std::array<std::array<signed char, 16>, 256> pick;
    // How many units each keeps: a table, as processors with SSSE3 may lack POPCNT.
    std::array<unsigned char, 256> count;
};

constexpr KeepShuffles MakeKeepShuffles()
{
    KeepShuffles shuffles{};
    for (int keep = 0; keep < 256; ++keep) {
        int to = 0;
        for (int unit = 0; unit < 8; ++unit) {
            if ((keep >> unit & 1) != 0) {
                shuffles.pick[keep][2 * to] = static_cast<signed char>(2 * unit);
                shuffles.pick[keep][2 * to + 1] = static_cast<signed char>(2 * unit + 1);
                ++to;
            }
        }
        shuffles.count[keep] = static_cast<unsigned char>(to);
        for (int at = 2 * to; at < 16; ++at)
            shuffles.pick[keep][at] = -1;
    }
    return shuffles;
}

constexpr KeepShuffles Keep = MakeKeepShuffles();

// Eight octets widened to units, each with the octet after it: a lead with its continuation as
// one two-octet character, any other octet as itself; then only the units in `keep` written, at
// the front of `out`. Returns where the next unit goes.
QUILLET_SSSE3 char16_t *writeUnits(__m128i units, __m128i next, __m128i leads, unsigned keep,
                                   char16_t *out)
{
    const __m128i twoOctets =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(units, _mm_set1_epi16(0x1F)), 6),
                     _mm_and_si128(next, _mm_set1_epi16(0x3F)));
    const __m128i chosen =
        _mm_or_si128(_mm_and_si128(leads, twoOctets), _mm_andnot_si128(leads, units));
    const __m128i pick = _mm_load_si128(reinterpret_cast<const __m128i *>(Keep.pick[keep].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi8(chosen, pick));
    return out + Keep.count[keep];
}

QUILLET_SSSE3 Utf8Progress decodeBlocks(const char *const begin, const qsizetype size,
                                        char16_t *const outBegin)
{
    constexpr qsizetype Block = 16;
    const char *p = begin;
    char16_t *out = outBegin;
    const __m128i zero = _mm_setzero_si128();
    // A block may need the octet after it, the continuation of its last lead.
    while ((begin + size) - p > Block) {
        const __m128i octets = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned high = unsigned(_mm_movemask_epi8(octets));
        if (high == 0) { // ASCII
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(octets, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(octets, zero));
            p += Block;
            out += Block;
            continue;
        }
        const __m128i continuations = _mm_cmpeq_epi8(
            _mm_and_si128(octets, _mm_set1_epi8(char(0xC0))), _mm_set1_epi8(char(0x80)));
        // C2 to DF: C0 and C1 would only start overlong forms.
        const __m128i leads =
            _mm_andnot_si128(_mm_cmpeq_epi8(_mm_and_si128(octets, _mm_set1_epi8(char(0xFE))),
                                            _mm_set1_epi8(char(0xC0))),
                             _mm_cmpeq_epi8(_mm_and_si128(octets, _mm_set1_epi8(char(0xE0))),
                                            _mm_set1_epi8(char(0xC0))));
        const unsigned continuationBits = unsigned(_mm_movemask_epi8(continuations));
        const unsigned leadBits = unsigned(_mm_movemask_epi8(leads));
        // Every octet above 0x7F a lead or a continuation, and every continuation just after a
        // lead: then each lead is followed by its continuation too, but maybe the last.
        if ((high & ~(continuationBits | leadBits)) != 0 ||
            continuationBits != ((leadBits << 1) & 0xFFFF))
            break;
        const bool lastIsLead = (leadBits & 0x8000) != 0;
        if (lastIsLead && (static_cast<unsigned char>(p[Block]) & 0xC0) != 0x80)
            break;
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        const unsigned keep = ~continuationBits;
        out = writeUnits(_mm_unpacklo_epi8(octets, zero), _mm_unpacklo_epi8(next, zero),
                         _mm_unpacklo_epi8(leads, leads), keep & 0xFF, out);
        out = writeUnits(_mm_unpackhi_epi8(octets, zero), _mm_unpackhi_epi8(next, zero),
                         _mm_unpackhi_epi8(leads, leads), keep >> 8 & 0xFF, out);
        p += lastIsLead ? Block + 1 : Block;
    }
    return {p - begin, out - outBegin};
}

#undef QUILLET_SSSE3

} // namespace
#endif

Utf8Progress decodeUtf8TwoOctets(QByteArrayView octets, char16_t *out)
{
#if defined(__SSE2__)
    if (canUseShuffleBlocks())
        return decodeBlocks(octets.data(), octets.size(), out);
#endif
    Q_UNUSED(octets);
    Q_UNUSED(out);
    return {};
}
