#pragma once
// CLOCK_MONOTONIC in nanoseconds: one clock for every process on the machine,
// so a child can say when something happened and the parent can compare.
#include <time.h>

#include <cstdint>

inline std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
