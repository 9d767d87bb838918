// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>

// Saving under a name that Qt's file names cannot hold: octets that are not UTF-8, such as a
// memory card's Latin-1 names, which Qt would write as U+FFFD, so that two notes could take one
// name. Both take the name as the system's octets and return the errno of a failure, or 0.

// Writes `bytes` as the file `native` as QSaveFile does: a temporary file beside it, written,
// synced and given its time, then renamed over it; a failure leaves nothing behind. The file
// gets the permissions of the one it replaces, else those of a new file.
int saveNative(const QByteArray &native, const QByteArray &bytes, const QDateTime &modified);

// Makes the folder `native` and every one above it that is missing.
int makeFoldersNative(const QByteArray &native);
