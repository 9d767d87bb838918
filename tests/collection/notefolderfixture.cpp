// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefolderfixture.h"

#include "qvfilename.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray escaped(const QString &text)
{
    return '=' + text.toUtf8().toHex('=').toUpper();
}

void check(bool done, const QString &path)
{
    if (!done)
        qFatal("cannot make %s", qPrintable(path));
}

} // namespace

QByteArray escapedNote(const QString &body, const QByteArray &version)
{
    return "BEGIN:VNOTE\r\nVERSION:" + version +
           "\r\nDCREATED:20130403T001940\r\nLAST-MODIFIED:20130705T183000\r\n"
           "BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=\r\n" +
           escaped(body) + "\r\nEND:VNOTE\r\n";
}

QByteArray notesInOneFile(const QStringList &bodies)
{
    QByteArray out;
    for (const QString &body : bodies)
        out += "BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
               escaped(body) + "\r\nEND:VNOTE\r\n";
    return out;
}

QByteArray plainBodyNote(const QByteArray &body)
{
    return "BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY:" + body + "\r\nEND:VNOTE\r\n";
}

NoteFolderFixture::~NoteFolderFixture()
{
    ::nftw(
        qvTextToFileName(m_dir.path()).constData(),
        [](const char *entry, const struct stat *, int, struct FTW *) { return ::remove(entry); },
        16, FTW_DEPTH | FTW_PHYS);
}

QString NoteFolderFixture::add(const QString &name, const QByteArray &content) const
{
    const QString path = m_dir.filePath(name);
    const int fd = ::open(qvTextToFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size(),
          path);
    ::close(fd);
    return path;
}

QString NoteFolderFixture::add(const QString &name, FolderEntry kind,
                               const QByteArray &target) const
{
    const QString path = m_dir.filePath(name);
    const QByteArray where = qvTextToFileName(path);
    switch (kind) {
    case FolderEntry::Garbage:
        return add(name, QByteArray(4096, '\xFE'));
    case FolderEntry::LargeBinary:
        add(name, {});
        check(::truncate(where.constData(), qint64(60) * 1000 * 1000) == 0, path);
        break;
    case FolderEntry::Fifo:
        check(::mkfifo(where.constData(), 0644) == 0, path);
        break;
    case FolderEntry::Directory:
        check(::mkdir(where.constData(), 0755) == 0, path);
        break;
    case FolderEntry::Link:
        check(::symlink(target.constData(), where.constData()) == 0, path);
        break;
    }
    return path;
}
