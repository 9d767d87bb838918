// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteexport.h"

#include <QByteArray>
#include <QString>

// One output format: what it writes around the notes and for each of them. A run writes
// opening(), then separator() and entry() for each note in order, then closing(); entry()
// depends on nothing but its note, so that notes can be formatted on several threads at once.
class NoteFormat
{
public:
    virtual ~NoteFormat() = default;

    // What goes before the first note. `soleTitle` is the title of the note (see noteTitle) when
    // the output holds that one only, else empty; only a format that needsNote() is told it.
    [[nodiscard]] virtual QByteArray opening(const QString &soleTitle) const;
    // The note's part of the output; empty for a note that the format leaves out.
    [[nodiscard]] virtual QByteArray entry(const ExportedNote &note) const = 0;
    // What goes before an entry, once `written` entries have been written.
    [[nodiscard]] virtual QByteArray separator(qsizetype written) const;
    [[nodiscard]] virtual QByteArray closing(qsizetype written) const;

    // One note as a file of its own, for the viewer's Export item and --output-dir: by default
    // the opening, the entry and the closing.
    [[nodiscard]] virtual QByteArray document(const ExportedNote &note) const;
    // The extension, with its dot, of the file that --output-dir writes for each note; empty
    // for a format that is one stream only.
    [[nodiscard]] virtual QString extension() const { return {}; }

    // Whether the output is a document that must hold a note: without an accepted one, nothing
    // at all is written.
    [[nodiscard]] virtual bool needsNote() const { return false; }
    // Whether a body may stay in its UTF-8 octets (see ExportedNote::bodyOctets).
    [[nodiscard]] virtual bool takesOctets() const { return false; }
};
