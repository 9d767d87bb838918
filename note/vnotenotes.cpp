// SPDX-License-Identifier: GPL-3.0-or-later
#include "vnotenotes.h"

ContentLineReader *VNoteNotes::next()
{
    if (m_reader) {
        for (ContentLine line; m_reader->next(line);) {
        }
        switch (m_reader->endMarker()) {
        case MarkerLine::Begin:
            m_next = m_reader->afterEnd();
            break;
        case MarkerLine::End:
            m_next = NextNoteStart(QByteArrayView(m_reader->afterEnd(), m_end), m_lineEnds);
            break;
        case MarkerLine::None:
            m_next = nullptr;
            break;
        }
        m_reader.reset();
    }
    if (m_next == nullptr)
        return nullptr;
    return &m_reader.emplace(QByteArrayView(m_next, m_end), m_lineEnds);
}

qsizetype CountNotes(QByteArrayView bytes, const VNoteFile &file)
{
    const char *const end = bytes.data() + bytes.size();
    qsizetype count = 0;
    for (const char *note = file.firstNote; note != nullptr;
         note = NextNoteStart(QByteArrayView(note, end), file.lineEnds))
        ++count;
    return count;
}

void ForEachNote(QByteArrayView bytes, const VNoteFile &file,
                 const std::function<void(ContentLineReader &)> &read)
{
    VNoteNotes notes(bytes, file);
    while (ContentLineReader *reader = notes.next())
        read(*reader);
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
