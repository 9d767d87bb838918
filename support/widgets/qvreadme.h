// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where the user guide may lie, in order: the installed copy relative to the executable, then
// the source tree's copy, for a program run from its build folder.
QStringList qvReadMeCandidates();

// Opens the first of `candidates` that exists with the desktop's handler for it. Where none
// exists, or the desktop cannot open it, a box says so and the program goes on. Returns whether
// the guide was handed to the desktop.
bool qvOpenReadMeFile(const QStringList &candidates = qvReadMeCandidates());
