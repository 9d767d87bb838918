// SPDX-License-Identifier: GPL-3.0-or-later
#include "vnoteblocks.h"

#include <algorithm>
#include <cstring>

namespace {

bool isBlankOrCr(char c)
{
    return isBlankOrTab(c) || c == '\r';
}

bool isBlankLine(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), isBlankOrCr);
}

// Where the line that holds `at` starts: after the line end before it, but not before `floor`,
// which is a line start.
const char *lineStart(const char *floor, const char *at, LineEnds ends)
{
    if (ends == LineEnds::LineFeed) {
        const auto *lf = static_cast<const char *>(memrchr(floor, '\n', size_t(at - floor)));
        return lf == nullptr ? floor : lf + 1;
    }
    while (at > floor && at[-1] != '\r' && at[-1] != '\n')
        --at;
    return at;
}

// The last line that is not blank, or an empty view.
QByteArrayView lastLine(QByteArrayView bytes, LineEnds ends)
{
    const char *const first = bytes.data();
    const char *last = first + bytes.size();
    while (last > first && (isBlankOrCr(last[-1]) || last[-1] == '\n'))
        --last;
    if (last == first)
        return {};
    ByteLines lines(QByteArrayView(lineStart(first, last - 1, ends), first + bytes.size()), ends);
    QByteArrayView line;
    lines.next(line);
    return line;
}

} // namespace

MarkerLine markerLine(QByteArrayView line)
{
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && isBlankOrCr(line[from]))
        ++from;
    // Most lines are values: only a line that starts like a marker is compared.
    if (from == to || ((line[from] | 0x20) != 'b' && (line[from] | 0x20) != 'e'))
        return MarkerLine::None;
    while (isBlankOrCr(line[to - 1]))
        --to;
    const QByteArrayView word = line.sliced(from, to - from);
    if (equalsIgnoringCase(word, "BEGIN:VNOTE"))
        return MarkerLine::Begin;
    if (equalsIgnoringCase(word, "END:VNOTE"))
        return MarkerLine::End;
    return MarkerLine::None;
}

VNoteFile CheckVNoteMarkers(QByteArrayView bytes)
{
    VNoteFile file;
    file.lineEnds = DetectLineEnds(bytes);
    ByteLines lines(bytes, file.lineEnds);
    QByteArrayView first;
    while (lines.next(first) && isBlankLine(first)) {
    }
    if (markerLine(first) != MarkerLine::Begin) {
        file.problem = VNoteFile::Problem::BeginMissing;
        return file;
    }
    if (markerLine(lastLine(bytes, file.lineEnds)) != MarkerLine::End)
        file.problem = VNoteFile::Problem::EndMissing;
    file.firstNote = lines.position();
    return file;
}

const char *NextNoteStart(QByteArrayView rest, LineEnds ends)
{
    // Every marker line holds a colon: only the lines with one are looked at, each once.
    const char *from = rest.data();
    const char *const end = from + rest.size();
    while (const auto *colon =
               static_cast<const char *>(std::memchr(from, ':', size_t(end - from)))) {
        ByteLines lines(QByteArrayView(lineStart(from, colon, ends), end), ends);
        QByteArrayView line;
        lines.next(line);
        from = lines.position();
        if (markerLine(line) == MarkerLine::Begin)
            return from;
    }
    return nullptr;
}
