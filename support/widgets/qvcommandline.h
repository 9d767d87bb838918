// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The program's arguments after its own name, joined with single blanks: the command line as
// one text. A file name that is not valid UTF-8 keeps its octets (see qvFileNameToText), so
// that the file it names can be opened.
QString qvCommandLine();
QString qvCommandLine(const QStringList &arguments);
