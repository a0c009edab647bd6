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

double startupSeconds(const BenchSetup &setup)
{
    const ChildRun run = runChild(setup.startupProgram, {});
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
    startupSeconds(setup);   // untimed: the file cache and the font cache
    std::vector<double> seconds;
    for (int run = 0; run < std::max(setup.runs, 9); ++run)
        seconds.push_back(startupSeconds(setup));
    table.section(QStringLiteral("5. Start-up to the main window shown and idle, offscreen"));
    table.atMost(QStringLiteral("median time"), median(seconds) * 1000, 300, QStringLiteral(" ms"), 1);
}
