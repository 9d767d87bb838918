// SPDX-License-Identifier: GPL-3.0-or-later
// The lenient reading on any bytes: a clear result within the time limit, the begin marker's
// message as the strict reading words it, the notes' lines as a line-by-line reference finds
// them, the notes cut off as it finds them, the count from the marker lines alone agreeing,
// HoldsNoteText agreeing with the bodies read; and for a note in the strict layout, the same fields
// as ParseNote.

#include "calendarnotes.h"
#include "fuzzcheck.h"
#include "fuzznotes.h"
#include "gammunotes.h"
#include "lenientreader.h"
#include "notebytes.h"
#include "parsenote.h"
#include "reference.h"
#include "strictlayout.h"
#include "textfilereader.h"
#include "vnotenotes.h"

#include <QStringList>

namespace {

bool hasText(const QString &body)
{
    return std::any_of(body.begin(), body.end(), [](QChar c) { return !c.isSpace(); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const DateDisplay longDates = fuzzcheck::berlinDisplay(false);
    static const DateDisplay shortDates = fuzzcheck::berlinDisplay(true);
    const DateDisplay &dates = size % 2 == 0 ? longDates : shortDates;

    LenientReading reading;
    fuzzcheck::RecordingSink sink;
    bool holdsText = false;
    // Each reading has the time limit to itself: the viewer calls one or the other.
    fuzzcheck::withinTime(size, [&] {
        sink.messages.clear();
        reading = ReadNotesLenient(bytes, dates, sink);
    });
    fuzzcheck::withinTime(size, [&] { holdsText = HoldsNoteText(bytes); });

    // Calendar files and Gammu backups have readers of their own: a file with a note is accepted
    // without a message, one without is not, with its own; the count agrees.
    const NoteBytes plain(bytes);
    if (isCalendarFile(plain.bytes()) || isGammuBackup(plain.bytes())) {
        const QStringList expected =
            reading.notes.isEmpty() ? QStringList{noNotesMessage({})} : QStringList();
        if (reading.accepted == reading.notes.isEmpty() || sink.messages != expected)
            fuzzcheck::fail("a calendar or backup's message against its notes",
                            sink.messages.join(u'|'));
        fuzzcheck::RecordingSink unused;
        if (LenientNotes(bytes, dates, unused).count() != reading.notes.size())
            fuzzcheck::fail("a calendar or backup's count against its notes");
        return 0;
    }
    if (reading.accepted) {
        if (!sink.messages.isEmpty())
            fuzzcheck::fail("a message for an accepted file", sink.messages.join(u'|'));
        if (reading.notes.isEmpty())
            fuzzcheck::fail("an accepted file without notes");
    } else {
        if (sink.messages != QStringList{beginMarkerMissingMessage()})
            fuzzcheck::fail("not the begin marker's message for a rejected file",
                            sink.messages.join(u'|'));
        if (!reading.notes.isEmpty())
            fuzzcheck::fail("notes from a rejected file");
    }
    const VNoteFile file = CheckVNoteMarkers(plain.bytes());
    const QList<QByteArrayView> notes = FindNoteLines(plain.bytes());
    const ReferenceNotes expectedNotes = referenceNoteLines(plain.bytes());
    if (file.problem != expectedNotes.problem || file.lineEnds != expectedNotes.lineEnds ||
        notes.size() != expectedNotes.notes.size())
        fuzzcheck::fail("notes against the line-by-line reference",
                        QStringLiteral("%1 notes, %2 expected")
                            .arg(notes.size())
                            .arg(expectedNotes.notes.size()));
    for (qsizetype i = 0; i < notes.size(); ++i) {
        if (notes[i].data() != expectedNotes.notes[i].data() ||
            notes[i].size() != expectedNotes.notes[i].size())
            fuzzcheck::fail("a note's lines against the line-by-line reference",
                            QString::number(i));
    }
    if (reading.accepted != (file.problem != VNoteFile::Problem::BeginMissing) ||
        reading.notes.size() != notes.size())
        fuzzcheck::fail("notes read against the notes found");
    for (qsizetype i = 0; i < reading.notes.size(); ++i) {
        const QString notice = expectedNotes.cutOff[i] ? cutOffNoteMessage() : QString();
        fuzzcheck::expectEqual(reading.notes[i].notice, notice, "a note's notice");
    }
    if (reading.accepted && CountNotes(plain.bytes(), file) != notes.size())
        fuzzcheck::fail("notes counted from the markers against the notes found");

    const bool bodyWithText =
        std::any_of(reading.notes.begin(), reading.notes.end(),
                    [](const NoteView &note) { return hasText(note.txtBody); });
    if (holdsText != bodyWithText)
        fuzzcheck::fail("HoldsNoteText against the bodies read");

    // The strict reading's UTF-8 decoding drops a second byte-order mark after the first.
    if (plain.bytes().startsWith("\xEF\xBB\xBF"))
        return 0;
    const QString text = TextFileReader::DecodeText(bytes);
    if (!isInStrictLayout(text))
        return 0;
    NoteView strict;
    fuzzcheck::RecordingSink strictSink;
    if (!ParseNote(text, strict, dates, strictSink))
        fuzzcheck::fail("the strict layout check let a rejected note through");
    if (!reading.accepted || reading.notes.size() != 1)
        fuzzcheck::fail("a note in the strict layout not read as one note",
                        QString::number(reading.notes.size()));
    const NoteView &lenient = reading.notes.first();
    fuzzcheck::expectEqual(lenient.title, NoteView::emptyTitle(), "title");
    fuzzcheck::expectEqual(lenient.txtVersion, strict.txtVersion, "txtVersion");
    fuzzcheck::expectEqual(lenient.txtDateCreated, strict.txtDateCreated, "txtDateCreated");
    fuzzcheck::expectEqual(lenient.txtDateModified, strict.txtDateModified, "txtDateModified");
    fuzzcheck::expectEqual(lenient.txtBody, strict.txtBody, "txtBody");
    return 0;
}
