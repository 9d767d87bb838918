// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include <QSaveFile>

QString saveFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Не удалось записать файл: %1 (%2)").arg(path, file.errorString());
    return {};
}
