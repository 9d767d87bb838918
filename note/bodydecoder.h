// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include "qvutf8.h"

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
    // A piece whose characters are its octets, as Latin-1 reads them.
    void feed(QLatin1StringView piece);
    [[nodiscard]] QString finish();
    // The octets instead of their text, for a caller that writes UTF-8 anyway: what finish()
    // would decode as UTF-8. Call it instead of finish(), after keepOctets() and the pieces.
    void keepOctets() { m_keepOctets = true; }
    // The pieces to come follow an "=", as the part of a body decoded apart from what comes
    // before it, which ended with an "=". Call it before the pieces.
    void continueAfterEquals() { m_state = State::ElementStart; }
    [[nodiscard]] QByteArray finishOctets();

private:
    enum class State {
        FirstElement, // before the first "="
        ElementStart, // just after a "="
        OneDigit,     // after "=" and one hexadecimal digit
        Literal,      // after an escape's two digits, or in a long first element
        Skipping,     // in an element that carries no octet
    };

    // The octets of the whole escapes at `p`, as many as fit in the octet buffer, added to it;
    // returns how many escapes they were.
    template <typename Unit> qsizetype runOfEscapes(const Unit *p, const Unit *end);
    template <typename Unit> void feedUnits(const Unit *p, const Unit *end);
    void endElement();
    void appendLiteral(QChar c);
    // Literal text from `p` on, up to the next "=" or surrogate; returns where it stopped.
    template <typename Unit> const Unit *appendPlainLiteral(const Unit *p, const Unit *end);
    void flushFirstElement();
    // Room for `count` (at most ChunkSize) more octets; returns where the next one goes.
    char *room(qsizetype count);
    void flushOctets();

    // Octets are gathered in a small buffer that stays in cache and handed to the UTF-8 decoder
    // whenever it fills, so a large body is never held as octets as well as text.
    static constexpr qsizetype ChunkSize = 16 * 1024;
    QByteArray m_octets;
    qsizetype m_used = 0;
    QvUtf8Decoder m_text;
    bool m_keepOctets = false;
    QByteArray m_kept; // all the octets, when they are kept instead of decoded
    State m_state = State::FirstElement;
    int m_highNibble = 0;
    // The first element's characters while it may still be a two-digit octet.
    QChar m_first[2];
    int m_firstLength = 0;
    // A high surrogate waiting for its pair, which may come in the next piece.
    char16_t m_pendingHighSurrogate = 0;
};

// The whole body at once, as the viewer shows it; the body itself when it cannot be decoded.
// Throws std::bad_alloc only, when memory runs out.
QString DecodeBody(const QString &body);
