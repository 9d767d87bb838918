#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Decodes a note body written in quoted-printable escapes of UTF-8 octets.
//
// The body is split at every "=" into elements. An element that begins with two hexadecimal
// digits gives that octet, followed by the rest of the element as literal text; every other
// element is skipped. The text before the first "=" is one octet when it is exactly two
// hexadecimal digits, and literal text otherwise. The octets are then decoded as UTF-8.
//
// The body may arrive in pieces (the note's trimmed body lines): an element may run across a
// piece boundary. Work is linear in the input, with no allocation per octet.
class BodyDecoder
{
public:
    // A hint for the total input size, so the octet buffer is allocated once.
    void reserve(qsizetype inputCharacters);
    void feed(QStringView piece);
    [[nodiscard]] QString finish();

private:
    enum class State {
        FirstElement, // before the first "="
        ElementStart, // just after a "="
        OneDigit,     // after "=" and one hexadecimal digit
        Literal,      // after an escape's two digits, or in a long first element
        Skipping,     // in an element that carries no octet
    };

    void endElement();
    void appendLiteral(QChar c);
    void flushFirstElement();

    QByteArray m_octets;
    State m_state = State::FirstElement;
    int m_highNibble = 0;
    // The first element's characters while it may still be a two-digit octet.
    QChar m_first[2];
    int m_firstLength = 0;
    // A high surrogate waiting for its pair, which may come in the next piece.
    char16_t m_pendingHighSurrogate = 0;
};

// The whole body at once, as the viewer shows it.
QString DecodeBody(const QString &body);
