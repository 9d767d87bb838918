// SPDX-License-Identifier: GPL-3.0-or-later
// Times the reading of every note of a file from its bytes, as the companion's --lenient does:
// a note file, a calendar or a Gammu backup alike.
//
//     quillet-bench-stream [--min-seconds S] FILE...
//
// For each file one line, "stream BYTES CPU_SECONDS NOTES": the least CPU time of repeated
// readings of all its notes (at least five, and at least S seconds of them in all), files taken
// in turn so that each sees the same machine.
#include "benchclock.h"
#include "formatstamp.h"
#include "lenientreader.h"
#include "messagesink.h"
#include "noteview.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class CountingSink : public MessageSink
{
public:
    void showCritical(const QString &) override { ++rejected; }
    int rejected = 0;
};

// Reads every note of `bytes`; the notes read, or -1 when the file is refused.
qsizetype readAll(const QByteArray &bytes)
{
    CountingSink sink;
    LenientNotes notes(bytes, DateDisplay(), sink);
    if (!notes.accepted())
        return -1;
    notes.count();
    qsizetype read = 0;
    for (NoteView view; notes.next(view);)
        ++read;
    return read;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args;
    double minSeconds = 0;
    if (!takeArguments(args, minSeconds, "quillet-bench-stream [--min-seconds S] FILE..."))
        return 2;
    std::vector<QByteArray> files;
    std::vector<qsizetype> notes;
    for (const QString &path : args) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
            return 1;
        }
        files.push_back(file.readAll());
        notes.push_back(readAll(files.back()));
        if (notes.back() <= 0) {
            std::fprintf(stderr, "%s: no note read\n", qPrintable(path));
            return 1;
        }
    }
    constexpr int MinRounds = 5;
    std::vector<double> fastest(files.size(), 1e30);
    double total = 0;
    for (int round = 0; round < MinRounds || total < minSeconds * double(files.size()); ++round) {
        for (size_t i = 0; i < files.size(); ++i) {
            const double start = threadCpuSeconds();
            readAll(files[i]);
            const double seconds = threadCpuSeconds() - start;
            fastest[i] = std::min(fastest[i], seconds);
            total += seconds;
        }
    }
    for (size_t i = 0; i < files.size(); ++i)
        std::printf("stream %lld %.6f %lld\n", static_cast<long long>(files[i].size()), fastest[i],
                    static_cast<long long>(notes[i]));
    return 0;
}
