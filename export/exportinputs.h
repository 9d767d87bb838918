// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "notefolder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>

// A note file to export.
struct ExportInput
{
    QString path;
    // Where the part of the path that an output folder mirrors starts: after the folder named
    // on the command line, or at the file's name for a file named there.
    qsizetype mirroredFrom = 0;
    // Whether a folder listing found it to be a regular file (see TextFileReader::Opening).
    bool listedFile = false;

    // That part: "sub/memo12.vnt" for notes/sub/memo12.vnt under the named folder notes.
    [[nodiscard]] QString mirroredPath() const { return path.sliced(mirroredFrom); }
    // The folders of that part: "sub" for notes/sub/memo12.vnt; empty for a note in the named
    // folder itself, or for a file named there.
    [[nodiscard]] QString folder() const
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        return slash > mirroredFrom ? path.sliced(mirroredFrom, slash - mirroredFrom) : QString();
    }
};

struct ExportInputs
{
    QList<ExportInput> notes;
    // Why some arguments give fewer notes than they should: folders that hold none or cannot be
    // read, one message each.
    QStringList problems;
};

// The note files that the arguments stand for, in order. A file is itself, whatever its name (a
// path that is not there too: reading it will say so). A folder stands for its notes in a file
// manager's order (see listFolder), and with `recursive` for those of its subfolders after them,
// each in the same order, never through a symbolic link to a folder; a folder with no notes is a
// problem ("В папке нет заметок: PATH"). With `everyLayout`, a folder's notes are the files of
// every name that isNoteFileName takes so.
ExportInputs collectInputs(const QStringList &arguments, bool recursive,
                           const NaturalOrder &order = NaturalOrder(), bool everyLayout = false);

// The note files of a run as the system tells files apart, by device and inode, so that one is
// known by any name: an output never replaces one. Each counts as the entry named (a link itself)
// and as the file that it leads to.
class InputFiles
{
public:
    explicit InputFiles(const QList<ExportInput> &inputs) : m_inputs(inputs) {}

    // Whether the file that `info` describes is one of them. They are looked at on the first
    // call only: most runs never ask.
    bool contains(const struct stat &info);

private:
    const QList<ExportInput> &m_inputs;
    std::optional<std::set<std::pair<dev_t, ino_t>>> m_files;
};

// The message for a folder that holds no notes.
QString noNotesInFolderMessage(const QString &folder);
