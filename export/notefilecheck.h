// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// Nothing is ever saved over a note file. A note file is one named as any kind of file that holds
// notes (see noteFileSuffixes: "*.vnt", "*.vcs", "*.backup"...) in any letter case,
// or one whose first line that is not blank is BEGIN:VNOTE (in any letter case, with blanks
// around it, after a byte-order mark; UTF-16 too), as the lenient reading takes it.

// Whether the name (or the path) ends in the suffix of any kind of file that holds notes, in any
// letter case.
bool namedAsNote(QStringView path);

// Whether the file open at `fd` starts as a note, read from where it stands.
bool startsAsNote(int fd);

// Whether `path` is a note file, by its name, or by its first lines (through links).
bool isNoteFile(const QString &path);
