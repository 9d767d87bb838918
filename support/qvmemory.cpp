// SPDX-License-Identifier: GPL-3.0-or-later
#include "qvmemory.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t HugePage = 2 * 1024 * 1024;
constexpr qsizetype LargeBuffer = 8 * 1024 * 1024;

} // namespace

void qvAdviseLargeBuffer(void *data, qsizetype bytes)
{
#if defined(MADV_HUGEPAGE)
    if (bytes < LargeBuffer)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t last = (start + std::uintptr_t(bytes)) & ~(HugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}
