// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Writes the UTF-8 octets of one code point at `out`, which has room for four; returns the
// position after them.
inline char *qvWriteUtf8(char *out, char32_t code)
{
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The well-formed UTF-8 sequence at the start of `octets`: its code point and its length in
// octets, or a length of 0 when none starts there (an overlong form, a surrogate, a stray or
// missing continuation octet).
struct QvUtf8Sequence
{
    char32_t code = 0;
    int length = 0;
};
QvUtf8Sequence qvReadUtf8(QByteArrayView octets);

// The octets decoded as UTF-8 by Qt's decoder (QStringDecoder): an invalid sequence becomes
// U+FFFD, which is not a failure; a byte-order mark at the very start is dropped.
QString qvUTF8ToUNICODE(QByteArrayView octets);

// The same decoding for octets that arrive in pieces: the result is exactly qvUTF8ToUNICODE of
// all the pieces joined, whatever the cuts, into one text allocated once. Lets a caller produce
// octets into a small buffer that stays in cache instead of holding them all.
class QvUtf8Decoder
{
public:
    // A hint for the number of UTF-16 units to come, so the text is allocated once.
    void reserve(qsizetype units);
    void append(QByteArrayView octets);
    [[nodiscard]] QString finish();

private:
    // Decodes octets that end on a sequence's boundary, or at the end of all of them.
    void appendWhole(QByteArrayView octets);
    QChar *room(qsizetype units);

    // The text so far is the first m_length units of m_text.
    QString m_text;
    qsizetype m_length = 0;
    // Octets have been seen: a byte-order mark is only special at the very start.
    bool m_started = false;
    // The start of a sequence cut by the end of the last piece.
    char m_tail[4] = {};
    int m_tailLength = 0;
};
