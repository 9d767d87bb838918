// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether a note's text is in the layout that the strict reading was made for, so that the
// lenient reading must show it the same: accepted by the strict reading; every line ended the
// way the first one is (no lone CR after a CR LF or LF); no marker line, folded line or
// parameterised or grouped property before the body; VERSION and the stamps without a blank after
// the colon, and no stamp in a UTC form the strict reading leaves as it is (a Z, or separators);
// no BODY, NOTE or SUMMARY but the strict body marker, in ASCII; after it, every body line but the
// last ending in "=" (its soft break), each after the first starting with "=", none being a
// marker, every other "=" starting an escape of two hexadecimal digits, and the body not starting
// with two bare hexadecimal digits (which the strict reading takes for an octet). The text must be
// what its bytes decode to, with no U+FFFD and no lone surrogate.
bool isInStrictLayout(const QString &text);
