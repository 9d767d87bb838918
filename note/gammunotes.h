// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "noteview.h"

#include <QByteArrayView>
#include <QStringList>

// Whether a file's bytes (after their byte-order mark: see NoteBytes) are an INI text as Gammu
// writes its phone backups: the first line that is neither blank nor a comment (";" or "#") opens
// a section, which is [Backup] (as Gammu writes it), or some section is a note's. UTF-16
// big-endian without a mark counts too. Any other file keeps the vNote reading and its message.
bool isGammuBackup(QByteArrayView bytes);

// The notes of a Gammu backup, one per [NoteNNN] section (any letter case), in file order. A
// section's text is its TextUnicode (hexadecimal UCS-2 big-endian: the exact text that Gammu
// adds to an ASCII file), else its Text, quoted or not, with Gammu's escapes undone ("\n", "\r",
// "\\", and "\"" as well). A backup holds a phone's few notes: they are read at once.
class GammuNotes
{
public:
    explicit GammuNotes(QByteArrayView bytes);

    [[nodiscard]] qsizetype count() const { return m_texts.size(); }
    // The next note in file order (its body alone); false once there is none.
    bool next(NoteView &note);

private:
    QStringList m_texts;
    qsizetype m_next = 0;
};
