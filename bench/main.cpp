// tavelo-bench: makes its own inputs, runs the cases and prints one table of
// figures and targets. Names of cases on the command line (print, cardfile,
// resize, startup) run only those; "inputs DIR" only makes the inputs in DIR,
// to look at a case by hand. Exit status 1 when a target is missed.
#include "BenchCard.h"
#include "Cases.h"
#include "FontMapping.h"
#include "ResultTable.h"

#include "ErrorGuard.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <map>

namespace {

BenchSetup prepareInputs(const QString &dir)
{
    BenchSetup setup;
    setup.batchProgram = QStringLiteral(TAVELO_BATCH);
    setup.startupProgram = QStringLiteral(TAVELO_BENCH_STARTUP);
    setup.dir = dir;
    setup.pictures = BenchCard::writePictures(dir, 20);
    setup.largestCard = QDir(dir).filePath(QStringLiteral("largest.tvl"));
    setup.halfCard = QDir(dir).filePath(QStringLiteral("half.tvl"));
    if (setup.pictures.size() != 20 || !BenchCard::writeCard(setup.largestCard, 20, setup.pictures)
        || !BenchCard::writeCard(setup.halfCard, 10, setup.pictures)) {
        std::fprintf(stderr, "tavelo-bench: cannot write the inputs into %s\n", qPrintable(dir));
        std::exit(1);
    }
    return setup;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TaveloApplication app(argc, argv);
    FontMapping::installFaceSubstitutions();

    const std::map<QString, std::function<void(const BenchSetup &, ResultTable &)>> cases = {
        {QStringLiteral("print"), printCases},
        {QStringLiteral("cardfile"), cardFileCase},
        {QStringLiteral("resize"), liveResizeCase},
        {QStringLiteral("startup"), startupCase},
    };
    QStringList chosen = app.arguments().mid(1);
    if (chosen.size() == 2 && chosen.at(0) == QLatin1String("inputs")) {
        QDir().mkpath(chosen.at(1));
        prepareInputs(QDir(chosen.at(1)).absolutePath());
        return 0;
    }
    if (chosen.isEmpty())
        chosen = {QStringLiteral("print"), QStringLiteral("cardfile"), QStringLiteral("resize"), QStringLiteral("startup")};

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "tavelo-bench: no temporary folder\n");
        return 1;
    }
    std::fprintf(stderr, "tavelo-bench: making the inputs in %s\n", qPrintable(dir.path()));
    const BenchSetup setup = prepareInputs(dir.path());

    ResultTable table;
    for (const QString &name : chosen) {
        const auto found = cases.find(name);
        if (found == cases.end()) {
            std::fprintf(stderr, "tavelo-bench: no case named %s\n", qPrintable(name));
            return 2;
        }
        std::fprintf(stderr, "tavelo-bench: case %s\n", qPrintable(name));
        found->second(setup, table);
    }
    std::printf("%s", qPrintable(table.text()));
    std::printf("%s\n", table.allPassed() ? "All targets met." : "Some targets missed.");
    return table.allPassed() ? 0 : 1;
}
