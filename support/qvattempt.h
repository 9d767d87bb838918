// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <new>

// Runs one step of a procedure whose failing steps are skipped: whatever the step throws ends
// that step only, and the caller goes on with the next. Memory running out is no failure of a
// step: skipping it would show a note with parts silently missing, so it ends the whole
// procedure, whose caller reports it.
template <typename Step> void qvAttempt(Step &&step)
{
    try {
        step();
    } catch (const std::bad_alloc &) {
        throw;
    } catch (...) {
    }
}
