// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "contentline.h"
#include "vnoteblocks.h"

#include <QByteArrayView>
#include <QList>

#include <functional>

// Calls `read` with a reader of each note of a file that has passed CheckVNoteMarkers, in file
// order. A note ends at the marker line after it, found as its lines are read, so that the file
// is gone over once; whatever `read` leaves unread is passed over.
void ForEachNote(QByteArrayView bytes, const VNoteFile &file,
                 const std::function<void(ContentLineReader &)> &read);

// The lines of every note of the file, from the line after its BEGIN marker to the start of the
// marker line that ends it; none when the file fails CheckVNoteMarkers.
QList<QByteArrayView> FindNoteLines(QByteArrayView bytes);
