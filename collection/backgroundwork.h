// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QThreadPool>

// The threads that work in the background: listing folders and searching notes. A pool of their
// own, since Qt paints large areas with the help of its global pool, and painting must never wait
// for a search. Its threads run below the user-interface thread (see LowerThreadPriority).
QThreadPool &BackgroundPool();

// Puts the calling thread below the user-interface thread for the processor, so that background
// work never keeps the window waiting, also on a machine with no core to spare. The thread stays
// there; lowering it again does nothing.
void LowerThreadPriority();
