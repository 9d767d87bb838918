#include "vnoteblocks.h"

#include <cstring>

namespace {

enum class LineKind { Blank, Begin, End, Other };

bool isBlankOrCr(char c)
{
    return isBlankOrTab(c) || c == '\r';
}

LineKind kindOf(QByteArrayView line)
{
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && isBlankOrCr(line[from]))
        ++from;
    if (from == to)
        return LineKind::Blank;
    // Most lines are values: only a line that starts like a marker is compared.
    const char first = line[from];
    if (first != 'B' && first != 'b' && first != 'E' && first != 'e')
        return LineKind::Other;
    while (isBlankOrCr(line[to - 1]))
        --to;
    const QByteArrayView word = line.sliced(from, to - from);
    if (equalsIgnoringCase(word, "BEGIN:VNOTE"))
        return LineKind::Begin;
    if (equalsIgnoringCase(word, "END:VNOTE"))
        return LineKind::End;
    return LineKind::Other;
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

// The kind of the last line that is not blank.
LineKind lastKind(QByteArrayView bytes, LineEnds ends)
{
    const char *const first = bytes.data();
    const char *last = first + bytes.size();
    while (last > first && (isBlankOrCr(last[-1]) || last[-1] == '\n'))
        --last;
    if (last == first)
        return LineKind::Blank;
    const char *const start = lineStart(first, last - 1, ends);
    ByteLines lines(QByteArrayView(start, first + bytes.size()), ends);
    QByteArrayView line;
    lines.next(line);
    return kindOf(line);
}

} // namespace

VNoteBlocks FindVNoteBlocks(QByteArrayView bytes)
{
    VNoteBlocks found;
    found.lineEnds = DetectLineEnds(bytes);
    ByteLines lines(bytes, found.lineEnds);
    LineKind first = LineKind::Blank;
    for (QByteArrayView line; first == LineKind::Blank && lines.next(line);)
        first = kindOf(line);
    if (first != LineKind::Begin) {
        found.problem = VNoteBlocks::Problem::BeginMissing;
        return found;
    }
    if (lastKind(bytes, found.lineEnds) != LineKind::End) {
        found.problem = VNoteBlocks::Problem::EndMissing;
        return found;
    }

    // Every marker line holds a colon, and the lines of a note body seldom do: only the lines
    // with one are looked at, each once.
    const char *const end = bytes.data() + bytes.size();
    const char *open = lines.position(); // where the open block's lines start
    const char *from = open;
    while (const auto *colon =
               static_cast<const char *>(std::memchr(from, ':', size_t(end - from)))) {
        const char *const start = lineStart(from, colon, found.lineEnds);
        ByteLines rest(QByteArrayView(start, end), found.lineEnds);
        QByteArrayView line;
        rest.next(line);
        from = rest.position();
        const LineKind kind = kindOf(line);
        if (kind == LineKind::Begin) {
            if (open != nullptr)
                found.notes.append(QByteArrayView(open, start));
            open = from;
        } else if (kind == LineKind::End && open != nullptr) {
            found.notes.append(QByteArrayView(open, start));
            open = nullptr;
        }
    }
    return found;
}
