// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvutf8.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");
constexpr char16_t ByteOrderMarkUnit = 0xFEFF;

bool isContinuation(unsigned char octet)
{
    return (octet & 0xC0) == 0x80;
}

// The length of the sequence that `lead` starts, or 0 when no well-formed sequence starts so.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        return 2;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xF0 && lead < 0xF5)
        return 4;
    return 0;
}

struct Decoded
{
    const unsigned char *stop; // the first octet not decoded
    char16_t *out;             // the end of the units written
};

// Decodes well-formed UTF-8 into `out`, which has room for one unit per octet, up to `end` or
// to the first octet that does not start a well-formed sequence (one cut by `end` included).
Decoded decodeWellFormed(const unsigned char *p, const unsigned char *end, char16_t *out)
{
    while (p < end) {
#if defined(__SSE2__)
        // Sixteen ASCII octets at a time, widened to sixteen units: a note's own lines.
        while (end - p >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            if (_mm_movemask_epi8(chunk) != 0)
                break;
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(chunk, zero));
            p += 16;
            out += 16;
        }
#endif
        // ASCII and two-octet sequences mixed, as in Cyrillic text, chosen without a branch:
        // one per character would mispredict at every change between the two. Stops one octet
        // short of the end, so that the octet after a lead can always be looked at.
        const unsigned char *const stop = p + std::min<std::ptrdiff_t>(16, end - p - 1);
        while (p < stop) {
            const unsigned lead = p[0];
            const unsigned next = p[1];
            const bool pair =
                lead - 0xC2u < 0x1Eu && isContinuation(static_cast<unsigned char>(next));
            if (lead >= 0x80 && !pair)
                break;
            *out++ = char16_t(pair ? (lead & 0x1Fu) << 6 | (next & 0x3Fu) : lead);
            p += pair ? 2 : 1;
        }
        if (p == end)
            break;

        // One sequence of any length.
        const unsigned char lead = *p;
        const int length = sequenceLength(lead);
        if (length == 0 || end - p < length)
            break;
        for (int i = 1; i < length; ++i) {
            if (!isContinuation(p[i]))
                return {p, out};
        }
        if (length == 1) {
            *out++ = lead;
        } else if (length == 2) {
            *out++ = char16_t((lead & 0x1F) << 6 | (p[1] & 0x3F));
        } else if (length == 3) {
            const auto unit = char16_t((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            if (unit < 0x800 || QChar::isSurrogate(unit)) // overlong, or a surrogate
                break;
            *out++ = unit;
        } else {
            const char32_t code = char32_t(lead & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 |
                                  char32_t(p[2] & 0x3F) << 6 | char32_t(p[3] & 0x3F);
            if (code < 0x10000 || code > 0x10FFFF) // overlong, or past Unicode
                break;
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        }
        p += length;
    }
    return {p, out};
}

} // namespace

QvUtf8Sequence qvReadUtf8(QByteArrayView octets)
{
    if (octets.isEmpty())
        return {};
    const auto lead = static_cast<unsigned char>(octets.front());
    const int length = sequenceLength(lead);
    if (length == 0 || octets.size() < length)
        return {};
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto octet = static_cast<unsigned char>(octets[i]);
        if (!isContinuation(octet))
            return {};
        code = code << 6 | (octet & 0x3F);
    }
    constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return {};
    return {code, length};
}

QString qvUTF8ToUNICODE(QByteArrayView octets)
{
    if (octets.isEmpty())
        return QString::fromUtf8(octets);
    QvUtf8Decoder decoder;
    decoder.reserve(octets.size());
    decoder.append(octets);
    return decoder.finish();
}

void QvUtf8Decoder::reserve(qsizetype units)
{
    m_text.reserve(m_length + units);
}

char16_t *QvUtf8Decoder::room(qsizetype units)
{
    if (m_text.size() - m_length < units)
        m_text.resize(std::max({m_length + units, m_text.capacity(), m_text.size() * 2}));
    return reinterpret_cast<char16_t *>(m_text.data()) + m_length;
}

void QvUtf8Decoder::startCollecting(QByteArrayView octets)
{
    m_collecting = true;
    m_rest = octets.toByteArray();
}

void QvUtf8Decoder::appendWellFormedPrefix(QByteArrayView octets)
{
    if (octets.isEmpty())
        return;
    if (!m_started) {
        m_started = true;
        if (octets.startsWith(ByteOrderMark)) {
            startCollecting(octets); // Qt drops a mark at the very start
            return;
        }
    }
    const auto *begin = reinterpret_cast<const unsigned char *>(octets.data());
    const auto *end = begin + octets.size();
    char16_t *const out = room(octets.size());
    const Decoded decoded = decodeWellFormed(begin, end, out);
    m_length += decoded.out - out;
    if (decoded.stop != end)
        startCollecting(octets.sliced(decoded.stop - begin));
}

void QvUtf8Decoder::append(QByteArrayView octets)
{
    if (m_collecting) {
        m_rest.append(octets);
        return;
    }
    if (m_tailLength > 0) {
        // Complete the sequence that the last piece cut.
        const int missing = sequenceLength(static_cast<unsigned char>(m_tail[0])) - m_tailLength;
        const qsizetype take = std::min<qsizetype>(missing, octets.size());
        for (qsizetype i = 0; i < take; ++i) {
            if (!isContinuation(static_cast<unsigned char>(octets[i]))) {
                startCollecting(QByteArrayView(m_tail, m_tailLength));
                m_tailLength = 0;
                m_rest.append(octets.sliced(i)); // those before it are in the tail already
                return;
            }
            m_tail[m_tailLength++] = octets[i];
        }
        octets = octets.sliced(take);
        if (take < missing)
            return;
        const QByteArrayView sequence(m_tail, m_tailLength);
        m_tailLength = 0;
        appendWellFormedPrefix(sequence);
        if (m_collecting) {
            m_rest.append(octets);
            return;
        }
    }

    // Keep a sequence cut by the end of this piece for the next one.
    qsizetype cut = octets.size();
    for (qsizetype back = 1; back <= 3 && back <= octets.size(); ++back) {
        const auto octet = static_cast<unsigned char>(octets[octets.size() - back]);
        if (isContinuation(octet))
            continue;
        if (sequenceLength(octet) > back)
            cut = octets.size() - back;
        break;
    }
    appendWellFormedPrefix(octets.first(cut));
    if (m_collecting) {
        m_rest.append(octets.sliced(cut));
        return;
    }
    const QByteArrayView tail = octets.sliced(cut);
    std::copy(tail.begin(), tail.end(), m_tail);
    m_tailLength = int(tail.size());
}

QString QvUtf8Decoder::finish()
{
    if (m_tailLength > 0) { // a sequence cut by the end of the text; never kept while collecting
        startCollecting(QByteArrayView(m_tail, m_tailLength));
        m_tailLength = 0;
    }
    if (m_collecting && m_length == 0) {
        // All of it is Qt's to decode: no copy into the text reserved ahead.
        QString text = QString::fromUtf8(m_rest);
        *this = QvUtf8Decoder();
        return text;
    }
    if (m_collecting) {
        QByteArrayView rest = m_rest;
        // A mark after the start is a character like any other, but Qt would drop it here.
        while (rest.startsWith(ByteOrderMark)) {
            *room(1) = ByteOrderMarkUnit;
            ++m_length;
            rest = rest.sliced(ByteOrderMark.size());
        }
        const QString decoded = QString::fromUtf8(rest);
        std::copy_n(reinterpret_cast<const char16_t *>(decoded.constData()), decoded.size(),
                    room(decoded.size()));
        m_length += decoded.size();
    }
    m_text.truncate(m_length);
    QString text = std::move(m_text);
    *this = QvUtf8Decoder();
    return text;
}
