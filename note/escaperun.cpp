// SPDX-License-Identifier: GPL-3.0-or-later
#include "escaperun.h"

#include "cpufeatures.h"

#if defined(__SSE2__)
#include <tmmintrin.h>

#include <bit>
#endif

#if defined(__SSE2__)
namespace {

// A block is sixteen escapes: 48 characters in three vectors, giving one vector of octets.
// Gathering every third character takes a byte shuffle, which SSE2 lacks: the processor must
// have SSSE3, as all but the first x86-64 ones do.
constexpr qsizetype BlockEscapes = 16;
constexpr qsizetype BlockSize = 3 * BlockEscapes;

#define QUILLET_SSSE3 [[gnu::target("ssse3")]]

// Where each escape's characters are in the block's vectors: for each of its characters (the
// two digits, then the "="), for each vector, the index of that character in the vector or -1,
// which the shuffle turns into zero.
struct Picks
{
    alignas(16) signed char index[3][3][16];
};

constexpr Picks MakePicks()
{
    Picks picks{};
    for (int character = 0; character < 3; ++character) {
        for (int vector = 0; vector < 3; ++vector) {
            for (int escape = 0; escape < 16; ++escape) {
                const int at = 3 * escape + character - 16 * vector;
                picks.index[character][vector][escape] =
                    at >= 0 && at < 16 ? static_cast<signed char>(at) : -1;
            }
        }
    }
    return picks;
}

constexpr Picks BlockPicks = MakePicks();

// One of the characters of every escape in the block, gathered from its three vectors.
QUILLET_SSSE3 __m128i gather(__m128i a, __m128i b, __m128i c, int character)
{
    const auto index = [character](int vector) {
        return _mm_load_si128(
            reinterpret_cast<const __m128i *>(BlockPicks.index[character][vector]));
    };
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, index(0)), _mm_shuffle_epi8(b, index(1))),
                        _mm_shuffle_epi8(c, index(2)));
}

// 0xFF where the byte is a hexadecimal digit of either case. Each range is moved to the bottom
// of the signed bytes, so that one signed comparison tells whether a byte is in it.
QUILLET_SSSE3 __m128i hexDigitMask(__m128i x)
{
    const __m128i digit =
        _mm_cmpgt_epi8(_mm_set1_epi8(-128 + 10), _mm_add_epi8(x, _mm_set1_epi8(char(0x80 - '0'))));
    const __m128i lower = _mm_or_si128(x, _mm_set1_epi8(0x20));
    const __m128i letter = _mm_cmpgt_epi8(_mm_set1_epi8(-128 + 6),
                                          _mm_add_epi8(lower, _mm_set1_epi8(char(0x80 - 'a'))));
    return _mm_or_si128(digit, letter);
}

// A digit's value: its low four bits, plus nine for a letter. Meaningless for other bytes.
QUILLET_SSSE3 __m128i digitValues(__m128i x)
{
    const __m128i letter = _mm_cmpgt_epi8(x, _mm_set1_epi8('9'));
    return _mm_add_epi8(_mm_and_si128(x, _mm_set1_epi8(0x0F)),
                        _mm_and_si128(letter, _mm_set1_epi8(9)));
}

// Decodes the sixteen escapes whose characters are in `a`, `b` and `c` into the 16 octets at
// `out` (all 16 are written); returns how many of them are whole.
QUILLET_SSSE3 qsizetype decodeVectors(__m128i a, __m128i b, __m128i c, char *out)
{
    const __m128i high = gather(a, b, c, 0);
    const __m128i low = gather(a, b, c, 1);
    const __m128i equals = _mm_cmpeq_epi8(gather(a, b, c, 2), _mm_set1_epi8('='));
    const __m128i whole =
        _mm_and_si128(_mm_and_si128(hexDigitMask(high), hexDigitMask(low)), equals);
    const __m128i highHalves =
        _mm_and_si128(_mm_slli_epi16(digitValues(high), 4), _mm_set1_epi8(char(0xF0)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_or_si128(highHalves, digitValues(low)));
    // The first escape that is not whole ends the run.
    return std::countr_one(unsigned(_mm_movemask_epi8(whole)));
}

// The 48 characters at `p`, sixteen to a vector of bytes.
QUILLET_SSSE3 qsizetype decodeBlock(const char *p, char *out)
{
    const auto load = [p](int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
    };
    return decodeVectors(load(0), load(16), load(32), out);
}

// UTF-16 units narrowed to bytes with saturation: a unit beyond 0xFF becomes 0x00 or 0xFF, which
// is neither a digit nor "=", so it ends the run as it should.
QUILLET_SSSE3 qsizetype decodeBlock(const char16_t *p, char *out)
{
    const auto load = [p](int at) {
        const auto *units = reinterpret_cast<const __m128i *>(p + at);
        return _mm_packus_epi16(_mm_loadu_si128(units), _mm_loadu_si128(units + 1));
    };
    return decodeVectors(load(0), load(16), load(32), out);
}

// At least a block's worth of escapes, sixteen at a time while the last escape of the next block
// is followed by "=", as in a run that goes on through it; the last block ends with the last
// escape.
template <typename Unit>
QUILLET_SSSE3 qsizetype decodeBlocks(const Unit *p, qsizetype escapes, char *out)
{
    qsizetype done = 0;
    while (escapes - done >= BlockEscapes && p[3 * done + BlockSize - 1] == '=') {
        const qsizetype whole = decodeBlock(p + 3 * done, out + done);
        done += whole;
        if (whole < BlockEscapes || done == escapes)
            return done;
    }
    if (escapes - done < BlockEscapes && p[3 * escapes - 1] == '=') {
        // The last block goes back over escapes already decoded (which decode the same again),
        // so that it reads nothing beyond.
        const qsizetype from = escapes - BlockEscapes;
        return from + decodeBlock(p + 3 * from, out + from);
    }
    return done + decodeEscapesOneByOne(p + 3 * done, escapes - done, out + done);
}

#undef QUILLET_SSSE3

} // namespace
#endif

namespace {

template <typename Unit> qsizetype decodeInBlocks(const Unit *p, qsizetype escapes, char *out)
{
#if defined(__SSE2__)
    if (escapes >= BlockEscapes && canUseShuffleBlocks())
        return decodeBlocks(p, escapes, out);
#endif
    return decodeEscapesOneByOne(p, escapes, out);
}

} // namespace

qsizetype decodeEscapeBlocks(const char *p, qsizetype escapes, char *out)
{
    return decodeInBlocks(p, escapes, out);
}

qsizetype decodeEscapeBlocks(const char16_t *p, qsizetype escapes, char *out)
{
    return decodeInBlocks(p, escapes, out);
}
