// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plain, step-by-step implementations of the note reading, written for clarity rather than
// speed: copies, whole-text replacements and splits. The fuzzers hold the fast code to them.

#include "formatstamp.h"
#include "noteview.h"
#include "vnoteblocks.h"

#include <QByteArray>
#include <QString>

// The body decoding: split at "=", octets from the elements, literal text as UTF-8.
QString referenceDecodeBody(const QString &body);

// The note parser. Returns the message it would show for a rejected note, or a null text when
// the note is accepted; `view` is written only for an accepted note.
QString referenceParseNote(const QString &text, NoteView &view, const DateDisplay &display);

// Bytes to text by their byte-order mark, through Qt's own decoders.
QString referenceDecodeText(const QByteArray &bytes);

// The notes of a note file's bytes (after their byte-order mark), found line by line: every line
// split off and classified, then each note's lines taken between the marker lines in order, the
// last one to the end of the bytes when no END line closes it.
struct ReferenceNotes
{
    VNoteFile::Problem problem = VNoteFile::Problem::None;
    LineEnds lineEnds = LineEnds::LineFeed;
    QList<QByteArrayView> notes;
    QList<bool> cutOff; // for each note, whether something other than its END line ends it
};
ReferenceNotes referenceNoteLines(QByteArrayView bytes);
