// SPDX-License-Identifier: GPL-3.0-or-later
#include "standardoutput.h"

#include "terminaltext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Large enough that a run of small notes costs few writes.
constexpr size_t BufferSize = 64 * 1024;

} // namespace

void writeError(const QString &text)
{
    const QByteArray bytes = toTerminalText(text + u'\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

StandardOutput::StandardOutput()
{
    std::setvbuf(stdout, nullptr, _IOFBF, BufferSize);
}

bool StandardOutput::write(const QByteArray &bytes)
{
    if (!m_failed &&
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        fail(errno);
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
