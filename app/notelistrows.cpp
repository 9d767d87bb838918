// SPDX-License-Identifier: GPL-3.0-or-later
#include "notelistrows.h"

#include "backgroundwork.h"
#include "embeddednotes.h"
#include "lenientreader.h"
#include "notefolder.h"
#include "notetitle.h"
#include "orderedwork.h"
#include "parsenote.h"
#include "qverror.h"
#include "scannedfile.h"
#include "textfilereader.h"

#include <QElapsedTimer>
#include <QThread>

#include <new>
#include <utility>

namespace {

// Often enough to look live, seldom enough that the window is not kept busy with reports.
constexpr qint64 ReportEveryMs = 15;
// About a screenful: the first rows are shown as soon as there are this many.
constexpr qsizetype FirstRows = 64;
// Files done ahead of the one due, at most.
constexpr qsizetype MaxAhead = 256;

class SilentSink : public MessageSink
{
public:
    void showCritical(const QString & /*message*/) override {}
};

NoteRow rowOf(const QString &path, const NoteView &view, const QCollator &collator)
{
    NoteRow row;
    row.path = path;
    row.title = noteTitle(view.txtBody, path);
    row.titleKey = collator.sortKey(row.title);
    row.modified = view.txtDateModified;
    if (view.modifiedUtc.isValid())
        row.modifiedMs = view.modifiedUtc.toMSecsSinceEpoch();
    return row;
}

NoteRow fileRow(const QString &path, RowState state)
{
    NoteRow row;
    row.path = path;
    row.state = state;
    return row;
}

// A row for each note that a file of another kind holds, which is never read whole.
QList<NoteRow> scannedRows(const QString &path, const SearchOptions &options,
                           const QCollator &collator, const std::function<bool()> &cancelled)
{
    EmbeddedNotes notes(path, options.display, TextFileReader::shared().opening());
    notes.setCancelled(cancelled);
    QList<NoteRow> rows;
    for (NoteView view; notes.next(view);) {
        rows.append(rowOf(path, view, collator));
        rows.back().note = int(rows.size() - 1);
    }
    if (rows.isEmpty())
        return {fileRow(path, RowState::NotNote)};
    for (NoteRow &row : rows)
        row.notesInFile = int(rows.size());
    return rows;
}

QList<NoteRow> readRows(const QString &path, const SearchOptions &options,
                        const QCollator &collator, const std::function<bool()> &cancelled)
{
    SilentSink silent;
    if (options.lenient) {
        const LenientFileBytes file = ReadLenientFile(TextFileReader::shared(), path);
        if (file.scanned)
            return scannedRows(path, options, collator, cancelled);
        const LenientReading reading = ReadNotesLenient(file.bytes, options.display, silent);
        if (!reading.accepted)
            return {fileRow(path, RowState::NotNote)};
        QList<NoteRow> rows;
        for (qsizetype i = 0; i < reading.notes.size(); ++i) {
            rows.append(rowOf(path, reading.notes[i], collator));
            rows.back().note = int(i);
            rows.back().notesInFile = int(reading.notes.size());
        }
        if (rows.isEmpty())
            rows.append(rowOf(path, NoteView(), collator));
        return rows;
    }
    const QByteArray bytes = TextFileReader::shared().ReadAllBytes(path);
    NoteView view;
    if (!ParseNote(TextFileReader::DecodeText(bytes), view, options.display, silent))
        return {fileRow(path, RowState::NotNote)};
    NoteRow row = rowOf(path, view, collator);
    // Shown without text though the file holds some: the window points to the lenient reading.
    if (view.txtBody.isEmpty() && HoldsNoteText(bytes))
        row.state = RowState::OtherLayout;
    return {row};
}

} // namespace

QString RowStateText(RowState state)
{
    switch (state) {
    case RowState::NotNote:
        return QStringLiteral("не заметка");
    case RowState::Unreadable:
        return QStringLiteral("не читается");
    case RowState::OtherLayout:
        return QStringLiteral("другой формат");
    case RowState::Note:
        break;
    }
    return {};
}

QList<NoteRow> ReadNoteRows(const QString &path, const SearchOptions &options,
                            const QCollator &collator, const std::function<bool()> &cancelled)
{
    try {
        return readRows(path, options, collator, cancelled);
    } catch (const QvError &) {
    } catch (const std::bad_alloc &) {
    }
    return {fileRow(path, RowState::Unreadable)};
}

void ReadFolderRows(const QStringList &files, const SearchOptions &options,
                    const std::function<bool()> &cancelled,
                    const std::function<void(RowBatch &&)> &report)
{
    OrderedWork<QList<NoteRow>> work(
        files.size(),
        [&](qsizetype i) {
            thread_local const QCollator collator = NaturalCollator();
            return ReadNoteRows(files[i], options, collator, cancelled);
        },
        [](const QList<NoteRow> &rows) { return rows.size(); },
        std::max(1, QThread::idealThreadCount()) - 1, MaxAhead, MaxAhead * 4, LowerThreadPriority);
    RowBatch batch;
    bool reported = false;
    QElapsedTimer sinceReport;
    sinceReport.start();
    for (QList<NoteRow> rows; !cancelled() && work.next(rows);) {
        batch.rows.append(std::move(rows));
        ++batch.files;
        if (sinceReport.elapsed() >= ReportEveryMs ||
            (!reported && batch.rows.size() >= FirstRows)) {
            reported = true;
            report(std::exchange(batch, RowBatch()));
            sinceReport.restart();
        }
    }
    if (!cancelled() && batch.files > 0)
        report(std::move(batch));
}
