#pragma once

#include "bytelines.h"

#include <QByteArrayView>
#include <QList>

// The VNOTE blocks of a note file, found before any value is read, so that no soft break or
// folded line can run past an END:VNOTE line.
struct VNoteBlocks
{
    enum class Problem { None, BeginMissing, EndMissing };

    Problem problem = Problem::None;
    LineEnds lineEnds = LineEnds::LineFeed;
    // The lines between each BEGIN:VNOTE line and its END:VNOTE line, in file order.
    QList<QByteArrayView> notes;
};

// Marker lines are BEGIN:VNOTE and END:VNOTE in any letter case, with blanks, tabs or stray CRs
// around them. The first non-blank line must be a BEGIN marker, else BeginMissing; the last must
// be an END marker, else EndMissing. A BEGIN inside a block ends that block where it stands (the
// cut-off note keeps what it has) and starts the next; an END outside any block is ignored, as is
// everything between blocks.
VNoteBlocks FindVNoteBlocks(QByteArrayView bytes);
