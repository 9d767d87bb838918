// SPDX-License-Identifier: GPL-3.0-or-later
#include "bodydecoder.h"

#include "escaperun.h"
#include "hexdigit.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

constexpr char ReplacementCharacter[] = "\xEF\xBF\xBD";
// The most octets one UTF-16 unit of literal text can give: a replacement character (three) for
// an unpaired high surrogate before it, then up to three of its own. A completed surrogate pair
// gives four.
constexpr qsizetype MaxOctetsPerUnit = 6;
// The most units of plain literal text written at one go.
constexpr qsizetype MaxPlainRun = 1024;

// A unit of the text as the character it stands for: an octet is its Latin-1 character.
char16_t unit(char16_t c)
{
    return c;
}

char16_t unit(char c)
{
    return static_cast<unsigned char>(c);
}

} // namespace

void BodyDecoder::reserve(qsizetype inputCharacters)
{
    // Escapes take three characters an octet, and an octet gives at most one unit of text;
    // literal text is seldom more than a small part.
    if (m_keepOctets)
        m_kept.reserve(inputCharacters / 3 + ChunkSize);
    else
        m_text.reserve(inputCharacters / 3 + ChunkSize);
}

char *BodyDecoder::room(qsizetype count)
{
    if (m_octets.size() - m_used < count) {
        flushOctets();
        if (m_octets.size() < ChunkSize)
            m_octets.resize(ChunkSize);
    }
    return m_octets.data() + m_used;
}

void BodyDecoder::flushOctets()
{
    if (m_keepOctets)
        m_kept.append(m_octets.constData(), m_used);
    else
        m_text.append(QByteArrayView(m_octets.constData(), m_used));
    m_used = 0;
}

void BodyDecoder::feed(QStringView piece)
{
    feedUnits(piece.utf16(), piece.utf16() + piece.size());
}

void BodyDecoder::feed(QLatin1StringView piece)
{
    feedUnits(piece.data(), piece.data() + piece.size());
}

template <typename Unit> qsizetype BodyDecoder::runOfEscapes(const Unit *p, const Unit *end)
{
    if (end - p < 3 || p[2] != '=' || hexValue(p[0]) < 0 || hexValue(p[1]) < 0)
        return 0;
    const qsizetype escapes = std::min<qsizetype>((end - p) / 3, ChunkSize);
    char *const out = room(escapes);
    return decodeEscapeRun(p, escapes, out);
}

template <typename Unit> void BodyDecoder::feedUnits(const Unit *p, const Unit *const end)
{
    while (p < end) {
        // The common case, a run of whole escapes: "=" and two digits, then the next "=".
        if (m_state == State::ElementStart) {
            const qsizetype escapes = runOfEscapes(p, end);
            m_used += escapes;
            p += 3 * escapes;
            if (p == end)
                break;
        }

        const char16_t c = unit(*p++);
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
                p = appendPlainLiteral(p, end);
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
                *room(1) = static_cast<char>(m_highNibble * 16 + value);
                ++m_used;
                m_state = State::Literal;
            }
            break;
        }
        case State::Literal:
            appendLiteral(QChar(c));
            p = appendPlainLiteral(p, end);
            break;
        case State::Skipping:
            while (p < end && *p != '=')
                ++p;
            break;
        }
    }
}

void BodyDecoder::endElement()
{
    if (m_state == State::FirstElement) {
        const bool isOctet = m_firstLength == 2 && hexValue(m_first[0].unicode()) >= 0 &&
                             hexValue(m_first[1].unicode()) >= 0;
        if (isOctet) {
            *room(1) = static_cast<char>(hexValue(m_first[0].unicode()) * 16 +
                                         hexValue(m_first[1].unicode()));
            ++m_used;
        } else {
            flushFirstElement();
        }
        m_firstLength = 0;
    }
    // A surrogate pair never spans two elements: the high half left over is a character of its
    // own, and must be written before the next element's octet.
    if (m_pendingHighSurrogate != 0) {
        std::copy_n(ReplacementCharacter, 3, room(3));
        m_used += 3;
        m_pendingHighSurrogate = 0;
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
    char *out = room(MaxOctetsPerUnit);
    if (m_pendingHighSurrogate != 0) {
        const char16_t high = m_pendingHighSurrogate;
        m_pendingHighSurrogate = 0;
        if (QChar::isLowSurrogate(u)) {
            m_used = qvWriteUtf8(out, QChar::surrogateToUcs4(high, u)) - m_octets.constData();
            return;
        }
        out = std::copy_n(ReplacementCharacter, 3, out); // a high surrogate without its pair
    }
    if (QChar::isHighSurrogate(u))
        m_pendingHighSurrogate = u;
    else if (QChar::isLowSurrogate(u))
        out = std::copy_n(ReplacementCharacter, 3, out);
    else
        out = qvWriteUtf8(out, u);
    m_used = out - m_octets.constData();
}

template <typename Unit> const Unit *BodyDecoder::appendPlainLiteral(const Unit *p, const Unit *end)
{
    if (m_pendingHighSurrogate != 0)
        return p;
    // Room is made once for the run, at most three octets a unit. The run is bounded well below
    // the buffer, or every short run between escapes would hand the buffer on half empty; the
    // caller comes back for the rest of a longer one.
    const Unit *const stop = p + std::min<qsizetype>(end - p, MaxPlainRun);
    char *out = room((stop - p) * 3);
    // ASCII first: one comparison fewer a unit than the general case.
    while (p < stop && *p != '=') {
        const char16_t u = unit(*p);
        if (u < 0x80) {
            *out++ = static_cast<char>(u);
        } else if (QChar::isSurrogate(u)) {
            break;
        } else {
            out = qvWriteUtf8(out, u);
        }
        ++p;
    }
    m_used = out - m_octets.constData();
    return p;
}

QByteArray BodyDecoder::finishOctets()
{
    endElement();
    flushOctets();
    m_octets.clear();
    m_state = State::FirstElement;
    return std::exchange(m_kept, QByteArray());
}

QString BodyDecoder::finish()
{
    endElement();
    flushOctets();
    m_octets.clear();
    m_state = State::FirstElement;
    return m_text.finish();
}

QString DecodeBody(const QString &body)
{
    try {
        BodyDecoder decoder;
        decoder.reserve(body.size());
        decoder.feed(body);
        return decoder.finish();
    } catch (const std::bad_alloc &) {
        throw; // not a body that cannot be decoded: the note cannot be shown at all
    } catch (const std::exception &) {
        return body;
    }
}
