// SPDX-License-Identifier: GPL-3.0-or-later
#include "notesearch.h"

#include "backgroundwork.h"
#include "embeddednotes.h"
#include "lenientreader.h"
#include "notefolder.h"
#include "orderedwork.h"
#include "parsenote.h"
#include "qverror.h"
#include "scannedfile.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <new>

namespace {

// Often enough to look live, seldom enough that the window is not kept busy with reports.
constexpr qint64 ReportEveryMs = 15;

// A rejected note is only counted: a search shows no box per file.
class SilentSink : public MessageSink
{
public:
    void showCritical(const QString & /*message*/) override {}
};

struct FieldMatch
{
    NoteField field;
    const QString *text;
    qsizetype start;
};

std::optional<FieldMatch> firstMatch(const NoteView &view, const NoteMatcher &matcher)
{
    const std::initializer_list<std::pair<NoteField, const QString *>> fields{
        {NoteField::Body, &view.txtBody},
        {NoteField::Version, &view.txtVersion},
        {NoteField::Created, &view.txtDateCreated},
        {NoteField::Modified, &view.txtDateModified}};
    for (const auto &[field, text] : fields) {
        const qsizetype start = matcher.indexIn(*text);
        if (start >= 0)
            return FieldMatch{field, text, start};
    }
    return std::nullopt;
}

// A file's notes as the window would show them, and whether they are the lenient reading's of a
// file whose one strict note shows no text.
struct ReadNotes
{
    QList<NoteView> notes;
    bool otherLayout = false;
};

ReadNotes readNotes(const QString &path, const SearchOptions &options,
                    const std::function<bool()> &cancelled)
{
    SilentSink silent;
    ReadNotes read;
    if (options.lenient) {
        LenientFileBytes file = ReadLenientFile(TextFileReader::shared(), path);
        if (file.scanned) {
            // A phone's backup, of any size: the notes found among its bytes.
            EmbeddedNotes embedded(path, options.display, TextFileReader::shared().opening());
            embedded.setCancelled(cancelled);
            for (NoteView note; embedded.next(note);)
                read.notes.append(std::move(note));
            return read;
        }
        LenientReading reading = ReadNotesLenient(file.bytes, options.display, silent);
        if (reading.accepted)
            read.notes = std::move(reading.notes);
        return read;
    }
    const QByteArray bytes = TextFileReader::shared().ReadAllBytes(path);
    NoteView view;
    if (!ParseNote(TextFileReader::DecodeText(bytes), view, options.display, silent))
        return read;
    if (view.txtBody.isEmpty() && HoldsNoteText(bytes)) {
        LenientReading reading = ReadNotesLenient(bytes, options.display, silent);
        if (!reading.notes.isEmpty()) {
            read.notes = std::move(reading.notes);
            read.otherLayout = true;
            return read;
        }
    }
    read.notes.append(std::move(view));
    return read;
}

} // namespace

bool operator==(const SearchOptions &a, const SearchOptions &b)
{
    return a.lenient == b.lenient && a.display.shortDate == b.display.shortDate &&
           a.display.locale == b.display.locale && a.display.zone == b.display.zone;
}

FileFindings SearchNoteFile(const QString &path, const NoteMatcher &matcher,
                            const SearchOptions &options, const std::function<bool()> &cancelled)
{
    FileFindings findings;
    ReadNotes read;
    try {
        read = readNotes(path, options, cancelled);
    } catch (const QvError &) {
        return findings;
    } catch (const std::bad_alloc &) {
        return findings;
    }
    // A file the lenient reading accepts holds at least one note; the strict reading's notes
    // come one to a file.
    findings.readable = !read.notes.isEmpty();
    for (qsizetype i = 0; i < read.notes.size(); ++i) {
        const std::optional<FieldMatch> match = firstMatch(read.notes[i], matcher);
        if (!match)
            continue;
        NoteHit hit;
        hit.path = path;
        hit.note = read.otherLayout ? 0 : int(i);
        hit.notesInFile = read.otherLayout ? 1 : int(read.notes.size());
        hit.modified = read.notes[i].txtDateModified;
        hit.field = match->field;
        hit.start = match->start;
        Excerpt excerpt = ExcerptAround(*match->text, match->start, matcher.length());
        hit.excerpt = std::move(excerpt.text);
        hit.excerptStart = excerpt.matchStart;
        hit.excerptLength = excerpt.matchLength;
        hit.otherLayout = read.otherLayout;
        findings.hits.append(std::move(hit));
        // The one strict note is listed once, whichever of the other layout's notes matched.
        if (read.otherLayout)
            break;
    }
    return findings;
}

namespace {

// Findings done ahead of the one due, at most.
constexpr qsizetype MaxAhead = 128;

} // namespace

void SearchFolder(const QString &folder, const std::optional<QStringList> &notes,
                  const NoteMatcher &matcher, const SearchOptions &options,
                  const std::function<bool()> &cancelled,
                  const std::function<void(SearchBatch &&)> &report)
{
    QStringList files;
    if (notes) {
        files = *notes;
    } else {
        try {
            files = listFolder(folder).notes;
        } catch (const QvError &error) {
            SearchBatch failed;
            failed.total = 0;
            failed.failure = error.description();
            report(std::move(failed));
            return;
        }
    }

    // Reading and parsing the notes takes the time: every core helps, and the findings are
    // reported here, in the folder's order.
    OrderedWork<FileFindings> work(
        // at(): `files` may share its list with `notes`, and [] would detach it on every thread.
        files.size(),
        [&](qsizetype i) { return SearchNoteFile(files.at(i), matcher, options, cancelled); },
        [](const FileFindings &) { return qsizetype(1); },
        std::max(1, QThread::idealThreadCount()) - 1, MaxAhead, MaxAhead, LowerThreadPriority);

    SearchBatch batch;
    batch.total = files.size();
    bool reportedHit = false;
    QElapsedTimer sinceReport;
    sinceReport.start();
    const auto flush = [&] {
        report(std::move(batch));
        batch = SearchBatch();
        sinceReport.restart();
    };
    bool stopped = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (cancelled()) {
            stopped = true;
            break;
        }
        FileFindings found;
        work.next(found);
        ++batch.searched;
        if (!found.readable)
            ++batch.skipped;
        batch.hits.append(std::move(found.hits));
        // The first match is shown at once: that is what the user waits for.
        const bool firstHit = !reportedHit && !batch.hits.isEmpty();
        if (firstHit || sinceReport.elapsed() >= ReportEveryMs) {
            reportedHit = reportedHit || firstHit;
            flush();
        }
    }
    if (!stopped && !cancelled())
        flush();
}
