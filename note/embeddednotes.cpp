// SPDX-License-Identifier: GPL-3.0-or-later
#include "embeddednotes.h"

#include "lenientreader.h"
#include "messagesink.h"

#include <QByteArrayMatcher>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <limits>

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

constexpr std::array Encodings{Encoding::EightBit, Encoding::Utf16Le, Encoding::Utf16Be};

// The first BEGIN marker of any encoding that starts in [from, limit) of `piece`; -1 when none.
qsizetype firstBegin(QByteArrayView piece, qsizetype from, qsizetype limit, Encoding &encoding)
{
    qsizetype first = -1;
    for (const Encoding candidate : Encodings) {
        const qsizetype at = piece.indexOf(beginMarker(candidate), from);
        if (at >= 0 && at < limit && (first < 0 || at < first)) {
            first = at;
            encoding = candidate;
        }
    }
    return first;
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
    m_buffer.resize(m_pieceSize);
    for (qint64 pos = 0;;) {
        const QByteArrayView piece = m_file.readAt(pos, m_buffer);
        const bool last = piece.size() < m_buffer.size();
        const qsizetype limit = last ? piece.size() : piece.size() - Overlap;
        for (const Encoding encoding : Encodings) {
            const QByteArrayView marker = beginMarker(encoding);
            for (qsizetype at = piece.indexOf(marker); at >= 0 && at < limit;
                 at = piece.indexOf(marker, at + 1)) {
                if (encoding != Encoding::Utf16Be || !isTwin(piece, at))
                    ++count;
            }
        }
        if (last)
            break;
        pos += limit;
    }
    m_count = count;
    return count;
}

EmbeddedNotes::Marker EmbeddedNotes::findBegin(qint64 from)
{
    m_buffer.resize(m_pieceSize);
    for (qint64 pos = from;;) {
        const QByteArrayView piece = m_file.readAt(pos, m_buffer);
        const bool last = piece.size() < m_buffer.size();
        const qsizetype limit = last ? piece.size() : piece.size() - Overlap;
        Marker marker;
        const qsizetype at = firstBegin(piece, 0, limit, marker.encoding);
        if (at >= 0) {
            marker.offset = pos + at;
            return marker;
        }
        if (last)
            return {};
        pos += limit;
    }
}

QByteArray EmbeddedNotes::noteBytes(const Marker &begin, qint64 &after)
{
    const QByteArrayView end = endMarker(begin.encoding);
    QByteArray note;
    m_buffer.resize(m_pieceSize);
    qint64 pos = begin.offset;
    qsizetype from = beginMarker(begin.encoding).size();
    for (;;) {
        const QByteArrayView piece = m_file.readAt(pos, m_buffer);
        const bool last = piece.size() < m_buffer.size();
        const qsizetype limit = last ? piece.size() : piece.size() - Overlap;
        qsizetype endAt = piece.indexOf(end, from);
        if (endAt >= limit)
            endAt = -1;
        Encoding ignored{};
        const qsizetype nextBegin = firstBegin(piece, from, limit, ignored);
        qsizetype stop = -1;
        if (endAt >= 0 && (nextBegin < 0 || endAt < nextBegin))
            stop = endAt + end.size();
        else if (nextBegin >= 0) // cut off by the next note
            stop = nextBegin;
        else if (last)
            stop = piece.size();
        // A note too large for a note file is cut off where a note file would be refused.
        const qsizetype room = TextFileReader::MaxFileSize - note.size();
        if (stop < 0 && limit > room)
            stop = room;
        if (stop >= 0) {
            stop = std::min(stop, room);
            note.append(piece.first(stop));
            after = pos + std::max(stop, from);
            return note;
        }
        note.append(piece.first(limit));
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
        m_buffer.resize(Overlap);
        const QByteArrayView head = m_file.readAt(begin.offset, m_buffer);
        if (head.sliced(1).startsWith(BeginLe)) {
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
