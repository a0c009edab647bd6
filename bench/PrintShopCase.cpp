// The print-shop PDF through tavelo-batch export, each job a process of its
// own, against the sheet jobs of the same inputs measured in the same run:
// the largest card exported against its one-copy sheet, and a 1000-row
// merge list exported a page a row against the same list printed a sheet a
// row (1000 pages either way). The targets are ratios, so they hold on a
// slower or busier machine.
#include "Cases.h"

#include "BenchCard.h"
#include "ChildProcess.h"
#include "Measure.h"
#include "ResultTable.h"
#include "base/CodePage932.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr int Runs = 5;
constexpr int Rows = 1000;

bool writeMergeCard(const QString &path, const QString &logo)
{
    CardDocument doc;
    doc.setScreenPpi(BenchCard::ScreenPpi);
    const QStringList captions{QStringLiteral("{氏名}"), QStringLiteral("{部署} {役職}"), QStringLiteral("TEL {電話}"),
                               QStringLiteral("{メール}")};
    for (int n = 0; n < captions.size(); ++n) {
        const int slot = doc.AddTextBox();
        doc.setTextBounds(slot, {20, 80 + n * 24, 300, n == 0 ? 22 : 15});
        doc.setTextCaption(slot, captions[n]);
    }
    const int image = doc.AddImageBox();
    doc.setImageBounds(image, {230, 12, 100, 60});
    doc.setImagePath(image, logo);
    try {
        return WriteCardFile(doc, path);
    } catch (...) {
        return false;
    }
}

bool writeList(const QString &path)
{
    QString text = QStringLiteral("氏名,部署,役職,電話,メール\r\n");
    for (int n = 1; n <= Rows; ++n)
        text += QStringLiteral("山田 太郎%1,営業第%2部,課長,03-1234-%3,staff%1@example.jp\r\n")
                    .arg(n)
                    .arg(n % 9 + 1)
                    .arg(n % 10000, 4, 10, QLatin1Char('0'));
    QFile file(path);
    const QByteArray bytes = CodePage932::encode(text);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}   // namespace

void printShopCase(const BenchSetup &setup, ResultTable &table)
{
    const QDir dir(setup.dir);
    const QString mergeCard = dir.filePath(QStringLiteral("printshop-merge.tvl"));
    const QString list = dir.filePath(QStringLiteral("printshop-list.csv"));
    if (setup.pictures.isEmpty() || !writeMergeCard(mergeCard, setup.pictures.first()) || !writeList(list)) {
        std::fprintf(stderr, "tavelo-bench: cannot write the print-shop inputs\n");
        std::exit(1);
    }
    const auto out = [&](const char *name) { return dir.filePath(QLatin1String(name)); };
    // The export says what its preflight found with exit status 1 (the
    // largest card's long captions run to the trim): that is a finished job.
    const auto exportJob = [&](const QStringList &args) {
        return QStringList{QStringLiteral("-c"), QStringLiteral("\"$0\" \"$@\"; [ $? -le 1 ]"), setup.batchProgram}
               + QStringList{QStringLiteral("export")} + args;
    };
    const QString shell = QStringLiteral("/bin/sh");
    std::map<QString, ChildJob> jobs;
    jobs[QStringLiteral("sheet")] = {
        setup.batchProgram,
        {QStringLiteral("print"), setup.largestCard, QStringLiteral("-o"), out("ps-sheet.pdf")}};
    jobs[QStringLiteral("export")] = {shell, exportJob({setup.largestCard, QStringLiteral("-o"), out("ps-export.pdf"),
                                                        QStringLiteral("--marks"), QStringLiteral("jp")})};
    jobs[QStringLiteral("merge")] = {setup.batchProgram,
                                     {QStringLiteral("print"), mergeCard, QStringLiteral("-o"), out("ps-merge.pdf"),
                                      QStringLiteral("--merge"), list, QStringLiteral("--merge-mode"),
                                      QStringLiteral("sheet")}};
    jobs[QStringLiteral("merged export")] = {
        shell, exportJob({mergeCard, QStringLiteral("-o"), out("ps-merged.pdf"), QStringLiteral("--merge"), list})};
    // A shell started alone: what the export's shell adds.
    jobs[QStringLiteral("shell")] = {shell, {QStringLiteral("-c"), QStringLiteral("true")}};
    const std::map<QString, std::vector<ChildRun>> runs = runInTurns(jobs, Runs);
    const auto wall = [&](const char *name) { return median(wallSeconds(runs.at(QLatin1String(name)))); };
    const double shellSeconds = wall("shell");
    const double exportSeconds = std::max(0.0, wall("export") - shellSeconds);
    const double mergedSeconds = std::max(0.0, wall("merged export") - shellSeconds);
    const QString s = QStringLiteral(" s");
    table.section(QStringLiteral("print-shop PDF (PDF/X-1a, bleed, marks): tavelo-batch export"));
    table.reference(QStringLiteral("largest card, sheet of one copy (print): wall time"),
                    QString::number(wall("sheet"), 'f', 3) + s);
    table.reference(QStringLiteral("largest card, export with marks: wall time"),
                    QString::number(exportSeconds, 'f', 3) + s);
    // 0.5 s against the sheet's 0.2 s target.
    table.atMost(QStringLiteral("largest card export / its one-copy sheet"), exportSeconds / wall("sheet"), 2.5,
                 QStringLiteral(" x"));
    table.reference(QStringLiteral("1000 rows printed a sheet a row (print --merge): wall time"),
                    QString::number(wall("merge"), 'f', 3) + s);
    table.reference(QStringLiteral("1000 rows exported a page a row: wall time"),
                    QString::number(mergedSeconds, 'f', 3) + s);
    // Processor time on every core: what the job costs whatever else the
    // machine runs (its wall time follows the other load).
    table.reference(QStringLiteral("1000 rows exported a page a row: processor time"),
                    QString::number(median(cpuSeconds(runs.at(QStringLiteral("merged export")))), 'f', 3) + s);
    // 5 s against the sheet job's 3 s target, with the conversion to CMYK
    // of every page's drawing on top.
    table.atMost(QStringLiteral("1000-row export / the same rows printed"), mergedSeconds / wall("merge"), 2.5,
                 QStringLiteral(" x"));
}
