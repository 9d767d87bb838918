// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include <QSaveFile>

QString saveFile(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QSaveFile file(path);
    // The time is given after the last write, which would set it again; the rename keeps it.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        (modified.isValid() && !file.setFileTime(modified, QFileDevice::FileModificationTime)) ||
        !file.commit())
        return QStringLiteral("Не удалось записать файл: %1 (%2)").arg(path, file.errorString());
    return {};
}
