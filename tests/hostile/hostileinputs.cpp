// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostileinputs.h"

#include "parsenote.h"
#include "qvfilename.h"
#include "textfilereader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

#include <fcntl.h>
#include <ftw.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qsizetype OneMegabyte = 1000 * 1000;
constexpr int ManyLines = 100000;
const QByteArray BodyMarker = "BODY;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=";

QByteArray note(const QByteArray &inner)
{
    return "BEGIN:VNOTE\r\n" + inner + "END:VNOTE\r\n";
}

// A small Cyrillic note: version 1.1, body "Привет".
QByteArray cyrillicNote()
{
    return note("VERSION:1.1\r\n" + BodyMarker + "\r\n=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82\r\n");
}

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray garbage(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 20130403;
    for (char &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    // By the name's own bytes: Qt's file classes cannot reach a name that is not UTF-8.
    const int fd = ::open(qvTextToFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) ||
        file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A file of `size` bytes that takes no room on disk.
void writeSparse(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        qFatal("cannot make %s", qPrintable(path));
}

QString makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = qvTextToFileName(path);
    if (fd < 0 || native.size() >= qsizetype(sizeof(address.sun_path)))
        qFatal("cannot make a socket at %s", qPrintable(path));
    std::copy(native.begin(), native.end(), address.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0)
        qFatal("cannot bind a socket at %s", qPrintable(path));
    ::close(fd); // the socket file stays
    return path;
}

} // namespace

void addHostileRows()
{
    QTest::addColumn<HostileInput>("input");
    QTest::addColumn<int>("readFailure");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("body");

    const QString noBegin = beginMarkerMissingMessage();
    const QString noEnd = endMarkerMissingMessage();
    const auto failure = [](const char *name, HostileInput input, int number, const char *why) {
        QTest::newRow(name) << input << number << QString::fromUtf8(why) << QString() << QString()
                            << QString();
    };
    const auto outcome = [](const char *name, HostileInput input, const QString &message,
                            const QString &version, const QString &body) {
        QTest::newRow(name) << input << 0 << QString() << message << version << body;
    };
    using enum HostileInput;
    failure("missing file", Missing, TextFileReader::NotFound, "не найден");
    failure("directory", Directory, TextFileReader::IsDirectory, "папка");
    failure("FIFO", Fifo, TextFileReader::NotRegularFile, "не обычный файл");
    failure("socket", Socket, TextFileReader::NotRegularFile, "не обычный файл");
    failure("/dev/null", DevNull, TextFileReader::NotRegularFile, "не обычный файл");
    failure("/dev/zero", DevZero, TextFileReader::NotRegularFile, "не обычный файл");
    failure("/dev/urandom", DevUrandom, TextFileReader::NotRegularFile, "не обычный файл");
    failure("no read permission", Unreadable, TextFileReader::AccessDenied, "Нет прав");
    failure("over the 64 MiB cap", OverCap, TextFileReader::TooLarge, "больше 64 МиБ");

    outcome("a /proc file that reports no size", ProcFile, noBegin, {}, {});
    outcome("empty file", Empty, noBegin, {}, {});
    outcome("binary garbage", Garbage, noBegin, {}, {});
    outcome("garbage after the begin line", GarbageAfterBegin, noEnd, {}, {});
    outcome("invalid UTF-8", InvalidUtf8, {}, QStringLiteral("1\uFFFD2"),
            QStringLiteral("A\uFFFDB"));
    outcome("UTF-16 little-endian with mark", Utf16LittleEndian, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("UTF-16 big-endian with mark", Utf16BigEndian, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("UTF-16 with a lone surrogate in the body", Utf16LoneSurrogate, {},
            QStringLiteral("1.1"), QStringLiteral("A\uFFFDB"));
    outcome("UTF-16 cut in the middle of a unit", Utf16OddLength, noEnd, {}, {});
    outcome("a single 1 MB line", LongLine, noBegin, {}, {});
    outcome("a body of one 1 MB line", LongBodyLine, {}, {},
            QString(OneMegabyte / 3, QLatin1Char('A')));
    outcome("a version line of 1 MB", LongVersionLine, {}, QString(OneMegabyte, QLatin1Char('V')),
            {});
    outcome("100,000 unknown property lines", ManyProperties, {}, QStringLiteral("2.0"), {});
    outcome("100,000 version lines", ManyVersions, {}, QString::number(ManyLines - 1), {});
    outcome("100,000 body lines", ManyBodyLines, {}, {}, QString(ManyLines, QLatin1Char('A')));
    outcome("exactly at the 64 MiB cap", AtCap, noBegin, {}, {});
    outcome("path with blanks", PathWithBlanks, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path with quotes", PathWithQuotes, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path with non-ASCII characters", PathNonAscii, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path with a line break", PathWithNewline, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path with backslashes", PathWithBackslash, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path in Latin-1, not UTF-8", PathLatin1, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    outcome("path in windows-1251, not UTF-8", PathWindows1251, {}, QStringLiteral("1.1"),
            QStringLiteral("Привет"));
    failure("over the cap, the path holding %1 and %2", OverCapWithPlaceholders,
            TextFileReader::TooLarge, "больше 64 МиБ");
}

QString makeHostileInput(HostileInput input, const QString &dir)
{
    const QString plain = dir + QStringLiteral("/note.vnt");
    using enum HostileInput;
    switch (input) {
    case Missing:
        return dir + QStringLiteral("/no such note.vnt");
    case Directory:
        QDir(dir).mkdir(QStringLiteral("folder.vnt"));
        return dir + QStringLiteral("/folder.vnt");
    case Fifo:
        if (::mkfifo(QFile::encodeName(plain).constData(), 0600) != 0)
            qFatal("cannot make a FIFO");
        return plain;
    case Socket:
        return makeSocket(dir + QStringLiteral("/socket.vnt"));
    case DevNull:
        return QStringLiteral("/dev/null");
    case DevZero:
        return QStringLiteral("/dev/zero");
    case DevUrandom:
        return QStringLiteral("/dev/urandom");
    case ProcFile:
        return QStringLiteral("/proc/self/status");
    case Unreadable:
        writeFile(plain, cyrillicNote());
        QFile::setPermissions(plain, QFileDevice::WriteOwner);
        return plain;
    case Empty:
        writeFile(plain, {});
        return plain;
    case Garbage:
        writeFile(plain, garbage(64 * 1024));
        return plain;
    case GarbageAfterBegin:
        writeFile(plain, "BEGIN:VNOTE\r\n" + garbage(64 * 1024));
        return plain;
    case InvalidUtf8:
        writeFile(plain, note("VERSION:1\xFF"
                              "2\r\n" +
                              BodyMarker + "\r\n=41\xFE=42\r\n"));
        return plain;
    case Utf16LittleEndian:
    case Utf16BigEndian:
        writeFile(plain, utf16(QString::fromUtf8(cyrillicNote()), input == Utf16LittleEndian
                                                                      ? QStringConverter::Utf16LE
                                                                      : QStringConverter::Utf16BE));
        return plain;
    case Utf16LoneSurrogate: {
        QString text = QString::fromUtf8(note("VERSION:1.1\r\n" + BodyMarker + "\r\n=41@=42\r\n"));
        text.replace(u'@', QChar(0xD83D)); // a high surrogate with no low one after it
        QByteArray bytes("\xFF\xFE");
        bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        writeFile(plain, bytes);
        return plain;
    }
    case Utf16OddLength:
        writeFile(plain, utf16(QString::fromUtf8(cyrillicNote()), QStringConverter::Utf16LE) + 'x');
        return plain;
    case LongLine:
        writeFile(plain, QByteArray(OneMegabyte, 'A'));
        return plain;
    case LongBodyLine: {
        QByteArray escapes;
        for (qsizetype i = 0; i < OneMegabyte / 3; ++i)
            escapes += "=41";
        writeFile(plain, note(BodyMarker + "\r\n" + escapes + "\r\n"));
        return plain;
    }
    case LongVersionLine:
        writeFile(plain, note("VERSION:" + QByteArray(OneMegabyte, 'v') + "\r\n"));
        return plain;
    case ManyProperties:
    case ManyVersions: {
        QByteArray lines;
        for (int i = 0; i < ManyLines; ++i)
            lines += (input == ManyProperties ? "X-PROPERTY-" : "VERSION:") +
                     QByteArray::number(i) + "\r\n";
        if (input == ManyProperties)
            lines += "VERSION:2.0\r\n";
        writeFile(plain, note(lines));
        return plain;
    }
    case ManyBodyLines: {
        QByteArray lines = BodyMarker + "\r\n";
        for (int i = 0; i < ManyLines; ++i)
            lines += "=41=\r\n";
        writeFile(plain, note(lines));
        return plain;
    }
    case OverCap:
    case OverCapWithPlaceholders: {
        const QString path = input == OverCap ? plain : dir + QStringLiteral("/%2 note %1.vnt");
        writeSparse(path, TextFileReader::MaxFileSize + 1);
        return path;
    }
    case AtCap:
        writeSparse(plain, TextFileReader::MaxFileSize);
        return plain;
    case PathWithBlanks:
    case PathWithQuotes:
    case PathNonAscii:
    case PathWithNewline:
    case PathWithBackslash:
    case PathLatin1:
    case PathWindows1251: {
        const QString name =
            input == PathWithBlanks    ? QStringLiteral("  my  notes /a note .vnt")
            : input == PathWithQuotes  ? QStringLiteral("\"quoted\"/it's \"a\" note.vnt")
            : input == PathNonAscii    ? QStringLiteral("заметки/Привет ü 日本.vnt")
            : input == PathWithNewline ? QStringLiteral("two\nlines/a\nnote.vnt")
            : input == PathWithBackslash
                ? QStringLiteral("back\\slash\\/a\\note.vnt")
                // "café/Æble.vnt" from a Latin-1 memory card; "Заметки/Привет.vnt" in windows-1251
                : qvFileNameToText(input == PathLatin1 ? "caf\xE9/\xC6"
                                                         "ble.vnt"
                                                       : "\xC7\xE0\xEC\xE5\xF2\xEA\xE8/"
                                                         "\xCF\xF0\xE8\xE2\xE5\xF2.vnt");
        const QString path = dir + u'/' + name;
        ::mkdir(qvTextToFileName(path.first(path.lastIndexOf(u'/'))).constData(), 0700);
        writeFile(path, cyrillicNote());
        return path;
    }
    }
    qFatal("unknown hostile input");
}

bool unblockFifo(const QString &path)
{
    struct stat info
    {
    };
    const QByteArray native = qvTextToFileName(path);
    if (::stat(native.constData(), &info) != 0 || !S_ISFIFO(info.st_mode))
        return false;
    // Opening for reading and writing never waits, and gives a blocked reader its writer.
    const int fd = ::open(native.constData(), O_RDWR | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    return true;
}

FileState FileState::of(const QString &path)
{
    FileState state;
    struct stat info
    {
    };
    const QByteArray native = qvTextToFileName(path);
    if (::lstat(native.constData(), &info) != 0)
        return state;
    state.exists = true;
    state.size = info.st_size;
    state.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    state.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    QFile file;
    const int fd = S_ISREG(info.st_mode) ? ::open(native.constData(), O_RDONLY) : -1;
    if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        state.sha256 = hash.result().toHex();
    }
    return state;
}

HostileFile::~HostileFile()
{
    const auto remove = [](const char *name, const struct stat *, int, FTW *) {
        ::remove(name);
        return 0;
    };
    ::nftw(qvTextToFileName(dir.path()).constData(), remove, 16, FTW_DEPTH | FTW_PHYS);
}

char *toString(const FileState &state)
{
    return qstrdup(QStringLiteral("exists %1, %2 bytes, modified %3, changed %4, sha256 %5")
                       .arg(state.exists)
                       .arg(state.size)
                       .arg(state.modifiedNs)
                       .arg(state.changedNs)
                       .arg(QString::fromLatin1(state.sha256))
                       .toUtf8()
                       .constData());
}

HostileCase fetchHostileCase()
{
    QFETCH(HostileInput, input);
    QFETCH(int, readFailure);
    QFETCH(QString, why);
    QFETCH(QString, message);
    QFETCH(QString, version);
    QFETCH(QString, body);
    return {input, readFailure, why, message, version, body};
}
