// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfilereader.h"

#include "qverror.h"
#include "qvfilename.h"
#include "qvutf8.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LeByteOrderMark("\xFF\xFE");
constexpr QByteArrayView Utf16BeByteOrderMark("\xFE\xFF");
// Large enough that a read costs little per byte, small enough to stay in cache.
constexpr qsizetype ReadChunkSize = 1024 * 1024;
constexpr qint64 Mebibyte = 1024 * 1024;

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failOpen(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        throw QvError(TextFileReader::NotFound, QStringLiteral("Файл не найден: %1").arg(path));
    case EACCES:
    case EPERM:
        throw QvError(TextFileReader::AccessDenied,
                      QStringLiteral("Нет прав на чтение файла: %1").arg(path));
    case EISDIR:
        throw QvError(TextFileReader::IsDirectory,
                      QStringLiteral("Это папка, а не файл: %1").arg(path));
    default:
        throw QvError(
            TextFileReader::InputOutputError,
            QStringLiteral("Файл не открывается: %1 (%2)").arg(path, systemMessage(error)));
    }
}

// Directories, FIFOs, sockets and devices are refused by their type alone.
void checkType(const QString &path, const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        throw QvError(TextFileReader::IsDirectory,
                      QStringLiteral("Это папка, а не файл: %1").arg(path));
    if (!S_ISREG(info.st_mode))
        throw QvError(
            TextFileReader::NotRegularFile,
            QStringLiteral("Это не обычный файл (канал, сокет или устройство): %1").arg(path));
}

[[noreturn]] void failTooLarge(const QString &path, qint64 cap)
{
    const QString limit = cap % Mebibyte == 0 ? QStringLiteral("%1 МиБ").arg(cap / Mebibyte)
                                              : QStringLiteral("%1 Б").arg(cap);
    // One substitution for both, so that a path holding "%1" is shown as it is.
    throw QvError(TextFileReader::TooLarge, QStringLiteral("Файл больше %1: %2").arg(limit, path));
}

} // namespace

// A note file opened for reading, and the cap that everything about it is held to: the size
// looked at before opening, the size of what was opened (the file may have been swapped
// between the two) and the bytes actually read (it may grow while it is read).
class CappedFile
{
public:
    CappedFile(const QString &path, const TextFileReader &reader)
        : m_path(path), m_cap(reader.maxFileSize())
    {
        const QByteArray native = qvTextToFileName(path);
        if (path.isEmpty() || native.contains('\0'))
            failOpen(path, ENOENT); // no file has such a name
        constexpr int Flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        struct stat info
        {
        };
        if (reader.opening() == TextFileReader::Opening::ListedFile)
            m_fd = ::open(native.constData(), Flags | O_NOFOLLOW);
        if (m_fd < 0) {
            // Look before opening: opening a FIFO for reading could wait for a writer, and
            // opening a device can do something.
            if (::stat(native.constData(), &info) != 0)
                failOpen(path, errno);
            checkType(path, info);
            checkSize(info);
            // The file may have been swapped since: never block, and look again at what was
            // opened.
            m_fd = ::open(native.constData(), Flags);
        }
        if (m_fd < 0)
            failOpen(path, errno);
        try {
            if (::fstat(m_fd, &info) != 0)
                failOpen(path, errno);
            checkType(path, info);
            checkSize(info);
        } catch (...) {
            ::close(m_fd); // no destructor runs for an object not made
            throw;
        }
        m_size = info.st_size;
    }
    ~CappedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CappedFile(const CappedFile &) = delete;
    CappedFile &operator=(const CappedFile &) = delete;

    // The size the opened file reported, within the cap. Files such as those in /proc report 0.
    [[nodiscard]] qint64 size() const { return m_size; }

    // Reads into `buffer` until it is full or the file ends; returns the bytes read. With
    // `whole`, a read that stops short at the size the opened file reported is taken as its end
    // without asking again: a regular file reads short only at its end.
    QByteArrayView fill(QByteArray &buffer, bool whole = false)
    {
        const qsizetype end = whole && m_size > 0 ? qsizetype(m_size) : -1;
        const QByteArrayView read = readInto(
            buffer, [this](char *to, size_t length, qsizetype) { return ::read(m_fd, to, length); },
            end);
        m_read += read.size();
        if (m_read > m_cap)
            failTooLarge(m_path, m_cap);
        return read;
    }

    // Reads from `offset` on into `buffer` until it is full or the file ends, without moving
    // the position fill() reads from; returns the bytes read.
    QByteArrayView readAt(qint64 offset, QByteArray &buffer) const
    {
        return readInto(buffer, [this, offset](char *to, size_t length, qsizetype done) {
            return ::pread(m_fd, to, length, off_t(offset + done));
        });
    }

private:
    // Fills `buffer` with `read` (to, length, bytes done so far) until it is full or the file
    // ends; returns the bytes read.
    template <typename Read>
    QByteArrayView readInto(QByteArray &buffer, Read read, qsizetype end = -1) const
    {
        qsizetype used = 0;
        while (used < buffer.size() && used != end) {
            const ssize_t got = read(buffer.data() + used, size_t(buffer.size() - used), used);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw QvError(TextFileReader::InputOutputError,
                              QStringLiteral("Ошибка чтения файла: %1 (%2)")
                                  .arg(m_path, systemMessage(errno)));
            if (got == 0)
                break;
            used += got;
        }
        return {buffer.constData(), used};
    }

    void checkSize(const struct stat &info) const
    {
        if (info.st_size > m_cap)
            failTooLarge(m_path, m_cap);
    }

    const QString &m_path;
    qint64 m_cap;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_read = 0;
};

namespace {

// A buffer for reading `file`: a small file is read at once, in a buffer of its size and one
// byte more to see its end; a large one, or one that reports no size, a chunk at a time.
QByteArray readBuffer(const CappedFile &file)
{
    const qsizetype size =
        file.size() > 0 && file.size() < ReadChunkSize ? qsizetype(file.size()) + 1 : ReadChunkSize;
    return {size, Qt::Uninitialized};
}

// Runs a read; memory running out on the way is that read's failure, not the program's.
template <typename Read> auto reportingMemory(Read &&read)
{
    try {
        return read();
    } catch (const std::bad_alloc &) {
        throw TextFileReader::outOfMemory();
    }
}

} // namespace

TextFileReader::TextFileReader(qint64 maxFileSize, Opening opening)
    : m_maxFileSize(maxFileSize), m_opening(opening)
{
}

TextFileReader &TextFileReader::shared()
{
    static TextFileReader reader;
    return reader;
}

TextFileReader &TextFileReader::sharedForListedFiles()
{
    static TextFileReader reader(MaxFileSize, Opening::ListedFile);
    return reader;
}

QvError TextFileReader::outOfMemory()
{
    return {OutOfMemory, QStringLiteral("Недостаточно памяти для чтения файла.")};
}

QByteArray TextFileReader::ReadAllBytes(const QString &path) const
{
    return TextFilePieces(*this, path).readAll();
}

TextFilePieces::TextFilePieces(const TextFileReader &reader, const QString &path,
                               qsizetype pieceSize)
    : m_path(path), m_pieceSize(std::max<qsizetype>(pieceSize, 1))
{
    reportingMemory([&] {
        m_file = std::make_unique<CappedFile>(m_path, reader);
        return 0;
    });
}

TextFilePieces::~TextFilePieces() = default;

qint64 TextFilePieces::size() const
{
    return m_file->size();
}

QByteArrayView TextFilePieces::readAt(qint64 offset, QByteArray &buffer) const
{
    return m_file->readAt(offset, buffer);
}

QByteArray TextFilePieces::readAll()
{
    return reportingMemory([&] {
        CappedFile &file = *m_file;
        // Straight into the result, with a byte more than the file's size, which a file that has
        // grown since fills.
        QByteArray bytes(file.size() + 1, Qt::Uninitialized);
        const qsizetype first = file.fill(bytes, true).size();
        if (first < bytes.size()) {
            bytes.resize(first);
            return bytes;
        }
        // The file has grown since, or reports no size: the rest a chunk at a time.
        QByteArray chunk = readBuffer(file);
        for (QByteArrayView read = file.fill(chunk);; read = file.fill(chunk)) {
            bytes.append(read);
            if (read.size() < chunk.size())
                break;
        }
        return bytes;
    });
}

QByteArrayView TextFilePieces::next()
{
    return reportingMemory([&] {
        if (m_piece.isEmpty())
            m_piece.resize(m_pieceSize);
        return m_file->fill(m_piece);
    });
}

QString TextFileReader::ReadAllText(const QString &path) const
{
    return reportingMemory([&] {
        CappedFile file(path, *this);
        QByteArray chunk = readBuffer(file);
        QByteArrayView bytes = file.fill(chunk);
        if (bytes.size() < chunk.size() || bytes.startsWith(Utf16LeByteOrderMark) ||
            bytes.startsWith(Utf16BeByteOrderMark)) {
            // Read whole: a file of one chunk, or UTF-16, which is rare enough to be decoded at
            // once.
            QByteArray all = bytes.toByteArray();
            while (bytes.size() == chunk.size()) {
                bytes = file.fill(chunk);
                all.append(bytes);
            }
            return DecodeText(all);
        }
        // A UTF-8 file, by far the most common, is decoded chunk by chunk as it is read, so that
        // a large one is never held as bytes and as text at once.
        QvUtf8Decoder decoder;
        decoder.reserve(std::max<qint64>(file.size(), chunk.size()));
        if (bytes.startsWith(Utf8ByteOrderMark))
            bytes = bytes.sliced(Utf8ByteOrderMark.size());
        while (!bytes.isEmpty()) {
            decoder.append(bytes);
            bytes = file.fill(chunk);
        }
        return decoder.finish();
    });
}

QString TextFileReader::DecodeText(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8ByteOrderMark))
        return qvUTF8ToUNICODE(bytes.sliced(Utf8ByteOrderMark.size()));
    const auto decodeUtf16 = [bytes](QStringConverter::Encoding encoding) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        return QString(decoder.decode(bytes.sliced(2)));
    };
    if (bytes.startsWith(Utf16LeByteOrderMark))
        return decodeUtf16(QStringConverter::Utf16LE);
    if (bytes.startsWith(Utf16BeByteOrderMark))
        return decodeUtf16(QStringConverter::Utf16BE);
    return qvUTF8ToUNICODE(bytes);
}
