// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefolderfixture.h"

#include "qvfilename.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 LargeBinarySize = qint64(60) * 1000 * 1000;

QByteArray escaped(const QString &text)
{
    QByteArray out;
    for (const char octet : text.toUtf8())
        out += '=' + QByteArray::number(quint8(octet), 16).rightJustified(2, '0').toUpper();
    return out;
}

QByteArray native(const QString &path)
{
    return qvTextToFileName(path);
}

void check(bool done, const QString &what)
{
    if (!done)
        qFatal("cannot make %s", qPrintable(what));
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

NoteFolderFixture::NoteFolderFixture() = default;

NoteFolderFixture::~NoteFolderFixture()
{
    // By the names' own bytes, which QTemporaryDir cannot reach when they are not UTF-8.
    ::nftw(
        native(m_dir.path()).constData(),
        [](const char *entry, const struct stat *, int, struct FTW *) { return ::remove(entry); },
        16, FTW_DEPTH | FTW_PHYS);
}

QString NoteFolderFixture::add(const QString &name, FolderEntry kind,
                               const QByteArray &content) const
{
    const QString path = m_dir.filePath(name);
    const QByteArray where = native(path);
    switch (kind) {
    case FolderEntry::Note:
    case FolderEntry::Garbage: {
        QByteArray bytes = content;
        if (kind == FolderEntry::Garbage)
            for (int i = 0; i < 4096; ++i)
                bytes += char((i * 131 + 7) & 0xFF);
        const int fd = ::open(where.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        check(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(),
              path);
        ::close(fd);
        break;
    }
    case FolderEntry::LargeBinary: {
        const int fd = ::open(where.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        check(fd >= 0 && ::ftruncate(fd, LargeBinarySize) == 0, path);
        ::close(fd);
        break;
    }
    case FolderEntry::Fifo:
        check(::mkfifo(where.constData(), 0644) == 0, path);
        break;
    case FolderEntry::Directory:
        check(::mkdir(where.constData(), 0755) == 0, path);
        break;
    case FolderEntry::LinkToDevZero:
        check(::symlink("/dev/zero", where.constData()) == 0, path);
        break;
    case FolderEntry::LinkToFirstNote:
        check(::symlink("memo1.vnt", where.constData()) == 0, path);
        break;
    }
    return path;
}

void NoteFolderFixture::addPhoneFolder() const
{
    add(QStringLiteral("memo10.vnt"), FolderEntry::Note,
        escapedNote(QStringLiteral("ключ под ковриком")));
    add(QStringLiteral("memo2.vnt"), FolderEntry::Note, escapedNote(QStringLiteral("купить хлеб")));
    add(QStringLiteral("memo1.vnt"), FolderEntry::Note,
        escapedNote(QStringLiteral("Ключ от подвала")));
    add(QStringLiteral("alias.vnt"), FolderEntry::LinkToFirstNote);
    add(QStringLiteral("new\nline.vnt"), FolderEntry::Note, escapedNote(QStringLiteral("ключи")));
    add(u"caf\xDCE9.VNT"_qs, FolderEntry::Note, escapedNote(QStringLiteral("КЛЮЧ")));
    add(QStringLiteral("notes.txt"), FolderEntry::Note, escapedNote(QStringLiteral("ключ")));
    add(QStringLiteral("garbage.vnt"), FolderEntry::Garbage);
    add(QStringLiteral("pipe.vnt"), FolderEntry::Fifo);
    add(QStringLiteral("x.vnt"), FolderEntry::Directory);
    add(QStringLiteral("zero.vnt"), FolderEntry::LinkToDevZero);
}
