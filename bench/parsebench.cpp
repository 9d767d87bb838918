// SPDX-License-Identifier: GPL-3.0-or-later
// Times ParseNote on whole notes held in memory, beside memcpy of the same bytes, and the lenient
// reading of the same notes from their bytes.
//
//     quillet-bench-parse [--min-seconds S] FILE...
//
// For each file, two lines: "parse BYTES SECONDS_PER_PARSE memcpy SECONDS_PER_COPY faults N"
// and "lenient BYTES CPU_SECONDS_PER_READ parse CPU_SECONDS_PER_PARSE strict
// CPU_SECONDS_PER_STRICT_READ". Each time is the fastest of repeated runs (at least five, and at
// least S seconds of runs in all), which is the least disturbed by the other work on the machine; N
// is the page faults of an average parse, the cost of the fresh memory it is given. The lenient
// reading goes from the bytes to the views, and is timed in turn with ParseNote (text to view) and
// with the strict read from the same bytes (decoded to text, then parsed), in CPU time, so that the
// ratios see the same machine.

#include "benchclock.h"
#include "formatstamp.h"
#include "lenientreader.h"
#include "messagesink.h"
#include "noteview.h"
#include "parsenote.h"
#include "textfilereader.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

class CountingSink : public MessageSink
{
public:
    void showCritical(const QString &) override { ++rejected; }
    int rejected = 0;
};

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

template <typename Run> double fastestSeconds(Run &&run, double minSeconds)
{
    constexpr int MinRuns = 5;
    double fastest = 1e30;
    double total = 0;
    for (int runs = 0; runs < MinRuns || total < minSeconds; ++runs) {
        const auto start = Clock::now();
        run();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        fastest = std::min(fastest, seconds);
        total += seconds;
    }
    return fastest;
}

// The least CPU time of each of three, run one after the other in turn. CPU time, not wall time:
// on a shared machine the wall time of a run is mostly how long other processes held the core.
// A small note is read many times a measure: the thread's CPU clock is not kept finely enough
// for one read of a few microseconds, and the least of many such measures falls below the truth.
std::array<double, 3> fastestInTurn(const std::array<std::function<void()>, 3> &runs,
                                    double minSeconds)
{
    constexpr int MinRounds = 10;
    constexpr double MinMeasure = 2e-3;
    double once = threadCpuSeconds();
    runs[0]();
    once = threadCpuSeconds() - once;
    const int repeats = once >= MinMeasure ? 1 : int(MinMeasure / std::max(once, 1e-7)) + 1;
    std::array<double, 3> fastest{1e30, 1e30, 1e30};
    double total = 0;
    for (int round = 0; round < MinRounds || total < 3 * minSeconds; ++round) {
        for (size_t i = 0; i < runs.size(); ++i) {
            const double start = threadCpuSeconds();
            for (int r = 0; r < repeats; ++r)
                runs[i]();
            const double seconds = threadCpuSeconds() - start;
            fastest[i] = std::min(fastest[i], seconds / repeats);
            total += seconds;
        }
    }
    return fastest;
}

bool benchFile(const QString &path, double minSeconds)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QString text = TextFileReader::DecodeText(bytes);

    const DateDisplay display;
    CountingSink sink;
    qsizetype bodySize = 0;
    const long faultsBefore = minorFaults();
    int parses = 0;
    const double parse = fastestSeconds(
        [&] {
            NoteView view;
            if (ParseNote(text, view, display, sink))
                bodySize = view.txtBody.size();
            ++parses;
        },
        minSeconds);
    const long faultsPerParse = (minorFaults() - faultsBefore) / parses;
    if (sink.rejected != 0 || bodySize == 0) {
        std::fprintf(stderr, "%s: not a note with a body\n", qPrintable(path));
        return false;
    }

    std::vector<char> copy(size_t(bytes.size()));
    const double memcpySeconds = fastestSeconds(
        [&] {
            std::memcpy(copy.data(), bytes.constData(), copy.size());
            // Keep the copy observable so that it is not optimised away.
            asm volatile("" : : "r"(copy.data()) : "memory");
        },
        minSeconds);

    std::printf("parse %lld %.9f memcpy %.9f faults %ld\n", static_cast<long long>(bytes.size()),
                parse, memcpySeconds, faultsPerParse);

    qsizetype lenientBodySize = 0;
    const std::array<double, 3> times =
        fastestInTurn({[&] {
                           const LenientReading reading = ReadNotesLenient(bytes, display, sink);
                           lenientBodySize =
                               reading.notes.isEmpty() ? 0 : reading.notes.first().txtBody.size();
                       },
                       [&] {
                           NoteView view;
                           ParseNote(text, view, display, sink);
                       },
                       [&] {
                           NoteView view;
                           ParseNote(TextFileReader::DecodeText(bytes), view, display, sink);
                       }},
                      minSeconds);
    if (lenientBodySize != bodySize) {
        std::fprintf(stderr, "%s: the lenient reading gives another body\n", qPrintable(path));
        return false;
    }
    std::printf("lenient %lld %.9f parse %.9f strict %.9f\n", static_cast<long long>(bytes.size()),
                times[0], times[1], times[2]);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args;
    double minSeconds = 0;
    if (!takeArguments(args, minSeconds, "quillet-bench-parse [--min-seconds S] FILE..."))
        return 2;
    bool ok = true;
    for (const QString &path : args)
        ok = benchFile(path, minSeconds) && ok;
    return ok ? 0 : 1;
}
