// SPDX-License-Identifier: GPL-3.0-or-later
// The scan for notes inside any file: a clear result within the time limit, no more notes than
// the first pass counted, and the same notes whether the file is read in pieces of a mebibyte or
// in pieces only a few markers long, where every marker and note may cross from one to the next.

#include "embeddednotes.h"
#include "fuzzcheck.h"
#include "fuzznotes.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The scan reads a file by its name: the input goes to a file in memory, written afresh each time.
const QString &inputPath()
{
    static const QString path = [] {
        const int fd = memfd_create("fuzz_scan", 0);
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        return QStringLiteral("/proc/self/fd/%1").arg(fd);
    }();
    return path;
}

void writeInput(const unsigned char *data, size_t size)
{
    const int fd = inputPath().sliced(inputPath().lastIndexOf(u'/') + 1).toInt();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) {
        std::perror("writing the input");
        std::abort();
    }
}

QString described(const NoteView &note)
{
    return note.txtVersion + u'|' + note.txtDateCreated + u'|' + note.txtDateModified + u'|' +
           note.notice + u'|' + note.txtBody;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    static const DateDisplay display = fuzzcheck::berlinDisplay(false);
    writeInput(data, size);

    qsizetype counted = 0;
    qsizetype read = 0;
    fuzzcheck::withinTime(size, [&] {
        EmbeddedNotes embedded(inputPath(), display);
        counted = embedded.count();
        read = 0;
        for (NoteView note; embedded.next(note);)
            ++read;
    });
    if (read > counted)
        fuzzcheck::fail("notes read against markers counted",
                        QStringLiteral("%1 counted, %2 read").arg(counted).arg(read));

    // Side by side, so that no note need be kept: pieces as small as the scan allows.
    EmbeddedNotes whole(inputPath(), display);
    EmbeddedNotes pieces(inputPath(), display, TextFileReader::Opening::LookFirst, 64);
    if (pieces.count() != counted)
        fuzzcheck::fail("markers counted in small pieces against large ones",
                        QStringLiteral("%1 against %2").arg(pieces.count()).arg(counted));
    for (;;) {
        NoteView large;
        NoteView small;
        const bool more = whole.next(large);
        if (pieces.next(small) != more)
            fuzzcheck::fail("notes read in small pieces against large ones");
        if (!more)
            break;
        fuzzcheck::expectEqual(described(small), described(large),
                               "a note read in small pieces against large ones");
    }
    return 0;
}
