// SPDX-License-Identifier: GPL-3.0-or-later
#include "notefilecheck.h"

#include "notefilenames.h"
#include "qvfilename.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file's text unit by unit: octets, or UTF-16 units when the file starts with their
// byte-order mark (a UTF-8 one is passed over). Only ASCII matters here, so that is enough.
class Units
{
public:
    explicit Units(int fd) : m_fd(fd)
    {
        if (take("\xEF\xBB\xBF")) {
        } else if (take("\xFF\xFE")) {
            m_width = 2;
        } else if (take("\xFE\xFF")) {
            m_width = 2;
            m_bigEndian = true;
        }
    }

    // The next unit, or -1 at the end (or when the file cannot be read).
    int next()
    {
        if (!have(m_width))
            return -1;
        const auto octet = [this](qsizetype at) {
            return int(uchar(m_buffer[size_t(at)]));
        };
        const int unit = m_width == 1  ? octet(m_at)
                         : m_bigEndian ? octet(m_at) << 8 | octet(m_at + 1)
                                       : octet(m_at + 1) << 8 | octet(m_at);
        m_at += m_width;
        return unit;
    }

private:
    // Whether `count` octets are at hand, reading more when not.
    bool have(qsizetype count)
    {
        if (m_size - m_at >= count)
            return true;
        std::copy(m_buffer.begin() + m_at, m_buffer.begin() + m_size, m_buffer.begin());
        m_size -= m_at;
        m_at = 0;
        while (m_size < count) {
            const ssize_t got = ::read(m_fd, m_buffer.data() + m_size, m_buffer.size() - m_size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            m_size += got;
        }
        return true;
    }

    bool take(QByteArrayView mark)
    {
        if (!have(mark.size()) || QByteArrayView(m_buffer.data() + m_at, mark.size()) != mark)
            return false;
        m_at += mark.size();
        return true;
    }

    int m_fd;
    std::array<char, 4096> m_buffer{};
    qsizetype m_at = 0;
    qsizetype m_size = 0;
    qsizetype m_width = 1;
    bool m_bigEndian = false;
};

bool isBlank(int unit)
{
    return unit == ' ' || unit == '\t';
}

} // namespace

bool namedAsNote(QStringView path)
{
    // Every kind, whatever the reading: a phone's file is never written over.
    return hasNoteFileSuffix(path, true);
}

bool startsAsNote(int fd)
{
    Units units(fd);
    int unit = units.next();
    while (isBlank(unit) || unit == '\r' || unit == '\n')
        unit = units.next();
    for (const char marker : QByteArrayView("begin:vnote")) {
        // Letters in either case: ASCII's case bit, on units that are letters there.
        if (unit < 0 || unit > 0x7F || (unit | (marker >= 'a' ? 0x20 : 0)) != marker)
            return false;
        unit = units.next();
    }
    while (isBlank(unit))
        unit = units.next();
    return unit < 0 || unit == '\r' || unit == '\n';
}

bool isNoteFile(const QString &path)
{
    if (namedAsNote(path))
        return true;
    // Not blocking on a FIFO; only a regular file's lines are looked at.
    const int fd = ::open(qvTextToFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    const bool note = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && startsAsNote(fd);
    ::close(fd);
    return note;
}
