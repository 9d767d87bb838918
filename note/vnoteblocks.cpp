#include "vnoteblocks.h"

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

} // namespace

VNoteBlocks FindVNoteBlocks(QByteArrayView bytes)
{
    VNoteBlocks found;
    found.lineEnds = DetectLineEnds(bytes);
    ByteLines lines(bytes, found.lineEnds);
    LineKind first = LineKind::Blank;
    LineKind last = LineKind::Blank;
    const char *open = nullptr; // where the open block's lines start
    for (QByteArrayView line; lines.next(line);) {
        const LineKind kind = kindOf(line);
        if (kind == LineKind::Blank)
            continue;
        if (first == LineKind::Blank) {
            first = kind;
            if (kind != LineKind::Begin) {
                found.problem = VNoteBlocks::Problem::BeginMissing;
                return found;
            }
        }
        last = kind;
        if (kind == LineKind::Begin) {
            if (open != nullptr)
                found.notes.append(QByteArrayView(open, line.data()));
            open = lines.position();
        } else if (kind == LineKind::End && open != nullptr) {
            found.notes.append(QByteArrayView(open, line.data()));
            open = nullptr;
        }
    }
    if (first != LineKind::Begin)
        found.problem = VNoteBlocks::Problem::BeginMissing;
    else if (last != LineKind::End)
        found.problem = VNoteBlocks::Problem::EndMissing;
    if (found.problem != VNoteBlocks::Problem::None)
        found.notes.clear();
    return found;
}
