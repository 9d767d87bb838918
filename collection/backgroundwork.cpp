// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundwork.h"

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Nice enough that the user-interface thread gets three times their share of a busy core, not so
// nice that other programs keeping the machine busy starve the search.
constexpr int BackgroundNice = 5;
// A search on every core, and room beside it for the listing that a step waits for.
constexpr int ThreadsBesideTheCores = 2;

} // namespace

QThreadPool &BackgroundPool()
{
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(std::max(1, QThread::idealThreadCount()) + ThreadsBesideTheCores);
        return made;
    }();
    return *pool;
}

void LowerThreadPriority()
{
    // On Linux each thread has a nice value of its own, which PRIO_PROCESS with the thread's id
    // sets.
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    if (errno == 0 && nice < BackgroundNice)
        ::setpriority(PRIO_PROCESS, thread, BackgroundNice);
}
