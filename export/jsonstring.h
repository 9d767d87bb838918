// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// The most bytes one UTF-16 unit or octet can take in a JSON string: a control character as
// \u00XX.
constexpr qsizetype MaxJsonBytesPerUnit = 6;
// The writers below encode in blocks of 64 Ki units or octets, asking for the room of a whole
// block at once: at most this much beyond what they have written.
constexpr qsizetype JsonRoomAhead = MaxJsonBytesPerUnit * 64 * 1024;

// Appends `text` to `out` as a JSON string in UTF-8, quotes included: '"', '\' and the control
// characters escaped (\n, \r, \t, else \u00XX in lower case), everything else as it is. A
// surrogate without its partner, such as an octet of a file name that is not UTF-8, is written
// as its \u escape, so that the string is exactly the text.
void appendJsonString(QByteArray &out, QStringView text);

// Appends the text that `octets` decode to as UTF-8 (see qvUTF8ToUNICODE) as a JSON string,
// exactly as appendJsonString would write it, without turning it into UTF-16 first: well-formed
// UTF-8 is copied with the same escapes, anything else is decoded first.
void appendJsonUtf8(QByteArray &out, QByteArrayView octets);
