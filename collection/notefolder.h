// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

// Whether the open dialog's filter shows a file of this name: ".vnt" in any letter case (with
// `everyLayout`, any suffix of noteFileSuffixes), and not hidden.
bool isNoteFileName(QStringView name, bool everyLayout = false);

// What one folder holds, each list in the order a file manager shows it.
struct FolderListing
{
    // Paths of the entries that the open dialog shows as notes: any entry but a folder (or a link
    // to one) whose name passes isNoteFileName. Links to files are notes; what each entry really
    // is, is for the reader to find out.
    QStringList notes;
    // Those of the notes that the listing did not find to be regular files: links, FIFOs and
    // devices, and entries it could not look at.
    QSet<QString> notPlainFiles;
    // Paths of the real subfolders that are not hidden; symbolic links to folders are not
    // followed, so that no walk can loop.
    QStringList subfolders;
};

// A collator for the order of a file manager: numbers by value (2 before 10), letter case
// ignored, by the locale's collation (English where the locale is C, which has none).
QCollator NaturalCollator(const QLocale &locale = QLocale());

// The order of a file manager: natural (memo2 before memo10), by the locale's collation and
// ignoring letter case; names the collation cannot tell apart are ordered by their code units, so
// the order is total.
class NaturalOrder
{
public:
    explicit NaturalOrder(const QLocale &locale = QLocale());

    // Sorts paths by their file names.
    void sort(QStringList &paths) const;
    [[nodiscard]] bool lessThan(const QString &a, const QString &b) const;

private:
    QCollator m_collator;
};

// Lists `folder` without following links to folders. Throws QvError with the reader's failure
// numbers when the folder cannot be read.
// With `everyLayout`, the notes are the files of every name that isNoteFileName takes so.
FolderListing listFolder(const QString &folder, const NaturalOrder &order = NaturalOrder(),
                         bool everyLayout = false);
