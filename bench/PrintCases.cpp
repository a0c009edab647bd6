// Print jobs through tavelo-batch, each a process of its own: to PDF at 600
// dpi with 1, 50 and 100 copies, and to PNG at 300 dpi, on the largest card
// and on the card with half its boxes.
#include "Cases.h"

#include "BenchCard.h"
#include "ChildProcess.h"
#include "Limits.h"
#include "Measure.h"
#include "ResultTable.h"
#include "sheet/SheetPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <map>

namespace {

constexpr int PdfDpi = 600;
constexpr int PngDpi = 300;

// How far each job may be from what the machine allows (Limits): a print
// job also lays out and draws the sheet and writes the file, which its
// limit leaves out. Measured 1.35 x (PDF) on the quiet machine and 1.34 to
// 1.56 x (PDF, PNG) while other builds kept both cores busy.
constexpr double PdfTargetRatio = 1.75;
constexpr double PngTargetRatio = 1.75;
constexpr double InfoTargetRatio = 1.5;

struct Job {
    QString card;
    QString output;
    int copies;
    int dpi;
};

struct JobFigures {
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    std::vector<double> peakMiB;
    double outputKiB = 0;
};

QStringList printArgs(const Job &job)
{
    return {QStringLiteral("print"), job.card, QStringLiteral("-o"), job.output,
            QStringLiteral("--copies"), QString::number(job.copies), QStringLiteral("--dpi"), QString::number(job.dpi),
            QStringLiteral("--screen-dpi"), QString::number(BenchCard::ScreenPpi)};
}

// The first file a job writes: OUT.pdf, or OUT-1.png for PNG pages.
QString firstOutputFile(const Job &job)
{
    return job.output.endsWith(QLatin1String(".png")) ? SheetPrinter::pngPageName(job.output, 1) : job.output;
}

void runOnce(const BenchSetup &setup, const Job &job, JobFigures &figures)
{
    // Through the small launcher, which reports the job's own peak memory
    // (the benchmark has grown by measuring the limits).
    const ChildRun run = runChild(QStringLiteral(TAVELO_BENCH_PEAK), QStringList{setup.batchProgram} + printArgs(job));
    if (!run.ok) {
        std::fprintf(stderr, "tavelo-bench: tavelo-batch %s failed\n", qPrintable(printArgs(job).join(u' ')));
        std::exit(1);
    }
    figures.seconds.push_back(run.seconds);
    figures.cpuSeconds.push_back(run.cpuSeconds);
    figures.peakMiB.push_back(run.output.trimmed().split('\n').last().toDouble() / 1024.0);
    figures.outputKiB = double(QFileInfo(firstOutputFile(job)).size()) / 1024.0;
}

// What a PDF file embeds, read from its object dictionaries (the writers
// keep them uncompressed).
struct PdfContents {
    int pictures = 0;
    int jpegPictures = 0;
    int fontFiles = 0;
    int widestPicture = 0;
    int tallestPicture = 0;
};

PdfContents pdfContents(const QString &path)
{
    QFile file(path);
    const QByteArray pdf = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    PdfContents contents;
    contents.jpegPictures = int(pdf.count("/DCTDecode"));
    contents.fontFiles = int(pdf.count("/FontFile2"));
    // A picture's dictionary, its keys in any order.
    static const QRegularExpression picture(QStringLiteral("<<[^<>]*/Subtype\\s*/Image\\b[^<>]*>>"));
    static const QRegularExpression width(QStringLiteral("/Width\\s+(\\d+)"));
    static const QRegularExpression height(QStringLiteral("/Height\\s+(\\d+)"));
    const QString text = QString::fromLatin1(pdf);
    for (auto match = picture.globalMatch(text); match.hasNext();) {
        const QString dictionary = match.next().captured(0);
        ++contents.pictures;
        contents.widestPicture = std::max(contents.widestPicture, width.match(dictionary).captured(1).toInt());
        contents.tallestPicture = std::max(contents.tallestPicture, height.match(dictionary).captured(1).toInt());
    }
    return contents;
}

} // namespace

void printCases(const BenchSetup &setup, ResultTable &table)
{
    const QDir dir(setup.dir);
    enum JobName { Pdf1, Pdf50, Pdf100, PdfHalf, Png, PngHalf, PdfTwoSided };
    // The largest card with the largest card again as its back.
    const QString twoSided = dir.filePath(QStringLiteral("twosided.tvl"));
    const QStringList joinArgs{QStringLiteral("join"), setup.largestCard, setup.largestCard, QStringLiteral("-o"), twoSided};
    if (!runChild(setup.batchProgram, joinArgs).ok) {
        std::fprintf(stderr, "tavelo-bench: tavelo-batch %s failed\n", qPrintable(joinArgs.join(u' ')));
        std::exit(1);
    }
    const std::map<JobName, Job> jobs = {
        {Pdf1, {setup.largestCard, dir.filePath(QStringLiteral("copies1.pdf")), 1, PdfDpi}},
        {Pdf50, {setup.largestCard, dir.filePath(QStringLiteral("copies50.pdf")), 50, PdfDpi}},
        {Pdf100, {setup.largestCard, dir.filePath(QStringLiteral("copies100.pdf")), 100, PdfDpi}},
        {PdfHalf, {setup.halfCard, dir.filePath(QStringLiteral("half.pdf")), 1, PdfDpi}},
        {Png, {setup.largestCard, dir.filePath(QStringLiteral("page.png")), 1, PngDpi}},
        {PngHalf, {setup.halfCard, dir.filePath(QStringLiteral("half.png")), 1, PngDpi}},
        {PdfTwoSided, {twoSided, dir.filePath(QStringLiteral("twosided.pdf")), 1, PdfDpi}},
    };
    std::map<JobName, JobFigures> figures;
    // Opening the card as the Open command does, in a process of its own.
    const QStringList infoArgs{QStringLiteral("info"), setup.largestCard, QStringLiteral("--screen-dpi"),
                               QString::number(BenchCard::ScreenPpi)};
    std::vector<double> infoSeconds;

    // What the machine allows: a print job's process (fonts included) and a
    // reading one's starting and ending at once, and the pictures' stages on
    // every core.
    const QSize pdfPicture(BenchCard::ImageBoxWidth * PdfDpi / BenchCard::ScreenPpi,
                           BenchCard::ImageBoxHeight * PdfDpi / BenchCard::ScreenPpi);
    const QSize pngPicture(BenchCard::ImageBoxWidth * PngDpi / BenchCard::ScreenPpi,
                           BenchCard::ImageBoxHeight * PngDpi / BenchCard::ScreenPpi);
    // Each round measures them again just before its jobs, so that a busy
    // spell of the machine slows a job and its limit alike.
    std::vector<double> pdfLimits, pngLimits, infoLimits;
    Limit pdfLimit, pngLimit, infoLimit;
    double pngCompress = 0;

    // One untimed round warms the file cache and the font cache. Then the
    // jobs take turns, so that a slow spell of the machine hits all of them.
    for (int round = 0; round <= setup.runs; ++round) {
        if (round == 1) {
            // The page's rows as the PNG file holds them, compressed as the job does.
            const QByteArray rows = Limits::pngFilteredRows(firstOutputFile(jobs.at(Png)));
            pngCompress = Limits::compressPngBands(rows, 3);
        }
        if (round > 0) {
            pdfLimit = Limits::pictures(setup.pictures, pdfPicture, true, 1);
            pdfLimit.start = Limits::bareStart(setup.batchProgram, {QStringLiteral("print")}, 1);
            pngLimit = Limits::pictures(setup.pictures, pngPicture, false, 1);
            pngLimit.start = pdfLimit.start;
            pngLimit.compress = pngCompress;
            infoLimit = pdfLimit;
            infoLimit.start = Limits::bareStart(setup.batchProgram, {QStringLiteral("--help")}, 1);
            infoLimit.scale = infoLimit.compress = 0;
            pdfLimits.push_back(pdfLimit.total());
            pngLimits.push_back(pngLimit.total());
            infoLimits.push_back(infoLimit.total());
        }
        for (const auto &[name, job] : jobs) {
            JobFigures untimed;
            runOnce(setup, job, round == 0 ? untimed : figures[name]);
        }
        const ChildRun info = runChild(setup.batchProgram, infoArgs);
        if (!info.ok) {
            std::fprintf(stderr, "tavelo-bench: tavelo-batch %s failed\n", qPrintable(infoArgs.join(u' ')));
            std::exit(1);
        }
        if (round > 0)
            infoSeconds.push_back(info.seconds);
    }

    const auto seconds = [&](JobName name) { return median(figures[name].seconds); };
    // How the work grows is read from the processor time, which other
    // programs on the machine disturb far less than the wall time.
    const auto cpuSeconds = [&](JobName name) { return median(figures[name].cpuSeconds); };
    const auto peakMiB = [&](JobName name) { return median(figures[name].peakMiB); };
    const auto kib = [&](JobName name) { return figures[name].outputKiB; };
    const QString s = QStringLiteral(" s"), mib = QStringLiteral(" MiB"), kb = QStringLiteral(" KiB");

    table.section(QStringLiteral("1. PDF at 600 dpi, largest card, tavelo-batch print"));
    table.reference(QStringLiteral("limit: ") + pdfLimit.parts(), QStringLiteral("-"));
    table.ratio(QStringLiteral("1 copy: wall time"), figures[Pdf1].seconds, pdfLimits, PdfTargetRatio);
    table.atMost(QStringLiteral("1 copy: peak RSS"), peakMiB(Pdf1), 120, mib, 1);
    table.reference(QStringLiteral("1 copy: PDF size"), QString::number(kib(Pdf1), 'f', 1) + kb);
    table.ratio(QStringLiteral("100 copies: wall time"), figures[Pdf100].seconds, pdfLimits, PdfTargetRatio * 1.5);
    table.atMost(QStringLiteral("100 copies: wall time / 1 copy"), seconds(Pdf100) / seconds(Pdf1), 1.5, QStringLiteral(" x"));
    // Every picture and font once; each further page only refers to them.
    table.atMost(QStringLiteral("100 copies: PDF size"), kib(Pdf100), 1.1 * kib(Pdf1) + 20.0 * 99, kb, 1);
    table.atMost(QStringLiteral("100 copies: peak RSS"), peakMiB(Pdf100), 1.5 * peakMiB(Pdf1), mib, 1);
    const PdfContents contents = pdfContents(jobs.at(Pdf100).output);
    table.atMost(QStringLiteral("100 copies: pictures embedded"), contents.pictures, 20, {}, 0);
    table.atMost(QStringLiteral("100 copies: fonts embedded (one per face used)"), contents.fontFiles, BenchCard::FaceCount, {}, 0);
    table.atMost(QStringLiteral("100 copies: JPEG-compressed pictures"), contents.jpegPictures, 0, {}, 0);
    // Pictures are scaled down to their printed size, never below it.
    const int printedWidth = BenchCard::ImageBoxWidth * PdfDpi / BenchCard::ScreenPpi;
    const int printedHeight = BenchCard::ImageBoxHeight * PdfDpi / BenchCard::ScreenPpi;
    table.atMost(QStringLiteral("largest picture embedded: width"), contents.widestPicture, printedWidth, QStringLiteral(" px"), 0);
    table.atMost(QStringLiteral("largest picture embedded: height"), contents.tallestPicture, printedHeight, QStringLiteral(" px"), 0);

    // Both sides are two sheets: each is made as the front alone is.
    table.atMost(QStringLiteral("two-sided card, front and back: wall time / front alone"), seconds(PdfTwoSided) / seconds(Pdf1),
                 2.1, QStringLiteral(" x"));

    table.section(QStringLiteral("2. PNG at 300 dpi, 1 page, largest card, tavelo-batch print"));
    table.reference(QStringLiteral("limit: ") + pngLimit.parts(), QStringLiteral("-"));
    table.ratio(QStringLiteral("wall time"), figures[Png].seconds, pngLimits, PngTargetRatio);

    table.section(QStringLiteral("opening the largest card (20 pictures), tavelo-batch info"));
    table.reference(QStringLiteral("limit: ") + infoLimit.parts(), QStringLiteral("-"));
    table.ratio(QStringLiteral("wall time"), infoSeconds, infoLimits, InfoTargetRatio);

    table.section(QStringLiteral("growth of the print jobs (twice the load; linear is x2)"));
    table.doubling(QStringLiteral("PDF CPU time, 50 -> 100 copies"), cpuSeconds(Pdf50), cpuSeconds(Pdf100));
    table.doubling(QStringLiteral("PDF size, 50 -> 100 copies"), kib(Pdf50), kib(Pdf100));
    table.doubling(QStringLiteral("PDF peak RSS, 50 -> 100 copies"), peakMiB(Pdf50), peakMiB(Pdf100));
    table.doubling(QStringLiteral("PDF CPU time, 10+10 -> 20+20 boxes"), cpuSeconds(PdfHalf), cpuSeconds(Pdf1));
    table.doubling(QStringLiteral("PDF size, 10+10 -> 20+20 boxes"), kib(PdfHalf), kib(Pdf1));
    table.doubling(QStringLiteral("PDF peak RSS, 10+10 -> 20+20 boxes"), peakMiB(PdfHalf), peakMiB(Pdf1));
    table.doubling(QStringLiteral("PNG CPU time, 10+10 -> 20+20 boxes"), cpuSeconds(PngHalf), cpuSeconds(Png));
}
