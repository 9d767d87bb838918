// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Asks the kernel to back a large buffer, not yet written to, with huge pages where it allows
// that (transparent huge pages in "madvise" mode): filling the buffer then takes a fault for
// every 2 MiB instead of for every 4 KiB, which is most of the cost of reading a note of many
// megabytes. A hint only; small buffers are left alone.
void qvAdviseLargeBuffer(void *data, qsizetype bytes);
