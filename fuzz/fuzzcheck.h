// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every fuzz target checks besides the sanitizers: results, and time.

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace fuzzcheck {

// Any input of 1 MiB or less must be handled within this much CPU time.
inline constexpr double SlowSeconds = 0.1;

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

// Runs `work` and fails when it takes more than SlowSeconds of CPU time twice in a row: CPU
// time is not stretched by other processes, and the second run rules out a one-off stall.
template <typename Work> void withinTime(Work &&work)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const double start = threadCpuSeconds();
        work();
        if (threadCpuSeconds() - start <= SlowSeconds)
            return;
    }
    fail("slow input: over 100 ms of CPU time, twice");
}

} // namespace fuzzcheck
