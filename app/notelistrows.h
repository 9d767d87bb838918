// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notesearch.h"

#include <QCollator>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>

// What a row of the note list stands for: a note, or a file that shows none, and why.
enum class RowState { Note, NotNote, Unreadable, OtherLayout };

// Why a file shows no note, as the list and the status bar say it: "не заметка", "не читается",
// "другой формат"; empty for a note.
QString RowStateText(RowState state);

// One row of the note list: a note of a file (or the file, when it shows no note), with what the
// list shows of it.
struct NoteRow
{
    QString path;
    int note = 0;        // its place in its file, from 0
    int notesInFile = 1; // more than one only in a lenient reading
    RowState state = RowState::Note;
    QString title;    // by the export's title rule
    QString modified; // as the window shows it
    // The LAST-MODIFIED moment in UTC, for sorting; the least value when the note has none.
    qint64 modifiedMs = std::numeric_limits<qint64>::min();
    // The title's collation key, for sorting by title without comparing texts each time.
    std::optional<QCollatorSortKey> titleKey;
};

// The rows of one file, read as the window reads it with `options`, titles keyed by `collator`
// (one per thread: a collator is not to be shared between threads): one for each note (several
// only in a lenient reading), or one that says why the file shows no note. Never shows a message.
// Once `cancelled` says so, the scan of a file of another kind stops and its rows are not whole.
QList<NoteRow> ReadNoteRows(const QString &path, const SearchOptions &options,
                            const QCollator &collator, const std::function<bool()> &cancelled = {});

// Rows read since the last report, in the order of the files.
struct RowBatch
{
    QList<NoteRow> rows;
    qsizetype files = 0; // files read since the last report
};

// Reads the rows of `files` on every core, and reports them in the order of `files`: a screenful
// at once, then at most every few milliseconds, the rest at the end. Stops between two files once
// `cancelled` says so, or inside a file of another kind being looked through (the worker threads
// ask it too, so it must be safe to call from any thread), and then reports nothing more.
void ReadFolderRows(const QStringList &files, const SearchOptions &options,
                    const std::function<bool()> &cancelled,
                    const std::function<void(RowBatch &&)> &report);
