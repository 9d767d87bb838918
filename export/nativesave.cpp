// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativesave.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The permissions the file is given: those of the one it replaces, else a new file's.
mode_t permissionsFor(const QByteArray &native)
{
    struct stat info
    {
    };
    if (::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

int writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + at, size_t(bytes.size() - at));
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

} // namespace

int saveNative(const QByteArray &native, const QByteArray &bytes, const QDateTime &modified)
{
    QByteArray temporary = native.first(native.lastIndexOf('/') + 1) + ".quillet-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::fchmod(fd, permissionsFor(native)) == 0 ? 0 : errno;
    if (error == 0)
        error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error == 0)
        error = setModified(fd, modified);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), native.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
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
