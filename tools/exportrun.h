// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exportwriter.h"
#include "formatstamp.h"
#include "nativesave.h"
#include "standardoutput.h"

#include <QString>
#include <QStringList>

// What the command line asks of a run.
struct RunOptions
{
    ExportSettings settings;
    DateDisplay display;
    bool recursive = false;
    QString outputDir; // empty: everything goes to standard output
    bool force = false;
    // How a new file takes its name: tests force each way that file systems leave.
    NameCommit commit = NameCommit::Rename;
};

enum ExitStatus { AllAccepted = 0, SomeRejected = 1, UsageError = 2, OutputFailed = 1 };

// Exports the notes that `arguments` stand for, read and formatted on every core and written in
// argument order as they are done. Returns the exit status.
int runExport(const QStringList &arguments, const RunOptions &options, StandardOutput &output);
