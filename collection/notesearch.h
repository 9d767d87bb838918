// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "notematch.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// How the notes are read and shown while searching: as the window would show them.
struct SearchOptions
{
    bool lenient = false;
    DateDisplay display;
};

// The field of a note where a match was found.
enum class NoteField { Body, Version, Created, Modified };

// A note that matches: where it is, what the result list shows of it, and where the match is.
struct NoteHit
{
    QString path;
    int note = 0;        // its place in its file, from 0
    int notesInFile = 1; // more than one only in a lenient reading
    QString modified;    // as the window shows it
    NoteField field = NoteField::Body;
    qsizetype start = 0; // in that field's text
    QString excerpt;
};

// What searching one file found: whether it could be read as notes, and the notes that match.
struct FileFindings
{
    bool readable = false;
    QList<NoteHit> hits;
};

// Reads one file as the window would (never with a message: a rejected file is only unreadable)
// and matches each of its notes: the body first, then the version and the two dates as shown.
FileFindings SearchNoteFile(const QString &path, const NoteMatcher &matcher,
                            const SearchOptions &options);

// What a folder search has found since its last report.
struct SearchBatch
{
    QList<NoteHit> hits;
    qsizetype searched = 0; // files looked at since the last report
    qsizetype skipped = 0;  // of those, the ones that could not be read as notes
    qsizetype total = -1;   // the folder's note files, in the first report only
    QString failure;        // why the folder could not be listed
};

// Searches the note files of `folder` in the order a file manager shows them (`notes`, when
// given, is that list already made). Reports what it finds as it goes: the first match at once,
// later ones at most every few milliseconds, and the rest at the end. Stops between two files
// once `cancelled` says so.
void SearchFolder(const QString &folder, const std::optional<QStringList> &notes,
                  const NoteMatcher &matcher, const SearchOptions &options,
                  const std::function<bool()> &cancelled,
                  const std::function<void(SearchBatch &&)> &report);

// The same, on a thread of the background pool: its batches are the future's results, in order,
// and cancelling the future stops it.
QFuture<SearchBatch> StartFolderSearch(const QString &folder,
                                       const std::optional<QStringList> &notes,
                                       const QString &query, const SearchOptions &options);
