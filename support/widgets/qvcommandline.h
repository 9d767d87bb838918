#pragma once

#include <QString>
#include <QStringList>

// The program's arguments after its own name, as Qt leaves them, joined with single blanks:
// the command line as one text.
QString qvCommandLine();
QString qvCommandLine(const QStringList &arguments);
