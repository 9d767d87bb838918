// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Whether the text decoders are to take their plain paths only, never a block path:
// QUILLET_PLAIN_DECODERS=1 in the environment, for the tests and benchmarks that must run the
// plain paths over whole inputs. Read once.
inline bool plainDecodersForced()
{
    static const bool forced = qEnvironmentVariableIntValue("QUILLET_PLAIN_DECODERS") == 1;
    return forced;
}

// Whether the block paths built on SSE2, which every x86-64 processor has, may run.
inline bool canUseSse2Blocks()
{
#if defined(__SSE2__)
    return !plainDecodersForced();
#else
    return false;
#endif
}

// Whether the block paths that need SSSE3's byte shuffle may run: the processor has it (all but
// the first x86-64 processors do) and the plain paths are not forced. Asked once.
inline bool canUseShuffleBlocks()
{
#if defined(__SSE2__)
    static const bool canShuffle = [] {
        if (plainDecodersForced())
            return false;
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return canShuffle;
#else
    return false;
#endif
}
