// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "qvutf8.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

struct UConverter;

// Turns octets in a named charset into text, through ICU's converters; the octets may come in
// pieces. Octets that the charset does not define become U+FFFD. A charset that ICU does not
// know is read as UTF-8 with U+FFFD, never as nothing. With no charset named, the octets are
// UTF-8 when they are valid UTF-8 and windows-1252 otherwise. UTF-8 itself goes through the
// project's own decoder, which is faster than ICU's for it, and ASCII octets named ASCII are
// taken as they are: a note's value costs no converter unless its charset needs one.
class CharsetDecoder
{
public:
    explicit CharsetDecoder(QByteArrayView charset);
    ~CharsetDecoder();
    CharsetDecoder(const CharsetDecoder &) = delete;
    CharsetDecoder &operator=(const CharsetDecoder &) = delete;

    // Whether ASCII octets in `charset` are their own characters to this decoder, as they are
    // in UTF-8 and with no charset named.
    static bool readsAsciiAsIs(QByteArrayView charset);

    // A hint for the number of octets to come, so the text of a large value is allocated once.
    void reserve(qsizetype octets);
    void append(QByteArrayView octets);
    [[nodiscard]] QString finish();
    // All the octets at once, in place of append() and finish(): less work for a small value.
    [[nodiscard]] QString decodeAll(QByteArrayView octets);

private:
    enum class Mode { Utf8, Converter, Detect, Ascii };
    struct CloseConverter
    {
        void operator()(UConverter *converter) const;
    };

    // Opens the converter of `name`: Converter mode, else Utf8 when it is UTF-8 or unknown.
    void useConverter(const char *name);
    void convert(QByteArrayView octets, bool flush);

    Mode m_mode = Mode::Utf8;
    QvUtf8Decoder m_utf8;
    std::unique_ptr<UConverter, CloseConverter> m_converter;
    QString m_text; // what the converter has written: its first m_length units
    qsizetype m_length = 0;
    QByteArray m_undetected; // the octets, while the charset is still to be told
};
