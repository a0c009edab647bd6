#pragma once
// Runs a program to its end and measures it from the outside: wall time from
// just before the start to its exit, and its peak resident memory.
#include "MonotonicClock.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

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

// A job of a case: a program and its arguments.
struct ChildJob {
    QString program;
    QStringList args;
};

// The job run; one that fails ends the benchmark with its command.
ChildRun runOrExit(const ChildJob &job);

// Each job run once untimed (the file and font caches warmed), then rounds
// times, the jobs taking turns so that a busy spell of the machine hits them
// alike; beforeRound(round), when given, runs before each timed round (from
// 1). A job that fails ends the benchmark with its command. Each job's runs,
// one a timed round.
std::map<QString, std::vector<ChildRun>> runInTurns(const std::map<QString, ChildJob> &jobs, int rounds,
                                                    const std::function<void(int round)> &beforeRound = {});

// The runs' wall seconds, and their processor seconds.
std::vector<double> wallSeconds(const std::vector<ChildRun> &runs);
std::vector<double> cpuSeconds(const std::vector<ChildRun> &runs);
