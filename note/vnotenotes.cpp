// SPDX-License-Identifier: GPL-3.0-or-later
#include "vnotenotes.h"

void ForEachNote(QByteArrayView bytes, const VNoteFile &file,
                 const std::function<void(ContentLineReader &)> &read)
{
    const char *const end = bytes.data() + bytes.size();
    for (const char *note = file.firstNote; note != nullptr;) {
        ContentLineReader reader(QByteArrayView(note, end), file.lineEnds);
        read(reader);
        for (ContentLine line; reader.next(line);) {
        }
        switch (reader.endMarker()) {
        case MarkerLine::Begin:
            note = reader.afterEnd();
            break;
        case MarkerLine::End:
            note = NextNoteStart(QByteArrayView(reader.afterEnd(), end), file.lineEnds);
            break;
        case MarkerLine::None:
            note = nullptr;
            break;
        }
    }
}

QList<QByteArrayView> FindNoteLines(QByteArrayView bytes)
{
    QList<QByteArrayView> notes;
    ForEachNote(bytes, CheckVNoteMarkers(bytes), [&](ContentLineReader &reader) {
        for (ContentLine line; reader.next(line);) {
        }
        notes.append(reader.noteLines());
    });
    return notes;
}
