#pragma once
// Runs a program to its end and measures it from the outside: wall time from
// just before the start to its exit, and its peak resident memory.
#include "MonotonicClock.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>

struct ChildRun {
    bool ok = false;              // started and exited with status 0
    double seconds = 0;           // wall time, start to exit
    double cpuSeconds = 0;        // the child's user and system time
    std::int64_t startNs = 0;     // CLOCK_MONOTONIC just before the start
    long peakRssKiB = 0;          // the child's largest resident set
    QByteArray output;            // what it wrote to stdout
};

// Runs program with args; stdout is kept, stderr goes to /dev/null.
ChildRun runChild(const QString &program, const QStringList &args);
