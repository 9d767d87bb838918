#include "textfilereader.h"

#include "qverror.h"
#include "qvutf8.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LeByteOrderMark("\xFF\xFE");
constexpr QByteArrayView Utf16BeByteOrderMark("\xFE\xFF");
// Large enough that a read costs little per byte, small enough to stay in cache.
constexpr qsizetype ReadChunkSize = 1024 * 1024;

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

[[noreturn]] void failTooLarge(const QString &path)
{
    throw QvError(TextFileReader::TooLarge, QStringLiteral("Файл больше %1 МиБ: %2")
                                                .arg(TextFileReader::MaxFileSize / (1024 * 1024))
                                                .arg(path));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

TextFileReader &TextFileReader::shared()
{
    static TextFileReader reader;
    return reader;
}

QvError TextFileReader::outOfMemory()
{
    return {OutOfMemory, QStringLiteral("Недостаточно памяти для чтения файла.")};
}

QString TextFileReader::ReadAllText(const QString &path) const
{
    if (path.isEmpty())
        failOpen(path, ENOENT);
    const QByteArray nativePath = QFile::encodeName(path);

    // Look before opening: opening a FIFO for reading could wait for a writer.
    struct stat info
    {
    };
    if (::stat(nativePath.constData(), &info) != 0)
        failOpen(path, errno);
    checkType(path, info);
    if (info.st_size > MaxFileSize)
        failTooLarge(path);

    // The file may have been swapped since: never block, and look again at what was opened.
    const FileDescriptor file(
        ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        failOpen(path, errno);
    if (::fstat(file.get(), &info) != 0)
        failOpen(path, errno);
    checkType(path, info);

    // A UTF-8 file, by far the most common, is decoded chunk by chunk as it is read, so that a
    // large one is never held as bytes and as text at once. A small file is read at once, in a
    // buffer of its size and one byte more to see its end. Files such as those in /proc report
    // no size, so read until the end, within the cap.
    const qsizetype chunkSize = info.st_size > 0 && info.st_size < ReadChunkSize
                                    ? qsizetype(info.st_size) + 1
                                    : ReadChunkSize;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    qint64 total = 0;
    const auto readChunk = [&] {
        qsizetype used = 0;
        while (used < chunk.size()) {
            const ssize_t got =
                ::read(file.get(), chunk.data() + used, size_t(chunk.size() - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw QvError(
                    InputOutputError,
                    QStringLiteral("Ошибка чтения файла: %1 (%2)").arg(path, systemMessage(errno)));
            if (got == 0)
                break;
            used += got;
            total += got;
            if (total > MaxFileSize)
                failTooLarge(path);
        }
        return QByteArrayView(chunk.constData(), used);
    };

    QByteArrayView bytes = readChunk();
    if (bytes.size() < chunk.size() || bytes.startsWith(Utf16LeByteOrderMark) ||
        bytes.startsWith(Utf16BeByteOrderMark)) {
        // Read whole: a file of one chunk, or UTF-16, which is rare enough to be decoded at once.
        QByteArray all = bytes.toByteArray();
        while (bytes.size() == chunk.size()) {
            bytes = readChunk();
            all.append(bytes);
        }
        return DecodeText(all);
    }
    QvUtf8Decoder decoder;
    decoder.reserve(qMax<qint64>(info.st_size, chunk.size()));
    if (bytes.startsWith(Utf8ByteOrderMark))
        bytes = bytes.sliced(Utf8ByteOrderMark.size());
    while (!bytes.isEmpty()) {
        decoder.append(bytes);
        bytes = readChunk();
    }
    return decoder.finish();
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
