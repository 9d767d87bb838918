// SPDX-License-Identifier: GPL-3.0-or-later
#include "notesearch.h"

#include "backgroundwork.h"
#include "lenientreader.h"
#include "notefolder.h"
#include "parsenote.h"
#include "qverror.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

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

namespace {

// Files are searched in runs of a few, claimed in order by whichever thread is free.
constexpr qsizetype FilesPerClaim = 16;

// What the threads of one search share: the files, and each one's findings once it is searched.
class SharedWalk
{
public:
    explicit SharedWalk(const QStringList &files, const NoteMatcher &matcher,
                        const SearchOptions &options)
        : m_files(files), m_matcher(matcher), m_options(options), m_slots(files.size())
    {
    }

    // Searches the next unclaimed run of files; false once none is left or the walk stops.
    bool searchNextRun()
    {
        const qsizetype first = m_next.fetch_add(FilesPerClaim);
        if (first >= m_files.size())
            return false;
        const qsizetype end = std::min(m_files.size(), first + FilesPerClaim);
        for (qsizetype i = first; i < end; ++i) {
            if (!m_stopped.load(std::memory_order_relaxed))
                m_slots[i].found = SearchNoteFile(m_files[i], m_matcher, m_options);
            m_slots[i].done.store(true, std::memory_order_release);
            m_slots[i].done.notify_one();
        }
        return !m_stopped.load(std::memory_order_relaxed);
    }

    // The findings of file `index`, once searched: helping with the search while they are not.
    FileFindings take(qsizetype index)
    {
        while (!m_slots[index].done.load(std::memory_order_acquire)) {
            if (!searchNextRun())
                m_slots[index].done.wait(false, std::memory_order_acquire);
        }
        return std::move(m_slots[index].found);
    }

    void stop() { m_stopped.store(true, std::memory_order_relaxed); }

    // A helper searches runs until none is left, then leaves the walk.
    void help()
    {
        while (searchNextRun()) {
        }
        m_helpersLeft.fetch_add(1, std::memory_order_release);
    }
    // Called once the helpers' futures have ended. Reading the count orders each helper's last
    // touch of the walk before the walk goes, in a way a thread sanitizer sees too: it does not
    // see the locks inside Qt that a future ends with.
    void joinHelpers() const { m_helpersLeft.load(std::memory_order_acquire); }

private:
    struct Slot
    {
        FileFindings found;
        std::atomic<bool> done{false};
    };
    const QStringList &m_files;
    const NoteMatcher &m_matcher;
    const SearchOptions &m_options;
    std::vector<Slot> m_slots;
    std::atomic<qsizetype> m_next{0};
    std::atomic<bool> m_stopped{false};
    std::atomic<int> m_helpersLeft{0};
};

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

    // Reading and parsing the notes takes the time: other cores help, and the findings are
    // reported here, in the folder's order.
    SharedWalk walk(files, matcher, options);
    QList<QFuture<void>> helpers;
    // Helpers that the pool cannot start at once are started by waitForFinished below, where
    // they find nothing left to do.
    const int helperCount = std::max(1, QThread::idealThreadCount()) - 1;
    for (int i = 0; i < helperCount && files.size() > FilesPerClaim; ++i)
        helpers.append(RunInBackground<void>([&walk](QFutureInterface<void> &) { walk.help(); }));

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
        FileFindings found = walk.take(i);
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
    walk.stop();
    for (QFuture<void> &helper : helpers)
        helper.waitForFinished();
    walk.joinHelpers();
    if (!stopped && !cancelled())
        flush();
}

QFuture<SearchBatch> StartFolderSearch(const QString &folder,
                                       const std::optional<QStringList> &notes,
                                       const QString &query, const SearchOptions &options)
{
    return RunInBackground<SearchBatch>(
        [folder, notes, query, options](QFutureInterface<SearchBatch> &future) {
            const NoteMatcher matcher(query);
            SearchFolder(
                folder, notes, matcher, options, [&future] { return future.isCanceled(); },
                [&future](SearchBatch &&batch) { future.reportAndMoveResult(std::move(batch)); });
        });
}
