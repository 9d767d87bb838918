// SPDX-License-Identifier: GPL-3.0-or-later
#include "valuedecoder.h"

#include "charsetdecoder.h"
#include "escaperun.h"
#include "hexdigit.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Gathers octets in a small buffer that stays in cache and hands them on whenever it fills, so
// that a large value is never held as octets as well as text.
class OctetBuffer
{
public:
    // `expected`: a hint for the number of octets, used once they fill the buffer.
    OctetBuffer(CharsetDecoder &charset, qsizetype expected)
        : m_charset(charset), m_expected(expected)
    {
    }

    // Room for `count` (at most ChunkSize) more octets; returns where the next one goes.
    char *room(qsizetype count)
    {
        if (ChunkSize - m_used < count)
            flush();
        return m_octets.data() + m_used;
    }
    void used(char *end) { m_used = end - m_octets.data(); }
    void append(QByteArrayView octets)
    {
        if (octets.size() <= ChunkSize) {
            char *const out = room(octets.size());
            std::copy(octets.begin(), octets.end(), out);
            m_used += octets.size();
            return;
        }
        flush();
        m_charset.append(octets);
    }
    void flush()
    {
        if (!m_flushed) {
            m_flushed = true;
            m_charset.reserve(m_expected);
        }
        m_charset.append(QByteArrayView(m_octets.data(), m_used));
        m_used = 0;
    }
    // The text of all the octets. A value that never filled the buffer is decoded at once.
    QString finish()
    {
        if (!m_flushed)
            return m_charset.decodeAll(QByteArrayView(m_octets.data(), m_used));
        flush();
        QString text = m_charset.finish();
        // The hint is far off only for a small value with much of its note after it.
        if (text.capacity() - text.size() > ChunkSize)
            text.squeeze();
        return text;
    }

    static constexpr qsizetype ChunkSize = 16 * 1024;

private:
    CharsetDecoder &m_charset;
    qsizetype m_expected;
    bool m_flushed = false;
    std::array<char, ChunkSize> m_octets; // on the stack: a small value costs no allocation
    qsizetype m_used = 0;
};

// Quoted-printable pieces to octets. An escape may run across pieces: the soft break between
// them is already gone.
class QuotedPrintableDecoder
{
public:
    explicit QuotedPrintableDecoder(OctetBuffer &out) : m_out(out) {}

    void feed(QByteArrayView piece)
    {
        const char *p = piece.data();
        const char *const end = p + piece.size();
        while (p < end) {
            // Each character gives at most one octet, and an escape left open by the last piece
            // may give two more.
            const qsizetype count = std::min<qsizetype>(end - p, OctetBuffer::ChunkSize - 2);
            char *out = m_out.room(count + 2);
            const char *const stop = p + count;
            while (p < stop) {
                if (m_state == State::Text) {
                    // The common case: a run of whole escapes. After a whole one, those that
                    // follow are decoded many at a time while another "=" follows each; text full
                    // of broken escapes never gets that far.
                    while (stop - p >= 3 && p[0] == '=') {
                        const int high = hexValue(p[1]);
                        const int low = hexValue(p[2]);
                        if ((high | low) < 0)
                            break;
                        *out++ = static_cast<char>(high << 4 | low);
                        p += 3;
                        if (stop - p >= 4 && p[0] == '=') {
                            const qsizetype escapes =
                                decodeEscapeRun(p + 1, (stop - p - 1) / 3, out);
                            out += escapes;
                            p += 3 * escapes;
                        }
                    }
                    if (p == stop)
                        break;
                    // Then the text up to the next "=", copied as it stands.
                    if (*p != '=') {
                        const auto *equals =
                            static_cast<const char *>(std::memchr(p, '=', size_t(stop - p)));
                        const char *const runEnd = equals != nullptr ? equals : stop;
                        out = std::copy(p, runEnd, out);
                        p = runEnd;
                        continue;
                    }
                }
                out = step(*p++, out);
            }
            m_out.used(out);
        }
    }

    void finish()
    {
        char *out = m_out.room(2);
        out = pendingAsText(out);
        m_out.used(out);
    }

private:
    enum class State { Text, Equals, OneDigit };

    char *step(char c, char *out)
    {
        switch (m_state) {
        case State::Text:
            if (c == '=')
                m_state = State::Equals;
            else
                *out++ = c;
            return out;
        case State::Equals:
            if (hexValue(c) >= 0) {
                m_firstDigit = c;
                m_state = State::OneDigit;
                return out;
            }
            break;
        case State::OneDigit:
            if (hexValue(c) >= 0) {
                *out++ = static_cast<char>(hexValue(m_firstDigit) << 4 | hexValue(c));
                m_state = State::Text;
                return out;
            }
            break;
        }
        // Not an escape: the "=" and what followed it stay as they are.
        out = pendingAsText(out);
        return step(c, out);
    }

    char *pendingAsText(char *out)
    {
        if (m_state != State::Text)
            *out++ = '=';
        if (m_state == State::OneDigit)
            *out++ = m_firstDigit;
        m_state = State::Text;
        return out;
    }

    OctetBuffer &m_out;
    State m_state = State::Text;
    char m_firstDigit = 0;
};

// The pieces of an unencoded value, trimmed of blanks and tabs at both ends of the whole.
void decodeUnencoded(ValueCursor &value, OctetBuffer &out)
{
    bool started = false;
    QByteArray heldBlanks; // written only when more text follows them
    for (QByteArrayView piece; value.nextPiece(piece);) {
        if (!started) {
            while (!piece.isEmpty() && isBlankOrTab(piece.front()))
                piece = piece.sliced(1);
            if (piece.isEmpty())
                continue;
            started = true;
        }
        const QByteArrayView text = chopTrailingBlanks(piece);
        if (!text.isEmpty()) {
            if (!heldBlanks.isEmpty()) {
                out.append(heldBlanks);
                heldBlanks.clear();
            }
            out.append(text);
        }
        heldBlanks.append(piece.sliced(text.size()));
    }
}

bool isBase64WhiteSpace(char c)
{
    return isBlankOrTab(c) || c == '\r' || c == '\n';
}

void decodeBase64(ValueCursor &value, OctetBuffer &out)
{
    QByteArray written;
    for (QByteArrayView piece; value.nextPiece(piece);)
        written.append(piece);
    QByteArray data;
    data.reserve(written.size());
    for (const char c : written) {
        if (!isBase64WhiteSpace(c))
            data.append(c);
    }
    auto decoded = QByteArray::fromBase64Encoding(
        data, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (decoded)
        out.append(*decoded);
    else
        out.append(trimBlanks(written));
}

} // namespace

QString DecodeValue(ValueCursor &value, QByteArrayView charset)
{
    // Most properties besides the body are a few ASCII characters on one line, which read the
    // same in UTF-8 and windows-1252: no decoders for them.
    if (value.encoding() != ValueEncoding::QuotedPrintable &&
        value.encoding() != ValueEncoding::Base64 && CharsetDecoder::readsAsciiAsIs(charset)) {
        ValueCursor rest = value;
        QByteArrayView first;
        QByteArrayView second;
        if (rest.nextPiece(first) && !rest.nextPiece(second)) {
            const QByteArrayView text = trimBlanks(first);
            if (std::all_of(text.begin(), text.end(), [](char c) { return c > 0; })) {
                value = rest;
                return QString::fromLatin1(text);
            }
        }
    }

    CharsetDecoder text(charset);
    // Escapes take three bytes an octet.
    const qsizetype maxOctets = value.maxSize();
    OctetBuffer octets(text, value.encoding() == ValueEncoding::QuotedPrintable ? maxOctets / 3
                                                                                : maxOctets);
    switch (value.encoding()) {
    case ValueEncoding::QuotedPrintable: {
        QuotedPrintableDecoder decoder(octets);
        for (QByteArrayView piece; value.nextPiece(piece);)
            decoder.feed(piece);
        decoder.finish();
        break;
    }
    case ValueEncoding::Base64:
        decodeBase64(value, octets);
        break;
    case ValueEncoding::None:
    case ValueEncoding::EightBit:
    case ValueEncoding::SevenBit:
        decodeUnencoded(value, octets);
        break;
    }
    return octets.finish();
}
