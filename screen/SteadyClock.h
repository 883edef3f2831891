// Milliseconds of the monotonic clock, which no change of the wall clock moves: for heartbeats
// and deadlines.
#pragma once

#include <cstdint>
#include <ctime>

inline uint64_t SteadyMs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}
