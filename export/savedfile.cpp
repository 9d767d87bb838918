// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include "qvfilename.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool pathTaken(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(qvTextToFileName(path).constData(), &info) == 0 || errno != ENOENT;
}

QString saveFile(const QString &path, const QByteArray &bytes, const QDateTime &modified,
                 bool replace)
{
    if (!replace && pathTaken(path))
        return QStringLiteral("Файл уже есть, не перезаписан: %1").arg(path);
    const QString folder = path.first(std::max<qsizetype>(path.lastIndexOf(u'/'), 0));
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        return QStringLiteral("Не удалось создать папку: %1").arg(folder);
    QSaveFile file(path);
    const auto failed = [&] {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("Не удалось записать файл: %1 (%2)").arg(path, reason);
    };
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return failed();
    // Set after the last write, which would set it again, and before the file takes its name.
    if (modified.isValid() && !file.setFileTime(modified, QFileDevice::FileModificationTime))
        return failed();
    if (!file.commit())
        return QStringLiteral("Не удалось записать файл: %1 (%2)").arg(path, file.errorString());
    return {};
}
