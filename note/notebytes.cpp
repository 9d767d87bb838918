// SPDX-License-Identifier: GPL-3.0-or-later
#include "notebytes.h"

#include "charsetdecoder.h"

namespace {

constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LeByteOrderMark("\xFF\xFE");
constexpr QByteArrayView Utf16BeByteOrderMark("\xFE\xFF");

QByteArray utf16ToUtf8(QByteArrayView units, QByteArrayView charset)
{
    CharsetDecoder decoder(charset);
    decoder.append(units);
    return decoder.finish().toUtf8();
}

} // namespace

NoteBytes::NoteBytes(QByteArrayView file) : m_bytes(file)
{
    if (file.startsWith(Utf8ByteOrderMark)) {
        m_bytes = file.sliced(Utf8ByteOrderMark.size());
    } else if (file.startsWith(Utf16LeByteOrderMark)) {
        m_converted = utf16ToUtf8(file.sliced(2), "UTF-16LE");
        m_bytes = m_converted;
    } else if (file.startsWith(Utf16BeByteOrderMark)) {
        m_converted = utf16ToUtf8(file.sliced(2), "UTF-16BE");
        m_bytes = m_converted;
    }
}
