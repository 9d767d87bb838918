// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// File names as the system keeps them (bytes, usually but not always UTF-8) and as text. A name
// that is not valid UTF-8, such as a memory card's Latin-1 or windows-1251 name, must still name
// its file again: each octet that does not decode becomes the lone surrogate U+DC80..U+DCFF
// (the surrogate-escape form that Python's os.fsdecode also makes), and back.

// The name as text: valid UTF-8 decoded, every other octet escaped.
QString qvFileNameToText(QByteArrayView native);

// The bytes of a name made by qvFileNameToText, or of any text: an escaped octet becomes that
// octet again, everything else UTF-8 (another lone surrogate, which names no file, as U+FFFD).
QByteArray qvTextToFileName(QStringView text);

// Whether `unit` is an escaped octet, and which.
constexpr bool qvIsEscapedOctet(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}
constexpr unsigned char qvEscapedOctet(char16_t unit)
{
    return static_cast<unsigned char>(unit - 0xDC00);
}

// The program's arguments as the system gave them. `decoded` is the list that Qt keeps (decoded
// lossily, less the options it took for itself); `native` is the process's own argument bytes,
// each ended by a NUL as /proc/self/cmdline holds them. Each argument that Qt kept is matched
// in order to the native argument it came from; one that matches none stays as Qt decoded it.
QStringList qvNativeArguments(QByteArrayView native, const QStringList &decoded);
