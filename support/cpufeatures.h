// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether the processor has SSSE3's byte shuffle, which the text decoders' block paths need; all
// but the first x86-64 processors have it. Asked once.
inline bool cpuCanShuffleBytes()
{
#if defined(__SSE2__)
    static const bool canShuffle = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return canShuffle;
#else
    return false;
#endif
}
