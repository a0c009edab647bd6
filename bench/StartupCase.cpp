// Start-up: the program's own start-up code, offscreen, from just before the
// process is started until the main window is shown, its first activation
// has run and the event loop waits for input.
#include "Cases.h"

#include "ChildProcess.h"
#include "Measure.h"
#include "ResultTable.h"

#include <cstdio>
#include <cstdlib>

namespace {

// How far the program's start may be from a bare window's.
constexpr double StartupTargetRatio = 3;

double startupSeconds(const QString &program)
{
    const ChildRun run = runChild(program, {});
    bool ok = false;
    const qlonglong idleNs = run.output.trimmed().toLongLong(&ok);
    if (!run.ok || !ok) {
        std::fprintf(stderr, "tavelo-bench: the start-up probe did not report\n");
        std::exit(1);
    }
    return double(idleNs - run.startNs) / 1e9;
}

} // namespace

void startupCase(const BenchSetup &setup, ResultTable &table)
{
    const QString bare = QStringLiteral(TAVELO_BENCH_BARE);
    startupSeconds(setup.startupProgram);   // untimed: the file cache and the font cache
    startupSeconds(bare);
    std::vector<double> seconds, bareSeconds;
    for (int run = 0; run < std::max(setup.runs, 9); ++run) {
        bareSeconds.push_back(startupSeconds(bare));
        seconds.push_back(startupSeconds(setup.startupProgram));
    }
    table.section(QStringLiteral("5. Start-up to the main window shown and idle, offscreen"));
    table.ratio(QStringLiteral("median time, against a bare Qt window with a menu bar"), median(seconds), median(bareSeconds),
                StartupTargetRatio);
}
