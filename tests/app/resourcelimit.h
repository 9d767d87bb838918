// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <sys/resource.h>

// While it lives, the process's soft limit on `resource` (setrlimit) is `soft`; the limit it had
// comes back when it goes. RLIMIT_FSIZE 0: no file may grow, every write fails as on a full disk.
// RLIMIT_AS mappedPlus(budget): an allocation past the budget fails, as when memory runs out.
class ResourceLimit
{
public:
    ResourceLimit(int resource, rlim_t soft);
    ~ResourceLimit();
    ResourceLimit(const ResourceLimit &) = delete;
    ResourceLimit &operator=(const ResourceLimit &) = delete;

    // The address space the process has mapped now, and `budget` bytes more.
    [[nodiscard]] static rlim_t mappedPlus(qint64 budget);

private:
    int m_resource;
    rlimit m_saved{};
};
