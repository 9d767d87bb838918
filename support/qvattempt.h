#pragma once

// Runs one step of a procedure whose failing steps are skipped: whatever the step throws ends
// that step only, and the caller goes on with the next.
template <typename Step> void qvAttempt(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}
