// SPDX-License-Identifier: GPL-3.0-or-later
#include "progressline.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 RedrawMilliseconds = 200;

// Whether standard output and standard error go to one terminal, however each was opened.
bool outputOnErrorTerminal()
{
    struct stat output
    {
    };
    struct stat error
    {
    };
    if (::fstat(STDOUT_FILENO, &output) != 0 || ::fstat(STDERR_FILENO, &error) != 0)
        return false;
    if (S_ISCHR(output.st_mode) && S_ISCHR(error.st_mode))
        return output.st_rdev == error.st_rdev;
    return output.st_dev == error.st_dev && output.st_ino == error.st_ino;
}

} // namespace

ProgressLine::ProgressLine(qsizetype total, bool writesOutput, qsizetype threshold)
    : m_shown(total > threshold && ::isatty(STDERR_FILENO) == 1 &&
              !(writesOutput && outputOnErrorTerminal())),
      m_total(total)
{
    m_clock.start();
}

void ProgressLine::advance(qsizetype done)
{
    if (!m_shown)
        return;
    const qint64 now = m_clock.elapsed();
    if (now - m_lastDraw < RedrawMilliseconds && done != m_total)
        return;
    m_lastDraw = now;
    const double perSecond = now > 0 ? double(done) * 1000.0 / double(now) : 0.0;
    const QByteArray line = QStringLiteral("\rЗаметок: %1 из %2, %3 в секунду\x1B[K")
                                .arg(done)
                                .arg(m_total)
                                .arg(qRound64(perSecond))
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressLine::clear()
{
    if (!m_drawn)
        return;
    std::fputs("\r\x1B[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}
