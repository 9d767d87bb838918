// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

// Files written through the system's own calls, by names relative to open folders, so that no
// name is ever resolved again through a link. Each returns 0 or the errno of its failure.

// Writes `bytes` to the new file open at `fd`, gives it the modification time `modified` when
// that is valid (after the last write, which would set it again) and closes it, also on failure.
// It is not synced: a batch of files is synced once, at its end (see OutputFolder::sync).
int fillFile(int fd, QByteArrayView bytes, const QDateTime &modified);

// Makes the folder `native` and every one above it that is missing.
int makeFoldersNative(const QByteArray &native);

// How a file written under a temporary name takes its own without replacing one that is there.
// Each way is the fallback of the one before, for file systems that refuse it: a rename that
// refuses to replace; a hard link, then the temporary name removed; and where there are no hard
// links either (vfat, exFAT), the name created only when it is free, then written.
enum class NameCommit { Rename, Link, Create };

// Gives the file `temporary` in the open folder `folder` the name `name` there, unless that is
// taken (EEXIST). Starts with the way `commit` and lowers it for the calls that follow when the
// file system refuses it. Once it is Create, the caller creates the name itself: ENOTSUP, and
// the temporary file is left where it is.
int commitNoReplace(int folder, const char *temporary, const char *name, NameCommit &commit);
