// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteexport.h"

#include "lenientreader.h"
#include "messagesink.h"
#include "parsenote.h"
#include "qvutf8.h"
#include "textfilereader.h"

#include <new>

namespace {

class RecordingSink : public MessageSink
{
public:
    void showCritical(const QString &message) override { text = message; }
    QString text;
};

ExportedNote readAndParse(const QString &path, const DateDisplay &display, bool bodyOctets,
                          const TextFileReader &reader)
{
    ExportedNote note;
    note.file = path;
    RecordingSink messages;
    try {
        note.accepted = ParseNoteFile(reader, path, note.view, display, messages,
                                      bodyOctets ? &note.bodyOctets : nullptr);
    } catch (const QvError &failure) {
        return unreadableNote(path, failure);
    }
    if (note.accepted)
        note.view.title = NoteView::titleFor(path);
    else
        note.view = NoteView(); // a rejected note shows nothing
    note.error = messages.text;
    return note;
}

QList<ExportedNote> readLeniently(const QString &path, const DateDisplay &display,
                                  const TextFileReader &reader)
{
    QByteArray bytes;
    try {
        bytes = reader.ReadAllBytes(path);
    } catch (const QvError &failure) {
        return {unreadableNote(path, failure)};
    }
    RecordingSink messages;
    LenientReading reading = ReadNotesLenient(bytes, display, messages);
    bytes = QByteArray(); // let go of the file before the notes are formatted
    if (!reading.accepted || reading.notes.isEmpty()) {
        ExportedNote note;
        note.file = path;
        note.accepted = reading.accepted;
        if (note.accepted)
            note.view.title = NoteView::titleFor(path);
        note.error = messages.text;
        return {note};
    }
    QList<ExportedNote> notes;
    notes.reserve(reading.notes.size());
    const auto count = int(reading.notes.size());
    for (int i = 0; i < count; ++i) {
        ExportedNote note;
        note.file = path;
        note.index = i + 1;
        note.count = count;
        note.accepted = true;
        note.view = std::move(reading.notes[i]);
        note.view.title = NoteView::titleFor(path);
        if (count > 1)
            note.view.title += QStringLiteral(" (%1/%2)").arg(note.index).arg(count);
        notes.append(std::move(note));
    }
    return notes;
}

} // namespace

QString readFailureMessage(const QString &path)
{
    return path + QStringLiteral("\n\nНе удалось прочесть файл.");
}

ExportedNote unreadableNote(const QString &path, const QvError &failure)
{
    ExportedNote note;
    note.file = path;
    note.error = readFailureMessage(path);
    note.readFailure = failure.description();
    return note;
}

ExportedNote exportNote(const QString &path, const DateDisplay &display, bool bodyOctets,
                        const TextFileReader &reader)
{
    try {
        return readAndParse(path, display, bodyOctets, reader);
    } catch (const std::bad_alloc &) {
        return unreadableNote(path, TextFileReader::outOfMemory());
    }
}

QString bodyText(const ExportedNote &note)
{
    return note.bodyOctets.isNull() ? note.view.txtBody : qvUTF8ToUNICODE(note.bodyOctets);
}

QList<ExportedNote> exportNotesLenient(const QString &path, const DateDisplay &display,
                                       const TextFileReader &reader)
{
    try {
        return readLeniently(path, display, reader);
    } catch (const std::bad_alloc &) {
        return {unreadableNote(path, TextFileReader::outOfMemory())};
    }
}
