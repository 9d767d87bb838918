// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textfilereader.h"

#include <QByteArray>
#include <QString>

// A file read in every layout: its bytes, or none when it is a file of another kind (a phone's
// backup, an archive) whose notes are looked for among its bytes instead (see EmbeddedNotes).
struct LenientFileBytes
{
    QByteArray bytes;
    bool scanned = false;
};

// Reads `path` whole, as a note file is read, unless it is a file to be looked through: that one
// may be of any size, and only its head is read here. A note file over the reader's cap keeps
// its refusal. Throws QvError as TextFileReader::ReadAllBytes does.
LenientFileBytes ReadLenientFile(const TextFileReader &reader, const QString &path);
