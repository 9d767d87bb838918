// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every fuzz target checks besides the sanitizers: results, and time.

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace fuzzcheck {

// The CPU time an input may take: 100 ms, or 2 s per MiB for a larger one. Under the sanitizers'
// instrumentation, linear work takes up to half a second per MiB (a note on every line being the
// densest), and a loaded machine stretches CPU time too, by about 1.6 with both cores busy; work
// that grows faster than its input misses the limit by far at 1 MiB.
inline double slowSeconds(size_t size)
{
    return std::max(0.1, 2.0 * double(size) / (1024.0 * 1024.0));
}

inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Fails the run, so that libFuzzer keeps the input that caused it.
[[noreturn]] inline void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n%s\n", what, qPrintable(detail.left(2000)));
    std::abort();
}

// Shows where two texts part: the position and a few characters around it, percent-encoded.
inline QString firstDifference(const QString &actual, const QString &expected)
{
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const auto around = [at](const QString &text) {
        const qsizetype from = qMax<qsizetype>(0, at - 8);
        return QString::fromLatin1(text.mid(from, 24).toUtf8().toPercentEncoding(" "));
    };
    return QStringLiteral("sizes %1 and %2, first difference at %3\nactual:   %4\nexpected: %5")
        .arg(actual.size())
        .arg(expected.size())
        .arg(at)
        .arg(around(actual), around(expected));
}

inline void expectEqual(const QString &actual, const QString &expected, const char *what)
{
    if (actual != expected)
        fail(what, firstDifference(actual, expected));
}

// Runs `work` on an input of `size` bytes and fails when it takes more than slowSeconds(size) of
// CPU time twice in a row: CPU time is not stretched by other processes taking turns on the core,
// and the second run rules out a one-off stall. `work` must redo all of it each time.
template <typename Work> void withinTime(size_t size, Work &&work)
{
    const double limit = slowSeconds(size);
    double taken = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const double start = threadCpuSeconds();
        work();
        taken = threadCpuSeconds() - start;
        if (taken <= limit)
            return;
    }
    fail("slow input: over its CPU time limit, twice", QStringLiteral("%1 ms taken, %2 ms allowed")
                                                           .arg(taken * 1000, 0, 'f', 1)
                                                           .arg(limit * 1000));
}

} // namespace fuzzcheck
