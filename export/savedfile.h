// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Writes `bytes` as the file at `path`, making the folders it needs, atomically (QSaveFile: a
// failed write leaves no file, or the old one), with its modification time set to `modified`
// when that is valid. Never replaces a file that is there unless `replace`. Returns why it
// failed, or the empty text.
QString saveFile(const QString &path, const QByteArray &bytes, const QDateTime &modified,
                 bool replace);

// Whether something (a file, a folder, a link, even a broken one) is at `path`.
bool pathTaken(const QString &path);
