// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportinputs.h"

#include "qverror.h"
#include "qvfilename.h"

#include <sys/stat.h>

namespace {

bool isFolder(const QString &path)
{
    struct stat info
    {
    };
    const QByteArray native = qvTextToFileName(path);
    return !path.isEmpty() && !native.contains('\0') && ::stat(native.constData(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

// Adds the notes of `folder` (and of its subfolders when `recursive`) to `inputs`; returns how
// many.
qsizetype addFolder(const QString &folder, qsizetype mirroredFrom, bool recursive,
                    const NaturalOrder &order, bool everyLayout, ExportInputs &inputs)
{
    FolderListing listing;
    try {
        listing = listFolder(folder, order, everyLayout);
    } catch (const QvError &failure) {
        inputs.problems.append(failure.description());
        return 0;
    }
    qsizetype added = listing.notes.size();
    for (QString &note : listing.notes) {
        const bool listedFile = !listing.notPlainFiles.contains(note);
        inputs.notes.append({std::move(note), mirroredFrom, listedFile});
    }
    listing.notes.clear();
    if (recursive) {
        for (const QString &subfolder : std::as_const(listing.subfolders))
            added += addFolder(subfolder, mirroredFrom, recursive, order, everyLayout, inputs);
    }
    return added;
}

} // namespace

QString noNotesInFolderMessage(const QString &folder)
{
    return QStringLiteral("В папке нет заметок: %1").arg(folder);
}

ExportInputs collectInputs(const QStringList &arguments, bool recursive, const NaturalOrder &order,
                           bool everyLayout)
{
    ExportInputs inputs;
    for (const QString &argument : arguments) {
        if (!isFolder(argument)) {
            inputs.notes.append({argument, argument.lastIndexOf(u'/') + 1});
            continue;
        }
        const qsizetype mirroredFrom =
            argument.endsWith(u'/') ? argument.size() : argument.size() + 1;
        const qsizetype problems = inputs.problems.size();
        if (addFolder(argument, mirroredFrom, recursive, order, everyLayout, inputs) == 0 &&
            inputs.problems.size() == problems)
            inputs.problems.append(noNotesInFolderMessage(argument));
    }
    return inputs;
}

bool InputFiles::contains(const struct stat &info)
{
    if (!m_files) {
        m_files.emplace();
        for (const ExportInput &input : m_inputs) {
            const QByteArray native = qvTextToFileName(input.path);
            struct stat file
            {
            };
            if (::lstat(native.constData(), &file) == 0)
                m_files->emplace(file.st_dev, file.st_ino);
            if (::stat(native.constData(), &file) == 0)
                m_files->emplace(file.st_dev, file.st_ino);
        }
    }
    return m_files->count({info.st_dev, info.st_ino}) != 0;
}
