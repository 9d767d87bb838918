// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

// What the viewer shows of one note: the window title and the four read-only fields. The
// reading code only ever overwrites these; a default-constructed view is the empty view.
struct NoteView
{
    QString title = emptyTitle();
    QString txtVersion;
    QString txtDateCreated;
    QString txtDateModified;
    QString txtBody;
    // Not shown: the UTC moments that the stamps shown in txtDateCreated and txtDateModified
    // name, for exports; invalid when a field holds no stamp.
    QDateTime createdUtc;
    QDateTime modifiedUtc;
    // Not shown in the fields either: of a memo read from a calendar file, its kind ("NOTE",
    // "SHOPPING", "JOURNAL"; empty for any other note) and its SUMMARY, for exports.
    QString kind;
    QString summary;
    // What the window says about the note besides showing it (its status bar; no box), and the
    // companion gives as the entry's error: why the note may not be whole. Empty when nothing.
    QString notice;

    // "Quillet": the title while no note is shown.
    static QString emptyTitle() { return QStringLiteral("Quillet"); }
    // "Quillet [name]": the title once the note in `path` has been accepted.
    static QString titleFor(const QString &path);
};

bool operator==(const NoteView &a, const NoteView &b);
