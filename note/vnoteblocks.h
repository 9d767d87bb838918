// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bytelines.h"

#include <QByteArrayView>
#include <QList>

// Marker lines: BEGIN:VNOTE and END:VNOTE in any letter case, with blanks, tabs or stray CRs
// around them.
enum class MarkerLine { None, Begin, End };
MarkerLine markerLine(QByteArrayView line);

// The checks a note file must pass before any note is read: its first non-blank line must be a
// BEGIN marker (else BeginMissing, and no note is read). Its last should be an END marker: when
// it is not (EndMissing), the file was cut off, and its notes are read all the same.
struct VNoteFile
{
    enum class Problem { None, BeginMissing, EndMissing };

    Problem problem = Problem::None;
    LineEnds lineEnds = LineEnds::LineFeed;
    const char *firstNote = nullptr; // where the first note's lines start; none for BeginMissing
};

VNoteFile CheckVNoteMarkers(QByteArrayView bytes);

// Where the next note's lines start: after the first BEGIN line in `rest`, or nullptr when
// there is none. What comes before it, between two notes, is no note's.
const char *NextNoteStart(QByteArrayView rest, LineEnds ends);
