// SPDX-License-Identifier: GPL-3.0-or-later
#include "embeddednotes.h"

#include "cpufeatures.h"
#include "lenientreader.h"
#include "messagesink.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Encoding = EmbeddedNotes::Encoding;

constexpr QByteArrayView Begin8("BEGIN:VNOTE");
constexpr QByteArrayView BeginLe("B\0E\0G\0I\0N\0:\0V\0N\0O\0T\0E\0", 22);
constexpr QByteArrayView BeginBe("\0B\0E\0G\0I\0N\0:\0V\0N\0O\0T\0E", 22);
constexpr QByteArrayView End8("END:VNOTE");
constexpr QByteArrayView EndLe("E\0N\0D\0:\0V\0N\0O\0T\0E\0", 18);
constexpr QByteArrayView EndBe("\0E\0N\0D\0:\0V\0N\0O\0T\0E", 18);

// What two pieces read in turn have in common: a marker that starts in the first piece is whole
// in it, and a BE marker's twin byte (see isTwin) can be looked at.
constexpr qsizetype Overlap = BeginLe.size() + 1;

QByteArrayView beginMarker(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16Le:
        return BeginLe;
    case Encoding::Utf16Be:
        return BeginBe;
    case Encoding::EightBit:
        break;
    }
    return Begin8;
}

QByteArrayView endMarker(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16Le:
        return EndLe;
    case Encoding::Utf16Be:
        return EndBe;
    case Encoding::EightBit:
        break;
    }
    return End8;
}

// Every BEGIN marker has its G at a fixed place, followed by an I or, in UTF-16, a zero byte: two
// bytes in when written in 8 bits, four in UTF-16 LE, five in UTF-16 BE. One pass for such a G
// finds the markers of all three ways, where a search for each marker would go over the bytes
// three times; few bytes of a backup or of text are such a G.
struct MarkerPlace
{
    Encoding encoding;
    qsizetype gAt;
};
// The earliest start first, for the G that they share.
constexpr std::array MarkerPlaces{MarkerPlace{Encoding::Utf16Be, 5},
                                  MarkerPlace{Encoding::Utf16Le, 4},
                                  MarkerPlace{Encoding::EightBit, 2}};
constexpr qsizetype FirstGAt = 2;
constexpr qsizetype LastGAt = 5;

bool isMarkerG(const char *at)
{
    return at[0] == 'G' && (at[1] == 'I' || at[1] == '\0');
}

// The first G in [at, end - 1) that is followed as a marker's is; end - 1 when none.
const char *findMarkerG(const char *at, const char *end)
{
    --end; // each G has the byte after it
#if defined(__SSE2__)
    const bool blocks = canUseSse2Blocks();
    const __m128i g = _mm_set1_epi8('G');
    const __m128i i = _mm_set1_epi8('I');
    const __m128i zero = _mm_setzero_si128();
    while (end - at >= 16 && blocks) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 1));
        const __m128i hits =
            _mm_and_si128(_mm_cmpeq_epi8(here, g),
                          _mm_or_si128(_mm_cmpeq_epi8(after, i), _mm_cmpeq_epi8(after, zero)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return at + __builtin_ctz(static_cast<unsigned>(mask));
        at += 16;
    }
#endif
    while (at < end && !isMarkerG(at))
        ++at;
    return at;
}

// The first BEGIN marker of any encoding that starts in [from, limit) of `piece`; -1 when none.
// A BE marker that is also an LE one a byte on (see isTwin) is given as the BE one.
qsizetype firstBegin(QByteArrayView piece, qsizetype from, qsizetype limit, Encoding &encoding)
{
    const char *const data = piece.data();
    const char *const end = data + std::min(piece.size(), limit + LastGAt + 1);
    if (end - data < from + FirstGAt + 2)
        return -1;
    for (const char *at = data + from + FirstGAt; at < end - 1; ++at) {
        at = findMarkerG(at, end);
        if (at >= end - 1)
            break;
        const qsizetype g = at - data;
        for (const MarkerPlace place : MarkerPlaces) {
            const qsizetype start = g - place.gAt;
            if (start >= from && start < limit &&
                piece.sliced(start).startsWith(beginMarker(place.encoding))) {
                encoding = place.encoding;
                return start;
            }
        }
    }
    return -1;
}

// A BE marker of letters only that is followed by a zero byte is also an LE marker a byte on:
// "\0B\0E...\0E" + "\0" reads "B\0E\0...E\0" from its second byte.
bool isTwin(QByteArrayView piece, qsizetype beAt)
{
    const qsizetype after = beAt + BeginBe.size();
    return after < piece.size() && piece[after] == '\0';
}

// How plausible UTF-16 text is in one byte order: read in the wrong one, text with letters other
// than Latin loses the separators and line breaks next to them and gains control characters.
qsizetype plausibility(QByteArrayView units, QStringDecoder::Encoding order)
{
    QStringDecoder decoder(order);
    const QString text = decoder.decode(units);
    qsizetype score = 0;
    for (const QChar c : text) {
        if (c == u':' || c == u'\r' || c == u'\n')
            ++score;
        else if (c == QChar::ReplacementCharacter || c.isSurrogate() ||
                 (c.category() == QChar::Other_Control && c != u'\t'))
            score -= 2;
        else if (c.category() == QChar::Other_NotAssigned)
            --score;
    }
    return score;
}

class NoMessages : public MessageSink
{
public:
    void showCritical(const QString &) override {}
};

} // namespace

EmbeddedNotes::EmbeddedNotes(const QString &path, const DateDisplay &display,
                             TextFileReader::Opening opening, qsizetype pieceSize)
    : m_reader(std::numeric_limits<qint64>::max(), opening), m_file(m_reader, path),
      m_display(display), m_pieceSize(std::max(pieceSize, 4 * Overlap))
{
}

qsizetype EmbeddedNotes::count()
{
    if (m_count)
        return *m_count;
    qsizetype count = 0;
    for (qint64 pos = 0;;) {
        if (isCancelled())
            return count; // not kept: it is not the file's
        const Piece piece = pieceAt(pos);
        const qsizetype limit = piece.last ? piece.bytes.size() : piece.bytes.size() - Overlap;
        Encoding encoding{};
        for (qsizetype at = firstBegin(piece.bytes, 0, limit, encoding); at >= 0;
             at = firstBegin(piece.bytes, at + 1, limit, encoding)) {
            // A twin is counted once, as the LE marker found next.
            if (encoding != Encoding::Utf16Be || !isTwin(piece.bytes, at))
                ++count;
        }
        if (piece.last)
            break;
        pos += limit;
    }
    m_count = count;
    return count;
}

bool EmbeddedNotes::isCancelled() const
{
    return m_cancelled && m_cancelled();
}

EmbeddedNotes::Piece EmbeddedNotes::pieceAt(qint64 pos)
{
    // The piece read last serves again while enough of it is left: notes close together are
    // found and read without reading the same bytes again for each.
    qint64 in = pos - m_piecePos;
    if (m_piecePos < 0 || in < 0 || in > m_pieceBytes ||
        (!m_pieceLast && m_pieceBytes - in < 4 * Overlap)) {
        m_buffer.resize(m_pieceSize);
        const QByteArrayView read = m_file.readAt(pos, m_buffer);
        m_piecePos = pos;
        m_pieceBytes = read.size();
        m_pieceLast = read.size() < m_buffer.size();
        in = 0;
    }
    return {QByteArrayView(m_buffer).sliced(in, m_pieceBytes - in), m_pieceLast};
}

EmbeddedNotes::Marker EmbeddedNotes::findBegin(qint64 from)
{
    for (qint64 pos = from;;) {
        if (isCancelled())
            return {};
        const Piece piece = pieceAt(pos);
        const qsizetype limit = piece.last ? piece.bytes.size() : piece.bytes.size() - Overlap;
        Marker marker;
        const qsizetype at = firstBegin(piece.bytes, 0, limit, marker.encoding);
        if (at >= 0) {
            marker.offset = pos + at;
            return marker;
        }
        if (piece.last)
            return {};
        pos += limit;
    }
}

QByteArray EmbeddedNotes::noteBytes(const Marker &begin, qint64 &after)
{
    const QByteArrayView end = endMarker(begin.encoding);
    QByteArray note;
    qint64 pos = begin.offset;
    qsizetype from = beginMarker(begin.encoding).size();
    for (;;) {
        const Piece piece = pieceAt(pos);
        const QByteArrayView bytes = piece.bytes;
        const qsizetype limit = piece.last ? bytes.size() : bytes.size() - Overlap;
        Encoding ignored{};
        const qsizetype nextBegin = firstBegin(bytes, from, limit, ignored);
        // An END marker counts before the next BEGIN marker only, which it cannot overlap.
        const qsizetype endLimit = nextBegin >= 0 ? nextBegin : limit;
        qsizetype endAt =
            bytes.first(std::min(bytes.size(), endLimit + end.size())).indexOf(end, from);
        if (endAt >= endLimit)
            endAt = -1;
        qsizetype stop = -1;
        if (endAt >= 0)
            stop = endAt + end.size();
        else if (nextBegin >= 0) // cut off by the next note
            stop = nextBegin;
        else if (piece.last)
            stop = bytes.size();
        // A note too large for a note file is cut off where a note file would be refused.
        const qsizetype room = TextFileReader::MaxFileSize - note.size();
        if (stop < 0 && limit > room)
            stop = room;
        if (stop >= 0) {
            stop = std::min(stop, room);
            note.append(bytes.first(stop));
            after = pos + std::max(stop, from);
            return note;
        }
        note.append(bytes.first(limit));
        pos += limit;
        from = 0;
    }
}

QByteArray EmbeddedNotes::noteFile(const Marker &begin, qint64 &after)
{
    QByteArray bytes = noteBytes(begin, after);
    if (begin.encoding == Encoding::EightBit)
        return bytes;
    bytes.truncate(bytes.size() & ~qsizetype(1));
    // The byte-order mark makes the note's file be read as UTF-16 (see NoteBytes).
    bytes.prepend(begin.encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF");
    return bytes;
}

bool EmbeddedNotes::next(NoteView &note)
{
    Marker begin = findBegin(m_next);
    if (begin.offset < 0)
        return false;
    QByteArray file = noteFile(begin, m_next);
    if (begin.encoding == Encoding::Utf16Be) {
        // The marker may be an LE one that starts a byte on: the note tells which.
        const Marker le{begin.offset + 1, Encoding::Utf16Le};
        if (pieceAt(begin.offset).bytes.sliced(1).startsWith(BeginLe)) {
            qint64 leAfter = 0;
            QByteArray leFile = noteFile(le, leAfter);
            if (plausibility(QByteArrayView(leFile).sliced(2), QStringDecoder::Utf16LE) >
                plausibility(QByteArrayView(file).sliced(2), QStringDecoder::Utf16BE)) {
                file = std::move(leFile);
                m_next = leAfter;
            }
        }
    }
    NoMessages messages;
    LenientNotes notes(file, m_display, messages);
    note = NoteView();
    notes.next(note);
    return true;
}
