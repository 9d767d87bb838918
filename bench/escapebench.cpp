// SPDX-License-Identifier: GPL-3.0-or-later
// Times decodeEscapeRun against the plain loop, decodeEscapesOneByOne, on runs of escapes between
// literal words: short ones, as in the text of programs that escape only what is not ASCII, and
// runs as long as a line.
//
//     quillet-bench-escapes [--min-seconds S] SHORTEST[-LONGEST]...
//
// For each range of run lengths, one line: "escapes RANGE run SECONDS plain SECONDS", the CPU
// time of one pass over the text with each, the least of repeated passes in turn. The pass calls
// the decoder where a body decoder does, at an escape whose two digits another "=" follows, so
// that each call decodes one of the run lengths.

#include "benchclock.h"
#include "escaperun.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// 1 MiB of lines of at most 76 characters (or one word and its run, when they are longer): words
// of two to eight letters, each followed by a run of `shortest` to `longest` escapes and one more
// escape that no "=" follows, the lengths mixed as in text, so that no branch learns them.
QByteArray escapedText(int shortest, int longest)
{
    constexpr qsizetype Size = 1024 * 1024;
    constexpr qsizetype Columns = 76;
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray text;
    text.reserve(Size + 1024);
    qsizetype lineStart = 0;
    unsigned random = 20130403;
    for (unsigned i = 0; text.size() < Size; ++i) {
        random = random * 1103515245u + 12345u;
        const qsizetype word = 2 + (random >> 8) % 7;
        const int length = shortest + int((random >> 16) % unsigned(longest - shortest + 1));
        if (text.size() + word + 3 * (length + 1) - lineStart > Columns &&
            text.size() > lineStart) {
            text += "\r\n";
            lineStart = text.size();
        }
        for (qsizetype c = 0; c < word; ++c)
            text += char('a' + (i + c) % 26);
        for (int e = 0; e <= length; ++e) {
            const unsigned octet = (i * 37 + unsigned(e) * 11) & 0xFF;
            text += '=';
            text += Hex[octet >> 4];
            text += Hex[octet & 0xF];
        }
    }
    return text;
}

// One pass over the text, as a body decoder reads its lines: literal text skipped up to the next
// "=", the decoder called after a whole escape that another "=" follows, on the rest of the line.
template <typename Decode> qsizetype pass(const QByteArray &text, char *out, Decode decode)
{
    qsizetype octets = 0;
    const char *p = text.constData();
    const char *const end = p + text.size();
    while (p < end) {
        const auto *lineEnd = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
        if (lineEnd == nullptr)
            lineEnd = end;
        for (;;) {
            const auto *equals =
                static_cast<const char *>(std::memchr(p, '=', size_t(lineEnd - p)));
            if (equals == nullptr)
                break;
            p = equals + 1;
            if (lineEnd - p >= 3 && p[2] == '=' && hexValue(p[0]) >= 0 && hexValue(p[1]) >= 0) {
                const qsizetype escapes = decode(p, (lineEnd - p) / 3, out + octets);
                octets += escapes;
                p += 3 * escapes;
            }
        }
        p = lineEnd + 2;
    }
    return octets;
}

// Each called, not inlined into the pass, so that neither gains from where the other's code lies.
[[gnu::noinline]] qsizetype decodeRun(const char *p, qsizetype escapes, char *out)
{
    return decodeEscapeRun(p, escapes, out);
}

[[gnu::noinline]] qsizetype decodePlain(const char *p, qsizetype escapes, char *out)
{
    return decodeEscapesOneByOne(p, escapes, out);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args;
    double minSeconds = 0;
    if (!takeArguments(args, minSeconds,
                       "quillet-bench-escapes [--min-seconds S] SHORTEST[-LONGEST]..."))
        return 2;
    for (const QString &arg : args) {
        const QStringList bounds = arg.split(u'-');
        const int shortest = bounds.first().toInt();
        const int longest = bounds.last().toInt();
        if (bounds.size() > 2 || shortest < 1 || longest < shortest) {
            std::fprintf(stderr, "quillet-bench-escapes: not a range of run lengths: %s\n",
                         qPrintable(arg));
            return 2;
        }
        const QByteArray text = escapedText(shortest, longest);
        std::vector<char> run(size_t(text.size()));
        std::vector<char> plain(size_t(text.size()));
        double fastest[2] = {1e30, 1e30};
        qsizetype octets[2] = {0, 0};
        double total = 0;
        for (int round = 0; round < 10 || total < 2 * minSeconds; ++round) {
            for (int which = 0; which < 2; ++which) {
                const double start = threadCpuSeconds();
                octets[which] = which == 0 ? pass(text, run.data(), decodeRun)
                                           : pass(text, plain.data(), decodePlain);
                const double seconds = threadCpuSeconds() - start;
                fastest[which] = std::min(fastest[which], seconds);
                total += seconds;
            }
        }
        if (octets[0] != octets[1] ||
            !std::equal(run.begin(), run.begin() + octets[0], plain.begin())) {
            std::fprintf(stderr, "quillet-bench-escapes: the decoders differ on runs of %s\n",
                         qPrintable(arg));
            return 1;
        }
        std::printf("escapes %s run %.9f plain %.9f\n", qPrintable(arg), fastest[0], fastest[1]);
        std::fflush(stdout);
    }
    return 0;
}
