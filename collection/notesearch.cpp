// SPDX-License-Identifier: GPL-3.0-or-later
#include "notesearch.h"

#include "lenientreader.h"
#include "notefolder.h"
#include "parsenote.h"
#include "qverror.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

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

QList<NoteView> readNotes(const QString &path, const SearchOptions &options)
{
    SilentSink silent;
    if (options.lenient) {
        LenientReading reading =
            ReadNotesLenient(TextFileReader::shared().ReadAllBytes(path), options.display, silent);
        if (!reading.accepted)
            return {};
        return std::move(reading.notes);
    }
    NoteView view;
    if (!ParseNote(TextFileReader::shared().ReadAllText(path), view, options.display, silent))
        return {};
    return {view};
}

} // namespace

FileFindings SearchNoteFile(const QString &path, const NoteMatcher &matcher,
                            const SearchOptions &options)
{
    FileFindings findings;
    QList<NoteView> notes;
    try {
        notes = readNotes(path, options);
    } catch (const QvError &) {
        return findings;
    } catch (const std::bad_alloc &) {
        return findings;
    }
    // A file the lenient reading accepts holds at least one note; the strict reading's notes
    // come one to a file.
    findings.readable = !notes.isEmpty();
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const std::optional<FieldMatch> match = firstMatch(notes[i], matcher);
        if (!match)
            continue;
        NoteHit hit;
        hit.path = path;
        hit.note = int(i);
        hit.notesInFile = int(notes.size());
        hit.modified = notes[i].txtDateModified;
        hit.field = match->field;
        hit.start = match->start;
        hit.excerpt = MatchExcerpt(*match->text, match->start, matcher.length());
        findings.hits.append(std::move(hit));
    }
    return findings;
}

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
    for (const QString &path : std::as_const(files)) {
        if (cancelled())
            return;
        FileFindings found = SearchNoteFile(path, matcher, options);
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
    if (!cancelled())
        flush();
}

QFuture<SearchBatch> StartFolderSearch(const QString &folder,
                                       const std::optional<QStringList> &notes,
                                       const QString &query, const SearchOptions &options)
{
    return QtConcurrent::run([folder, notes, query, options](QPromise<SearchBatch> &promise) {
        const NoteMatcher matcher(query);
        SearchFolder(
            folder, notes, matcher, options, [&promise] { return promise.isCanceled(); },
            [&promise](SearchBatch &&batch) { promise.addResult(std::move(batch)); });
    });
}
