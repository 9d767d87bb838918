// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exportinputs.h"
#include "exportwriter.h"
#include "formatstamp.h"

#include <QString>
#include <QStringList>

#include <functional>

// What the viewer's export of all notes is asked to do.
struct BatchOptions
{
    ExportSettings settings; // the format; lenient: the notes read in every layout
    DateDisplay display;
    // A folder that takes a file for each note, or the one file that takes them all.
    QString destination;
    bool toFolder = false;
    // Whether files of the same names in the folder are replaced; never a note file or an input.
    bool replace = false;
    // Which notes of the inputs go (by path, and place in their file from 1); all when not set.
    std::function<bool(const QString &path, int index)> wanted;
};

struct BatchResult
{
    qsizetype saved = 0;
    // The notes and files not saved, each "PATH: why".
    QStringList skipped;
    bool cancelled = false;
};

// Exports `inputs` as `options` say, a file of notes at a time, with the same reading, writers,
// names and output folder as the companion's --output-dir. `cancelled` is asked before each
// file: a cancelled run stops between files, and one file that takes every note is then not
// written at all. `progress` is told how many files are done after each.
BatchResult exportBatch(const QList<ExportInput> &inputs, const BatchOptions &options,
                        const std::function<bool()> &cancelled,
                        const std::function<void(qsizetype done)> &progress);

// How many of the first names that a run would write into `folder` with `extension` are taken
// there already: what the question before replacing counts.
qsizetype countTakenNames(const QList<ExportInput> &inputs, const QString &folder,
                          const QString &extension);
