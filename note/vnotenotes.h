// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contentline.h"
#include "vnoteblocks.h"

#include <QByteArrayView>
#include <QList>

#include <functional>
#include <optional>

// The notes of a file that starts with a BEGIN marker (see CheckVNoteMarkers), one at a time, in
// file order. A note ends at the marker line after it, found as its lines are read, so that the
// file is gone over once; whatever a note's reader leaves unread is passed over when the next
// note is asked for.
class VNoteNotes
{
public:
    VNoteNotes(QByteArrayView bytes, const VNoteFile &file)
        : m_next(file.firstNote), m_end(bytes.data() + bytes.size()), m_lineEnds(file.lineEnds)
    {
    }

    // A reader of the next note, valid until the next call; nullptr once there is none.
    ContentLineReader *next();

private:
    const char *m_next;
    const char *m_end;
    LineEnds m_lineEnds;
    std::optional<ContentLineReader> m_reader;
};

// How many notes VNoteNotes gives for the file: one for each BEGIN marker line, since any marker
// line ends a note. Only the lines that can be markers are looked at, so that this costs a small
// part of reading the notes.
qsizetype CountNotes(QByteArrayView bytes, const VNoteFile &file);

// Calls `read` with a reader of each note of the file, as VNoteNotes gives them.
void ForEachNote(QByteArrayView bytes, const VNoteFile &file,
                 const std::function<void(ContentLineReader &)> &read);

// The lines of every note of the file, from the line after its BEGIN marker to the start of the
// marker line that ends it (or to the end of the file); none when the file does not start with a
// BEGIN marker.
QList<QByteArrayView> FindNoteLines(QByteArrayView bytes);
