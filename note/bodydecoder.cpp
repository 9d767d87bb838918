#include "bodydecoder.h"

#include "qvutf8.h"

#include <array>

namespace {

// Hexadecimal digit values for the ASCII range; -1 for everything else.
constexpr std::array<signed char, 128> HexValues = [] {
    std::array<signed char, 128> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        values['A' + i] = static_cast<signed char>(10 + i);
        values['a' + i] = static_cast<signed char>(10 + i);
    }
    return values;
}();

inline int hexValue(char16_t c)
{
    return c < 128 ? HexValues[c] : -1;
}

constexpr const char *ReplacementCharacter = "\xEF\xBF\xBD";

void appendUtf8(QByteArray &octets, char32_t code)
{
    if (code < 0x80) {
        octets.append(static_cast<char>(code));
    } else if (code < 0x800) {
        octets.append(static_cast<char>(0xC0 | (code >> 6)));
        octets.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        octets.append(static_cast<char>(0xE0 | (code >> 12)));
        octets.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        octets.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        octets.append(static_cast<char>(0xF0 | (code >> 18)));
        octets.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        octets.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        octets.append(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

void BodyDecoder::reserve(qsizetype inputCharacters)
{
    // Escapes take three characters an octet; literal text is seldom more than a small part.
    m_octets.reserve(m_octets.size() + inputCharacters / 3 + 16);
}

void BodyDecoder::feed(QStringView piece)
{
    const char16_t *p = piece.utf16();
    const char16_t *const end = p + piece.size();
    while (p < end) {
        // The common case, a run of whole escapes: "=" and two digits, then the next "=".
        if (m_state == State::ElementStart) {
            while (end - p >= 3) {
                const int high = hexValue(p[0]);
                const int low = hexValue(p[1]);
                if (high < 0 || low < 0 || p[2] != u'=')
                    break;
                m_octets.append(static_cast<char>(high * 16 + low));
                p += 3;
            }
            if (p == end)
                break;
        }

        const char16_t c = *p++;
        if (c == u'=') {
            endElement();
            continue;
        }
        switch (m_state) {
        case State::FirstElement:
            if (m_firstLength < 2) {
                m_first[m_firstLength++] = QChar(c);
            } else {
                flushFirstElement();
                appendLiteral(QChar(c));
                m_state = State::Literal;
            }
            break;
        case State::ElementStart: {
            const int value = hexValue(c);
            if (value < 0) {
                m_state = State::Skipping;
            } else {
                m_highNibble = value;
                m_state = State::OneDigit;
            }
            break;
        }
        case State::OneDigit: {
            const int value = hexValue(c);
            if (value < 0) {
                m_state = State::Skipping;
            } else {
                m_octets.append(static_cast<char>(m_highNibble * 16 + value));
                m_state = State::Literal;
            }
            break;
        }
        case State::Literal:
            appendLiteral(QChar(c));
            break;
        case State::Skipping:
            break;
        }
    }
}

void BodyDecoder::endElement()
{
    if (m_state == State::FirstElement) {
        const bool isOctet = m_firstLength == 2 && hexValue(m_first[0].unicode()) >= 0 &&
                             hexValue(m_first[1].unicode()) >= 0;
        if (isOctet)
            m_octets.append(static_cast<char>(hexValue(m_first[0].unicode()) * 16 +
                                              hexValue(m_first[1].unicode())));
        else
            flushFirstElement();
        m_firstLength = 0;
    }
    m_state = State::ElementStart;
}

void BodyDecoder::flushFirstElement()
{
    for (int i = 0; i < m_firstLength; ++i)
        appendLiteral(m_first[i]);
    m_firstLength = 0;
}

void BodyDecoder::appendLiteral(QChar c)
{
    const char16_t u = c.unicode();
    if (m_pendingHighSurrogate != 0) {
        const char16_t high = m_pendingHighSurrogate;
        m_pendingHighSurrogate = 0;
        if (QChar::isLowSurrogate(u)) {
            appendUtf8(m_octets, QChar::surrogateToUcs4(high, u));
            return;
        }
        m_octets.append(ReplacementCharacter); // a high surrogate without its pair
    }
    if (QChar::isHighSurrogate(u))
        m_pendingHighSurrogate = u;
    else if (QChar::isLowSurrogate(u))
        m_octets.append(ReplacementCharacter);
    else
        appendUtf8(m_octets, u);
}

QString BodyDecoder::finish()
{
    endElement();
    if (m_pendingHighSurrogate != 0) {
        m_octets.append(ReplacementCharacter);
        m_pendingHighSurrogate = 0;
    }
    QString text = qvUTF8ToUNICODE(m_octets);
    m_octets.clear();
    m_state = State::FirstElement;
    return text;
}

QString DecodeBody(const QString &body)
{
    try {
        BodyDecoder decoder;
        decoder.reserve(body.size());
        decoder.feed(body);
        return decoder.finish();
    } catch (const std::exception &) {
        return body;
    }
}
