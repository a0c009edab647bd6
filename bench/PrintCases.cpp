// Print jobs through tavelo-batch, each a process of its own: to PDF at 600
// dpi with 1, 50 and 100 copies, and to PNG at 300 dpi, on the largest card
// and on the card with half its boxes.
#include "Cases.h"

#include "ChildProcess.h"
#include "Measure.h"
#include "ResultTable.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <map>

namespace {

struct Job {
    QString card;
    QString output;
    int copies;
    int dpi;
};

struct JobFigures {
    std::vector<double> seconds;
    std::vector<double> peakMiB;
    double outputKiB = 0;
};

QStringList printArgs(const Job &job)
{
    return {QStringLiteral("print"), job.card, QStringLiteral("-o"), job.output,
            QStringLiteral("--copies"), QString::number(job.copies), QStringLiteral("--dpi"), QString::number(job.dpi)};
}

// The first file a job writes: OUT.pdf, or OUT-1.png for PNG pages.
QString firstOutputFile(const Job &job)
{
    if (!job.output.endsWith(QLatin1String(".png")))
        return job.output;
    return job.output.left(job.output.size() - 4) + QStringLiteral("-1.png");
}

void runOnce(const BenchSetup &setup, const Job &job, JobFigures &figures)
{
    const ChildRun run = runChild(setup.batchProgram, printArgs(job));
    if (!run.ok) {
        std::fprintf(stderr, "tavelo-bench: tavelo-batch %s failed\n", qPrintable(printArgs(job).join(u' ')));
        std::exit(1);
    }
    figures.seconds.push_back(run.seconds);
    figures.peakMiB.push_back(double(run.peakRssKiB) / 1024.0);
    figures.outputKiB = double(QFileInfo(firstOutputFile(job)).size()) / 1024.0;
}

} // namespace

void printCases(const BenchSetup &setup, ResultTable &table)
{
    const QDir dir(setup.dir);
    enum JobName { Pdf1, Pdf50, Pdf100, PdfHalf, Png, PngHalf };
    const std::map<JobName, Job> jobs = {
        {Pdf1, {setup.largestCard, dir.filePath(QStringLiteral("copies1.pdf")), 1, 600}},
        {Pdf50, {setup.largestCard, dir.filePath(QStringLiteral("copies50.pdf")), 50, 600}},
        {Pdf100, {setup.largestCard, dir.filePath(QStringLiteral("copies100.pdf")), 100, 600}},
        {PdfHalf, {setup.halfCard, dir.filePath(QStringLiteral("half.pdf")), 1, 600}},
        {Png, {setup.largestCard, dir.filePath(QStringLiteral("page.png")), 1, 300}},
        {PngHalf, {setup.halfCard, dir.filePath(QStringLiteral("half.png")), 1, 300}},
    };
    std::map<JobName, JobFigures> figures;
    // One untimed round warms the file cache and the font cache. Then the
    // jobs take turns, so that a slow spell of the machine hits all of them.
    for (int round = 0; round <= setup.runs; ++round) {
        for (const auto &[name, job] : jobs) {
            JobFigures untimed;
            runOnce(setup, job, round == 0 ? untimed : figures[name]);
        }
    }

    const auto seconds = [&](JobName name) { return median(figures[name].seconds); };
    const auto peakMiB = [&](JobName name) { return median(figures[name].peakMiB); };
    const auto kib = [&](JobName name) { return figures[name].outputKiB; };
    const QString s = QStringLiteral(" s"), mib = QStringLiteral(" MiB"), kb = QStringLiteral(" KiB");

    table.section(QStringLiteral("1. PDF at 600 dpi, largest card, tavelo-batch print"));
    table.reference(QStringLiteral("1 copy: wall time"), QString::number(seconds(Pdf1), 'f', 3) + s);
    table.reference(QStringLiteral("1 copy: peak RSS"), QString::number(peakMiB(Pdf1), 'f', 1) + mib);
    table.reference(QStringLiteral("1 copy: PDF size"), QString::number(kib(Pdf1), 'f', 1) + kb);
    table.atMost(QStringLiteral("100 copies: wall time"), seconds(Pdf100), 1.5 * seconds(Pdf1), s, 3);
    table.atMost(QStringLiteral("100 copies: wall time / 1 copy"), seconds(Pdf100) / seconds(Pdf1), 1.5, QStringLiteral(" x"));
    // Every picture and font once; each further page only refers to them.
    table.atMost(QStringLiteral("100 copies: PDF size"), kib(Pdf100), 1.1 * kib(Pdf1) + 20.0 * 99, kb, 1);
    table.atMost(QStringLiteral("100 copies: peak RSS"), peakMiB(Pdf100), 1.5 * peakMiB(Pdf1), mib, 1);

    table.section(QStringLiteral("2. PNG at 300 dpi, 1 page, largest card, tavelo-batch print"));
    table.reference(QStringLiteral("wall time"), QString::number(seconds(Png), 'f', 3) + s);

    table.section(QStringLiteral("growth of the print jobs (twice the load; linear is x2)"));
    table.doubling(QStringLiteral("PDF time, 50 -> 100 copies"), seconds(Pdf50), seconds(Pdf100));
    table.doubling(QStringLiteral("PDF size, 50 -> 100 copies"), kib(Pdf50), kib(Pdf100));
    table.doubling(QStringLiteral("PDF peak RSS, 50 -> 100 copies"), peakMiB(Pdf50), peakMiB(Pdf100));
    table.doubling(QStringLiteral("PDF time, 10+10 -> 20+20 boxes"), seconds(PdfHalf), seconds(Pdf1));
    table.doubling(QStringLiteral("PDF size, 10+10 -> 20+20 boxes"), kib(PdfHalf), kib(Pdf1));
    table.doubling(QStringLiteral("PDF peak RSS, 10+10 -> 20+20 boxes"), peakMiB(PdfHalf), peakMiB(Pdf1));
    table.doubling(QStringLiteral("PNG time, 10+10 -> 20+20 boxes"), seconds(PngHalf), seconds(Png));
}
