// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Writes `bytes` as the file at `path`, atomically (QSaveFile: a failed write leaves the old file
// as it was, or none), with the modification time `modified` when that is valid. Returns why it
// failed, or the empty text.
QString saveFile(const QString &path, const QByteArray &bytes, const QDateTime &modified = {});
