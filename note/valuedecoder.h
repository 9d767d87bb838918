// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contentline.h"

#include <QByteArrayView>
#include <QString>

// The text of a value: its encoding undone first (quoted-printable, BASE64 or B, or none for
// 8BIT, 7BIT and no encoding), then its charset (see CharsetDecoder). Quoted-printable turns
// "=" and two hexadecimal digits (either case) into an octet and leaves every other "=" as it
// is. A BASE64 value that holds anything but base64 and white space is shown as it is written.
// A value with no encoding is trimmed of blanks and tabs. No backslash is unescaped: Shift_JIS
// trail bytes include 0x5C. Reads the value to its end.
QString DecodeValue(ValueCursor &value, QByteArrayView charset);
