// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hexdigit.h"

#include <QtGlobal>

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

// The same, sixteen escapes at a time where the processor can.
qsizetype decodeEscapeRun(const char *p, qsizetype escapes, char *out);
qsizetype decodeEscapeRun(const char16_t *p, qsizetype escapes, char *out);
