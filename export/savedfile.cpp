// SPDX-License-Identifier: GPL-3.0-or-later
#include "savedfile.h"

#include "nativesave.h"
#include "qvfilename.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Whether Qt's file functions name the same file as the system's octets of `path`: not so when
// a name holds octets that are not UTF-8.
bool holdsName(const QString &path)
{
    return QFile::encodeName(path) == qvTextToFileName(path);
}

} // namespace

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
    if (!folder.isEmpty() &&
        !(holdsName(folder) ? QDir().mkpath(folder)
                            : makeFoldersNative(qvTextToFileName(folder)) == 0))
        return QStringLiteral("Не удалось создать папку: %1").arg(folder);
    if (!holdsName(path)) {
        const int error = saveNative(qvTextToFileName(path), bytes, modified);
        if (error == 0)
            return {};
        return QStringLiteral("Не удалось записать файл: %1 (%2)")
            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    }
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
