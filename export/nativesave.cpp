// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativesave.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int writeAll(int fd, QByteArrayView bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + at, size_t(bytes.size() - at));
        if (wrote < 0 && errno != EINTR)
            return errno;
        at += std::max<ssize_t>(wrote, 0);
    }
    return 0;
}

int setModified(int fd, const QDateTime &modified)
{
    if (!modified.isValid())
        return 0;
    const qint64 msecs = modified.toMSecsSinceEpoch();
    const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time_t(seconds), long(msecs - seconds * 1000) * 1000000}};
    return ::futimens(fd, times) == 0 ? 0 : errno;
}

// Whether a failed rename or link says that the file system cannot do it at all.
bool refusedByFileSystem(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

} // namespace

int fillFile(int fd, QByteArrayView bytes, const QDateTime &modified)
{
    int error = writeAll(fd, bytes);
    if (error == 0)
        error = setModified(fd, modified);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

int makeFoldersNative(const QByteArray &native)
{
    for (qsizetype end = native.indexOf('/', 1);; end = native.indexOf('/', end + 1)) {
        const QByteArray folder = end < 0 ? native : native.first(end);
        if (!folder.isEmpty() && ::mkdir(folder.constData(), 0777) != 0) {
            struct stat info
            {
            };
            if (errno != EEXIST)
                return errno;
            if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
                return ENOTDIR;
        }
        if (end < 0)
            return 0;
    }
}

int commitNoReplace(int folder, const char *temporary, const char *name, NameCommit &commit)
{
    if (commit == NameCommit::Rename) {
        if (::renameat2(folder, temporary, folder, name, RENAME_NOREPLACE) == 0)
            return 0;
        if (!refusedByFileSystem(errno))
            return errno;
        commit = NameCommit::Link;
    }
    if (commit == NameCommit::Link) {
        if (::linkat(folder, temporary, folder, name, 0) == 0) {
            ::unlinkat(folder, temporary, 0);
            return 0;
        }
        // A file system without hard links says EPERM (vfat).
        if (!refusedByFileSystem(errno) && errno != EPERM)
            return errno;
        commit = NameCommit::Create;
    }
    return ENOTSUP;
}
