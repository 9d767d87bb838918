// SPDX-License-Identifier: GPL-3.0-or-later
#include "noteformat.h"

#include "notetitle.h"

QByteArray NoteFormat::opening(const QString &) const
{
    return {};
}

QByteArray NoteFormat::separator(qsizetype) const
{
    return {};
}

QByteArray NoteFormat::closing(qsizetype) const
{
    return {};
}

QByteArray NoteFormat::document(const ExportedNote &note) const
{
    return opening(noteTitle(note)) + entry(note) + closing(1);
}
