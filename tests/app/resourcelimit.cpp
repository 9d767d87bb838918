// SPDX-License-Identifier: GPL-3.0-or-later
#include "resourcelimit.h"

#include <QFile>

#include <csignal>

namespace {

// How much address space the process has mapped, from the kernel's own count.
qint64 mappedBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

} // namespace

ResourceLimit::ResourceLimit(int resource, rlim_t soft) : m_resource(resource)
{
    // A write past the size limit fails with EFBIG, once the signal that would end the process
    // is off.
    if (resource == RLIMIT_FSIZE)
        std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(m_resource, &m_saved);
    const rlimit limited{soft, m_saved.rlim_max};
    setrlimit(m_resource, &limited);
}

ResourceLimit::~ResourceLimit()
{
    setrlimit(m_resource, &m_saved);
}

rlim_t ResourceLimit::mappedPlus(qint64 budget)
{
    return rlim_t(mappedBytes() + budget);
}
