// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvutf8.h"

#include "utf8twooctets.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");
// The octets handed to Qt's decoder at a time, where the fast path stops.
constexpr qsizetype MinSlice = 16;
constexpr qsizetype MaxSlice = 4096;

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
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder.decode(octets);
}

void QvUtf8Decoder::reserve(qsizetype units)
{
    m_text.reserve(m_length + units);
}

QChar *QvUtf8Decoder::room(qsizetype units)
{
    if (m_text.size() - m_length < units)
        m_text.resize(std::max({m_length + units, m_text.capacity(), m_text.size() * 2}));
    return m_text.data() + m_length;
}

void QvUtf8Decoder::appendWhole(QByteArrayView octets)
{
    if (octets.isEmpty())
        return;
    if (!m_started) {
        m_started = true;
        if (octets.startsWith(ByteOrderMark))
            octets = octets.sliced(ByteOrderMark.size());
    }
    // Each piece on its own, a mark in it being a character like any other: the pieces end on
    // sequence boundaries, so that decoding them apart gives what decoding them joined would.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QChar *const start = room(decoder.requiredSpace(octets.size()));
    QChar *out = start;
    // Text of one- and two-octet characters is decoded here, about three times faster than by Qt;
    // Qt takes the rest, in slices that end where a sequence starts. The slices grow while the fast
    // path keeps stopping at once, as it does all through text of three-octet characters.
    qsizetype slice = MinSlice;
    while (!octets.isEmpty()) {
        const Utf8Progress fast = decodeUtf8TwoOctets(octets, reinterpret_cast<char16_t *>(out));
        out += fast.written;
        octets = octets.sliced(fast.read);
        slice = fast.read == 0 ? std::min(2 * slice, MaxSlice) : MinSlice;
        qsizetype cut = std::min(slice, octets.size());
        while (cut < octets.size() && isContinuation(static_cast<unsigned char>(octets[cut])))
            ++cut;
        out = decoder.appendToBuffer(out, octets.first(cut));
        octets = octets.sliced(cut);
    }
    m_length += out - start;
}

void QvUtf8Decoder::append(QByteArrayView octets)
{
    if (m_tailLength > 0) {
        // Complete the sequence that the last piece cut, as far as this piece goes.
        const int missing = sequenceLength(static_cast<unsigned char>(m_tail[0])) - m_tailLength;
        qsizetype take = 0;
        while (take < std::min<qsizetype>(missing, octets.size()) &&
               isContinuation(static_cast<unsigned char>(octets[take])))
            m_tail[m_tailLength++] = octets[take++];
        octets = octets.sliced(take);
        if (take < missing && octets.isEmpty())
            return; // still cut
        const QByteArrayView sequence(m_tail, m_tailLength);
        m_tailLength = 0;
        appendWhole(sequence);
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
    appendWhole(octets.first(cut));
    const QByteArrayView tail = octets.sliced(cut);
    std::copy(tail.begin(), tail.end(), m_tail);
    m_tailLength = int(tail.size());
}

QString QvUtf8Decoder::finish()
{
    // A sequence cut by the end of the text is decoded as what it is.
    appendWhole(QByteArrayView(m_tail, m_tailLength));
    m_text.truncate(m_length);
    QString text = std::move(m_text);
    *this = QvUtf8Decoder();
    return text;
}
