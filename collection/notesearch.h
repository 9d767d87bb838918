// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formatstamp.h"
#include "notematch.h"

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

// Whether two ways of reading notes read them alike.
bool operator==(const SearchOptions &a, const SearchOptions &b);

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
    // Where the match stands in the excerpt.
    qsizetype excerptStart = 0;
    qsizetype excerptLength = 0;
    // Read strictly, the note shows no text, and the match is in the text of another layout that
    // the lenient reading finds (its place in the file is then 0, the one strict note).
    bool otherLayout = false;
};

// What searching one file found: whether it could be read as notes, and the notes that match.
struct FileFindings
{
    bool readable = false;
    QList<NoteHit> hits;
};

// Reads one file as the window would (never with a message: a rejected file is only unreadable)
// and matches each of its notes: the body first, then the version and the two dates as shown.
// A note that the strict reading shows without text, though the file holds text in another
// layout, is matched on what the lenient reading finds. Once `cancelled` says so, the scan of a
// file of another kind stops and its findings are not whole.
FileFindings SearchNoteFile(const QString &path, const NoteMatcher &matcher,
                            const SearchOptions &options,
                            const std::function<bool()> &cancelled = {});

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
// once `cancelled` says so, or inside a file of another kind being looked through: the worker
// threads ask it too, so it must be safe to call from any thread.
void SearchFolder(const QString &folder, const std::optional<QStringList> &notes,
                  const NoteMatcher &matcher, const SearchOptions &options,
                  const std::function<bool()> &cancelled,
                  const std::function<void(SearchBatch &&)> &report);
