// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QTextBrowser;
class QWidget;

// Where the user guide may lie, in order: the installed copy relative to the executable, then
// the source tree's copy, for a program run from its build folder.
QStringList qvReadMeCandidates();

// Shows the first of `candidates` that exists in the program's own guide window, which needs no
// browser: one window for the run, over `owner` (else the active window), raised when it is
// already open. Where no candidate exists, or the one found cannot be read, a box says why and
// where the guide was looked for, and the program goes on. Returns whether the guide is shown.
bool qvOpenReadMeFile(const QStringList &candidates = qvReadMeCandidates(),
                      QWidget *owner = nullptr);

// The guide window once it has been made, else null.
QTextBrowser *qvReadMeWindow();
