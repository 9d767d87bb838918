// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// Where decoding stopped: octets read, units written.
struct Utf8Progress
{
    qsizetype read = 0;
    qsizetype written = 0;
};

// Decodes UTF-8 from the start of `octets` for as long as it holds only ASCII and well-formed
// two-octet sequences (U+0080 to U+07FF: Latin, Greek, Cyrillic, Hebrew, Arabic...), sixteen octets
// at a time where the processor can; stops where anything else begins, or near the end. Always
// stops at the start of a sequence, so that any decoder can take the rest. `out` must have room
// for octets.size() units, which may all be written to.
Utf8Progress decodeUtf8TwoOctets(QByteArrayView octets, char16_t *out);
