// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmark programs share: the clock they measure with and their common option.

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include <ctime>

// The CPU time the calling thread has used, in seconds. CPU time, not wall time: on a shared
// machine the wall time of a run is mostly how long other processes held the core.
inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Takes "--min-seconds S" from the front of `args`: how long each measure runs at least (1 s
// unless given).
inline double takeMinSeconds(QStringList &args)
{
    if (args.size() >= 2 && args.first() == u"--min-seconds") {
        const double seconds = args.at(1).toDouble();
        args = args.mid(2);
        return seconds;
    }
    return 1.0;
}

// The program's arguments after "--min-seconds S" (see takeMinSeconds); false, with `usage`
// printed, when none is left.
inline bool takeArguments(QStringList &args, double &minSeconds, const char *usage)
{
    args = QCoreApplication::arguments().mid(1);
    minSeconds = takeMinSeconds(args);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    return true;
}
