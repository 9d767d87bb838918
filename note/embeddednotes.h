// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "noteview.h"
#include "textfilereader.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The vNotes that a file of another kind holds among its bytes (a phone's backup, an archive),
// in 8-bit text or in UTF-16 of either byte order, told by how their BEGIN marker is written.
// The file is read a piece at a time and never whole, so that memory stays flat however large it
// is, and no cap on its size applies; a note itself is read up to TextFileReader::MaxFileSize.
// Each note runs from its BEGIN marker to the END marker written the same way; one that the
// next BEGIN marker or the end of the file cuts off keeps what it has, as in a note file. Read
// failures are thrown as QvError, as TextFilePieces throws them.
class EmbeddedNotes
{
public:
    EmbeddedNotes(const QString &path, const DateDisplay &display,
                  TextFileReader::Opening opening = TextFileReader::Opening::LookFirst,
                  qsizetype pieceSize = TextFilePieces::PieceSize);

    // How many BEGIN markers the file holds: a first pass that only counts them.
    qsizetype count();
    // The next note, read as a .vnt file holding it alone would be; false once there is none.
    bool next(NoteView &note);
    // Asked before each piece that the search for a note reads: once it says so, there is no
    // next note, and the count stops where it is. A cancelled scan of a large file with no more
    // notes then stops within a piece rather than at the file's end.
    void setCancelled(std::function<bool()> cancelled) { m_cancelled = std::move(cancelled); }

    // The ways a marker is written.
    enum class Encoding { EightBit, Utf16Le, Utf16Be };

private:
    struct Marker
    {
        qint64 offset = -1;
        Encoding encoding = Encoding::EightBit;
    };
    struct Piece
    {
        QByteArrayView bytes;
        bool last = false; // the file ends with it
    };
    [[nodiscard]] bool isCancelled() const;
    // The file's bytes from `pos` on, as far as they are at hand: a piece.
    Piece pieceAt(qint64 pos);
    // The first BEGIN marker at or after `from`, in any encoding; offset -1 when none.
    Marker findBegin(qint64 from);
    // The note's bytes from its marker to the end of its END marker, or to where it is cut off;
    // `after` is set to where the search for the next note goes on.
    QByteArray noteBytes(const Marker &begin, qint64 &after);
    // The bytes of the note at `begin`, as a note file holding it alone: UTF-16 with its
    // byte-order mark.
    QByteArray noteFile(const Marker &begin, qint64 &after);

    TextFileReader m_reader;
    TextFilePieces m_file;
    DateDisplay m_display;
    qsizetype m_pieceSize;
    std::optional<qsizetype> m_count;
    qint64 m_next = 0;
    QByteArray m_buffer;
    qint64 m_piecePos = -1; // where the piece in m_buffer starts in the file
    qsizetype m_pieceBytes = 0;
    bool m_pieceLast = false;
    std::function<bool()> m_cancelled;
};
