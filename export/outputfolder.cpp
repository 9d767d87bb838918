// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfolder.h"

#include "notefilecheck.h"
#include "qvfilename.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A folder below the output folder, opened without following a link.
constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int NewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int TemporaryTries = 100;

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notWritten(const QString &path, int error)
{
    return QStringLiteral("Не удалось записать файл: %1 (%2)").arg(path, reason(error));
}

QString taken(const QString &path)
{
    return QStringLiteral("Файл уже есть, не перезаписан: %1").arg(path);
}

QString notAFolder(const QString &path)
{
    return QStringLiteral("Не папка: %1").arg(path);
}

// A new file beside the one it becomes, under a name of its own. Returns its descriptor, or -1
// with errno set.
int openTemporary(int folder, mode_t mode, QByteArray &name)
{
    for (int attempt = 0; attempt < TemporaryTries; ++attempt) {
        name = ".quillet-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::openat(folder, name.constData(), NewFileFlags, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void closeIfOpen(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace

OutputFolder::~OutputFolder()
{
    closeIfOpen(m_belowFd);
    closeIfOpen(m_fd);
}

QString OutputFolder::pathOf(const QString &name) const
{
    return m_path.endsWith(u'/') ? m_path + name : m_path + u'/' + name;
}

QString OutputFolder::open()
{
    // The folder's own path is the user's: links in it are followed.
    const QByteArray native = qvTextToFileName(m_path);
    m_fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0 && errno == ENOENT) {
        const int error = makeFoldersNative(native);
        if (error != 0)
            return error == ENOTDIR ? notAFolder(m_path)
                                    : QStringLiteral("Не удалось создать папку: %1 (%2)")
                                          .arg(m_path, reason(error));
        m_fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (m_fd < 0)
        return errno == ENOTDIR
                   ? notAFolder(m_path)
                   : QStringLiteral("Не удалось открыть папку: %1 (%2)").arg(m_path, reason(errno));
    return {};
}

QString OutputFolder::sync()
{
    if (m_fd < 0 || ::syncfs(m_fd) == 0)
        return {};
    return QStringLiteral("Не удалось сохранить файлы на диске: %1 (%2)")
        .arg(m_path, reason(errno));
}

// The folder `below` the output folder ("sub/deep", or empty for the folder itself), open, its
// missing parts made, each part walked without following a link. Returns -1 with `failure` set
// when it cannot be had.
int OutputFolder::folderOf(const QByteArray &below, const QString &path, QString &failure)
{
    if (below.isEmpty())
        return m_fd;
    if (m_belowFd >= 0 && below == m_below)
        return m_belowFd;
    closeIfOpen(m_belowFd);
    m_belowFd = -1;
    int parent = m_fd;
    for (qsizetype from = 0; from < below.size();) {
        qsizetype end = below.indexOf('/', from);
        if (end < 0)
            end = below.size();
        const QByteArray part = below.sliced(from, end - from);
        int fd = ::openat(parent, part.constData(), FolderFlags);
        if (fd < 0 && errno == ENOENT &&
            (::mkdirat(parent, part.constData(), 0777) == 0 || errno == EEXIST))
            fd = ::openat(parent, part.constData(), FolderFlags);
        if (fd < 0) {
            const int error = errno;
            struct stat there
            {
            };
            const bool link = error == ELOOP || (error == ENOTDIR &&
                                                 ::fstatat(parent, part.constData(), &there,
                                                           AT_SYMLINK_NOFOLLOW) == 0 &&
                                                 S_ISLNK(there.st_mode));
            const QString folder = pathOf(qvFileNameToText(below.first(end)));
            failure =
                link               ? QStringLiteral("Файл не записан, в пути символическая ссылка: %1").arg(path)
                : error == ENOTDIR ? notAFolder(folder)
                                   : QStringLiteral("Не удалось создать папку: %1 (%2)")
                                         .arg(folder, reason(error));
            closeIfOpen(parent == m_fd ? -1 : parent);
            return -1;
        }
        if (parent != m_fd)
            ::close(parent);
        parent = fd;
        from = end + 1;
    }
    m_below = below;
    m_belowFd = parent;
    return parent;
}

// Whether the entry `there` at `name` must not be replaced even when replacing is asked for:
// one of the run's inputs (itself, or a link to one that was named), or a note file.
bool OutputFolder::mustKeep(int folder, const char *name, const struct stat &there) const
{
    if (m_options.isInput && m_options.isInput(there))
        return true;
    if (!S_ISREG(there.st_mode))
        return false;
    if (namedAsNote(qvFileNameToText(name)))
        return true;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool note = startsAsNote(fd);
    ::close(fd);
    return note;
}

// Writes the file by creating its name only when that is free, for file systems that can
// neither refuse to replace in a rename nor link: a failure removes it, but a crash can leave
// it partly written.
QString OutputFolder::create(int folder, const char *name, const QByteArray &bytes,
                             const QDateTime &modified, const QString &path)
{
    const int fd = ::openat(folder, name, NewFileFlags, 0666);
    if (fd < 0)
        return errno == EEXIST ? taken(path) : notWritten(path, errno);
    const int error = fillFile(fd, bytes, modified);
    if (error == 0)
        return {};
    ::unlinkat(folder, name, 0);
    return notWritten(path, error);
}

QString OutputFolder::save(const QString &name, const QByteArray &bytes, const QDateTime &modified)
{
    const QString path = pathOf(name);
    const QByteArray native = qvTextToFileName(name);
    const qsizetype slash = native.lastIndexOf('/');
    QString failure;
    const int folder = folderOf(native.first(std::max<qsizetype>(slash, 0)), path, failure);
    if (folder < 0)
        return failure;
    const QByteArray file = native.sliced(slash + 1);
    if (!m_options.replace && m_commit == NameCommit::Create)
        return create(folder, file.constData(), bytes, modified, path);

    // The permissions of a file replaced are kept; a new one gets a new file's.
    mode_t mode = 0666;
    bool keepMode = false;
    if (m_options.replace) {
        struct stat there
        {
        };
        if (::fstatat(folder, file.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
            if (mustKeep(folder, file.constData(), there))
                return QStringLiteral("Файл не записан, это исходный файл: %1").arg(path);
            keepMode = S_ISREG(there.st_mode);
            if (keepMode)
                mode = there.st_mode & 07777;
        }
    }
    QByteArray temporary;
    const int fd = openTemporary(folder, mode, temporary);
    if (fd < 0)
        return notWritten(path, errno);
    int error = !keepMode || ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (error == 0) {
        error = fillFile(fd, bytes, modified);
    } else {
        ::close(fd);
    }
    if (error == 0) {
        // A link at the name is replaced as a link, never written through.
        error =
            m_options.replace
                ? (::renameat(folder, temporary.constData(), folder, file.constData()) == 0 ? 0
                                                                                            : errno)
                : commitNoReplace(folder, temporary.constData(), file.constData(), m_commit);
    }
    if (error == 0)
        return {};
    ::unlinkat(folder, temporary.constData(), 0);
    if (error == ENOTSUP && m_commit == NameCommit::Create && !m_options.replace)
        return create(folder, file.constData(), bytes, modified, path);
    return error == EEXIST && !m_options.replace ? taken(path) : notWritten(path, error);
}
