// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The names of the files that hold notes. A vNote file is named "*.vnt". Where every layout is
// read (the viewer's "Все форматы заметок", the companion's --lenient), so are the other places
// memos arrive in: calendar files (.vcs, .ics), the backups of Nokia-era phones (.nbu, .nfb,
// .nfc, .arc) and Gammu's backups (.backup). Letter case never matters.

// The suffixes, without the dot, in lower case: "vnt" alone, or every one.
QStringList noteFileSuffixes(bool everyLayout);

// Whether the name (or the path) ends in one of those suffixes, after a dot.
bool hasNoteFileSuffix(QStringView name, bool everyLayout);

// The open dialog's filters, as OpenFileDialog takes them: "Файлы VNT" and "Все файлы", with
// "Все файлы с заметками" between them where every layout is read.
QString openDialogFilter(bool everyLayout);
