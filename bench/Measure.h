#pragma once
// Medians of repeated runs, and timing of code inside this process.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

template <typename T>
T median(std::vector<T> values)
{
    if (values.empty())
        return T();
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Seconds that f takes, averaged over repeat calls.
template <typename F>
double secondsPerCall(int repeat, F f)
{
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < repeat; ++n)
        f();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / repeat;
}

// Gives the heap's free memory back to the system. A run that reuses pages an
// earlier run touched is much faster than one that touches new pages (on a
// virtual machine a first touch costs far more than the work done in the
// page), so every run of a case that allocates much starts from here.
inline void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// Jobs of this process compared with each other, taking turns: one untimed
// round first (the caches warmed), then runs rounds, so that a busy spell of
// the machine hits them alike. Each job's medians, in the order given; a job
// gives the seconds it measured.
inline std::vector<double> mediansInTurns(int runs, const std::vector<std::function<double()>> &jobs)
{
    std::vector<std::vector<double>> seconds(jobs.size());
    for (int round = 0; round <= runs; ++round) {
        for (std::size_t n = 0; n < jobs.size(); ++n) {
            const double s = jobs[n]();
            if (round > 0)
                seconds[n].push_back(s);
        }
    }
    std::vector<double> medians;
    for (const std::vector<double> &s : seconds)
        medians.push_back(median(s));
    return medians;
}
