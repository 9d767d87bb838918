// SPDX-License-Identifier: GPL-3.0-or-later
#include "standardoutput.h"

#include "terminaltext.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Large enough that a run of small notes costs few writes.
constexpr size_t BufferSize = 64 * 1024;
constexpr qsizetype PieceSize = 1024 * 1024;

} // namespace

void writeError(const QString &text)
{
    const QByteArray bytes = toTerminalText(text + u'\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

StandardOutput::StandardOutput()
{
    // A buffer of our own: given none, the C library keeps to the file's block size, 4 KiB.
    static char buffer[BufferSize];
    std::setvbuf(stdout, buffer, _IOFBF, BufferSize);
}

bool StandardOutput::write(const QByteArray &bytes)
{
    // A large note goes out in pieces: the kernel copies a piece that is still in cache faster
    // than one write of many megabytes.
    for (qsizetype at = 0; !m_failed && at < bytes.size(); at += PieceSize) {
        const auto piece = size_t(std::min(PieceSize, bytes.size() - at));
        if (std::fwrite(bytes.constData() + at, 1, piece, stdout) != piece)
            fail(errno);
    }
    return !m_failed;
}

bool StandardOutput::flush()
{
    if (!m_failed && std::fflush(stdout) != 0)
        fail(errno);
    return !m_failed;
}

bool StandardOutput::close()
{
    flush();
    if (std::fclose(stdout) != 0 && !m_failed)
        fail(errno);
    return !m_failed;
}

void StandardOutput::fail(int error)
{
    m_failed = true;
    if (error != EPIPE)
        writeError(QStringLiteral("Cannot write the output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(error))));
}
