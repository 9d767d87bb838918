// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QString>

// A name given out for a note's file, below the output folder.
struct OutputName
{
    QString path;
    bool shortened = false; // its stem cut so that the name fits the system's limit
};

// The names of the files that one run writes into an output folder, one for each note: the
// note file's path below the folder it was found in (see ExportInput::mirroredPath), its
// extension replaced ("sub/memo12.vnt" gives "sub/memo12.md"), "-2", "-3"... after the name
// for the second and later notes of a file ("sub/memo12-2.md"). A name already given out in the
// run gets " (2)", " (3)"... before its extension, so that no note overwrites another. A name
// longer than a file name can be (255 octets) loses characters at the end of its stem, before
// those endings.
class OutputNames
{
public:
    explicit OutputNames(QString extension) : m_extension(std::move(extension)) {}

    // The name to write the note at `index` (from 1) of the note file at `mirroredPath` to.
    OutputName take(const QString &mirroredPath, int index);

private:
    QString m_extension;
    QSet<QString> m_taken;
};

// The name under which one note is saved on its own, from its title: `/` and the control
// characters become "_", leading dots are dropped (the file would be hidden), and the name is cut
// between characters so that it fits a file name (255 octets) with `extension` (its dot included)
// after it. The name is returned without the extension; "Заметка" when nothing is left.
QString noteFileName(const QString &title, const QString &extension);
