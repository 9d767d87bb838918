// The lenient reading on any bytes: a clear result within the time limit, the marker messages as
// the strict reading words them, the VNOTE blocks as a line-by-line reference finds them,
// HoldsNoteText agreeing with the bodies read; and for a note in the strict layout, the same
// fields as ParseNote.

#include "fuzzcheck.h"
#include "fuzznotes.h"
#include "lenientreader.h"
#include "notebytes.h"
#include "parsenote.h"
#include "reference.h"
#include "strictlayout.h"
#include "textfilereader.h"
#include "vnoteblocks.h"

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
    fuzzcheck::withinTime([&] {
        sink.messages.clear();
        reading = ReadNotesLenient(bytes, dates, sink);
        holdsText = HoldsNoteText(bytes);
    });

    if (reading.accepted) {
        if (!sink.messages.isEmpty())
            fuzzcheck::fail("a message for an accepted file", sink.messages.join(u'|'));
        if (reading.notes.isEmpty())
            fuzzcheck::fail("an accepted file without notes");
    } else {
        const QStringList begin{beginMarkerMissingMessage()};
        const QStringList end{endMarkerMissingMessage()};
        if (sink.messages != begin && sink.messages != end)
            fuzzcheck::fail("not one marker message for a rejected file", sink.messages.join(u'|'));
        if (!reading.notes.isEmpty())
            fuzzcheck::fail("notes from a rejected file");
    }
    const NoteBytes plain(bytes);
    const VNoteBlocks blocks = FindVNoteBlocks(plain.bytes());
    const VNoteBlocks expectedBlocks = referenceVNoteBlocks(plain.bytes());
    if (blocks.problem != expectedBlocks.problem || blocks.lineEnds != expectedBlocks.lineEnds ||
        blocks.notes.size() != expectedBlocks.notes.size())
        fuzzcheck::fail("VNOTE blocks against the line-by-line reference");
    for (qsizetype i = 0; i < blocks.notes.size(); ++i) {
        if (blocks.notes[i].data() != expectedBlocks.notes[i].data() ||
            blocks.notes[i].size() != expectedBlocks.notes[i].size())
            fuzzcheck::fail("a VNOTE block against the line-by-line reference");
    }
    if (reading.accepted != (blocks.problem == VNoteBlocks::Problem::None) ||
        reading.notes.size() != blocks.notes.size())
        fuzzcheck::fail("notes read against the blocks found");

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
