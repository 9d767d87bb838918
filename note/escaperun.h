// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hexdigit.h"

#include <QtGlobal>

#include <algorithm>

// The run of whole escapes at `p`, at most `escapes` of them: two hexadecimal digits of either
// case and the "=" after them, again and again, as a body's escapes follow one another. Writes
// one octet an escape to `out` and returns how many escapes the run holds.
template <typename Unit>
qsizetype decodeEscapesOneByOne(const Unit *p, qsizetype escapes, char *const out)
{
    qsizetype done = 0;
    for (; done < escapes; ++done, p += 3) {
        const int high = hexValue(p[0]);
        const int low = hexValue(p[1]);
        if ((high | low) < 0 || p[2] != '=')
            break;
        out[done] = static_cast<char>(high << 4 | low);
    }
    return done;
}

// The same from the start of a run of at least 16 escapes, sixteen at a time where the processor
// can, and one by one where a block's worth no longer follows.
qsizetype decodeEscapeBlocks(const char *p, qsizetype escapes, char *out);
qsizetype decodeEscapeBlocks(const char16_t *p, qsizetype escapes, char *out);

// How many escapes the plain loop takes before a run may go in blocks. Text that escapes only
// what is not ASCII holds runs of one to three escapes between its words, for which a block costs
// more than it saves; a phone's body is escapes from end to end of each line (see bench/run's
// rows for escape runs).
inline constexpr qsizetype ShortEscapeRun = 4;

// The same as decodeEscapesOneByOne, a long run in blocks. Inline, so that a short run costs no
// call.
template <typename Unit> qsizetype decodeEscapeRun(const Unit *p, qsizetype escapes, char *out)
{
    const qsizetype shortRun = std::min(escapes, ShortEscapeRun);
    for (qsizetype done = 0; done < shortRun; ++done) {
        const int high = hexValue(p[3 * done]);
        const int low = hexValue(p[3 * done + 1]);
        if ((high | low) < 0 || p[3 * done + 2] != '=')
            return done;
        out[done] = static_cast<char>(high << 4 | low);
    }
    // In blocks from the start (the escapes taken decode the same again) where a block's worth
    // is left and an "=" after its 8th, 12th and 16th escapes says that the run fills it.
    if (escapes >= 16 && p[47] == '=' && p[35] == '=' && p[23] == '=')
        return decodeEscapeBlocks(p, escapes, out);
    return shortRun + decodeEscapesOneByOne(p + 3 * shortRun, escapes - shortRun, out + shortRun);
}
