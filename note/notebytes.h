// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A note file's bytes as the lenient reading takes them: a UTF-8 byte-order mark dropped, and a
// UTF-16 file (told by its mark) converted to UTF-8 first. Other bytes are not copied: they
// must outlive this object.
class NoteBytes
{
public:
    explicit NoteBytes(QByteArrayView file);

    [[nodiscard]] QByteArrayView bytes() const { return m_bytes; }

private:
    QByteArray m_converted;
    QByteArrayView m_bytes;
};
