// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "messagesink.h"
#include "noteview.h"
#include "textfilereader.h"

#include <QByteArrayView>
#include <QString>

// The messages shown for a file that lacks a marker line.
QString beginMarkerMissingMessage();
QString endMarkerMissingMessage();

// Checks a note's text for its "BEGIN:VNOTE" and "END:VNOTE" lines and writes the version, the
// two stamps and the decoded body into `view` as it meets them; the title is left alone.
// Returns false, after reporting the missing marker to `messages` and writing nothing, when a
// marker line is missing. Line ends may be CR LF, LF or CR, mixed. A step that fails is skipped,
// but memory running out ends the parse with std::bad_alloc: the note cannot be shown in full.
bool ParseNote(const QString &text, NoteView &view, const DateDisplay &display,
               MessageSink &messages);

// ParseNote of a note file's bytes, decoded as the reader decodes them (see
// TextFileReader::DecodeText). ASCII bytes, the usual quoted-printable note, are read as they
// are, without being turned into text first. Given `bodyOctets`, the body of such a note is
// left there as the octets that qvUTF8ToUNICODE turns into txtBody, and txtBody stays empty;
// for any other note `bodyOctets` stays null.
bool ParseNoteBytes(QByteArrayView bytes, NoteView &view, const DateDisplay &display,
                    MessageSink &messages, QByteArray *bodyOctets = nullptr);

// ParseNoteBytes of the file at `path`, read by `reader`; throws its QvError when the file
// cannot be read. A large note in ASCII, the usual quoted-printable note, is read a piece at a
// time and never held whole.
struct PieceReading
{
    qint64 from = 4 * 1024 * 1024; // the size from which a file is read in pieces
    qsizetype pieceSize = TextFilePieces::PieceSize;
    // The size of body from which a body kept as octets is decoded in two parts at once.
    qint64 splitFrom = 8 * 1024 * 1024;
};
bool ParseNoteFile(const TextFileReader &reader, const QString &path, NoteView &view,
                   const DateDisplay &display, MessageSink &messages,
                   QByteArray *bodyOctets = nullptr, const PieceReading &pieces = {});
