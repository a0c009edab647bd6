// Merge printing of a two-sided card through tavelo-batch: the merge card's
// front (8 text boxes with fields, a 1600 x 1200 logo) with a back of its
// own (8 other captions from the same row, the logo), 1000 rows, both sides,
// against each side alone, the jobs taking turns, each a process of its own.
#include "Cases.h"

#include "BenchCard.h"
#include "ChildProcess.h"
#include "Measure.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

constexpr int Runs = 5;
// Both sides are twice the pages, each side's captions shaped and drawn as
// the side's own: no more work than each side printed alone, the process
// started once. (The back holds more characters than the front: the sum,
// not twice the front, is what the job must not exceed.)
constexpr double BothSidesTarget = 1.1;

// The back: the row in English order, the logo in the other corner.
bool writeBackCard(const QString &path, const QString &logo)
{
    CardDocument doc;
    doc.setScreenPpi(BenchCard::ScreenPpi);
    const QStringList captions{QStringLiteral("{ふりがな}"),      QStringLiteral("{役職} / {部署}"),
                               QStringLiteral("Tel +81 {電話}"),  QStringLiteral("Mobile {携帯}"),
                               QStringLiteral("E-mail {メール}"), QStringLiteral("{住所}"),
                               QStringLiteral("〒{郵便番号}"),    QStringLiteral("No. {社員番号} {氏名}")};
    for (int n = 0; n < captions.size(); ++n) {
        const int slot = doc.AddTextBox();
        doc.setTextBounds(slot, {120, 20 + n * 16, 210, n == 0 ? 22 : 15});
        doc.setTextCaption(slot, captions[n]);
    }
    const int image = doc.AddImageBox();
    doc.setImageBounds(image, {10, 8, 100, 60});
    doc.setImagePath(image, logo);
    try {
        return WriteCardFile(doc, path);
    } catch (...) {
        return false;
    }
}

} // namespace

void sidesMergeCase(const BenchSetup &setup, ResultTable &table)
{
    const QDir dir(setup.dir);
    writeMergeInputs(setup);
    const QString front = dir.filePath(QStringLiteral("merge.tvl"));
    const QString back = dir.filePath(QStringLiteral("merge-back.tvl"));
    const QString both = dir.filePath(QStringLiteral("merge-both.tvl"));
    if (setup.pictures.isEmpty() || !writeBackCard(back, setup.pictures.first())) {
        std::fprintf(stderr, "tavelo-bench: cannot write the merge card's back\n");
        std::exit(1);
    }
    runOrExit({setup.batchProgram, {QStringLiteral("join"), front, back, QStringLiteral("-o"), both}});
    const QString list = dir.filePath(QStringLiteral("list1000.csv"));

    // A two-sided card prints both sides unless told otherwise.
    std::map<QString, ChildJob> jobs;
    for (const QString &mode : {QStringLiteral("card"), QStringLiteral("sheet")}) {
        for (const QString &side : {QStringLiteral("front"), QStringLiteral("back"), QStringLiteral("both")}) {
            const QString name = mode + QLatin1Char('-') + side;
            jobs[name] = {setup.batchProgram,
                          {QStringLiteral("print"), both, QStringLiteral("-o"),
                           dir.filePath(QStringLiteral("sides-%1.pdf").arg(name)), QStringLiteral("--dpi"),
                           QStringLiteral("600"), QStringLiteral("--merge"), list, QStringLiteral("--merge-mode"), mode,
                           QStringLiteral("--sides"), side}};
        }
    }
    const std::map<QString, std::vector<ChildRun>> runs = runInTurns(jobs, Runs);
    // Both sides against each side alone, round by round.
    std::map<QString, std::vector<double>> overFront, overSum;
    for (const QString &mode : {QStringLiteral("card"), QStringLiteral("sheet")}) {
        const std::vector<ChildRun> &both = runs.at(mode + QStringLiteral("-both"));
        const std::vector<ChildRun> &front = runs.at(mode + QStringLiteral("-front"));
        const std::vector<ChildRun> &back = runs.at(mode + QStringLiteral("-back"));
        for (size_t round = 0; round < both.size() && round < front.size() && round < back.size(); ++round) {
            overFront[mode].push_back(both[round].seconds / front[round].seconds);
            overSum[mode].push_back(both[round].seconds / (front[round].seconds + back[round].seconds));
        }
    }

    const QString s = QStringLiteral(" s");
    const auto shown = [&](const QString &name) { return QString::number(median(wallSeconds(runs.at(name))), 'f', 3) + s; };
    table.section(
        QStringLiteral("two-sided merge: PDF at 600 dpi, 1000 rows, front and back each 8 text boxes with fields "
                       "and the logo, tavelo-batch print --merge"));
    for (const auto &[mode, pages] : {std::pair{QStringLiteral("card"), 125}, std::pair{QStringLiteral("sheet"), 1000}}) {
        table.reference(QStringLiteral("%1 mode, front alone (%2 pages): wall time").arg(mode).arg(pages),
                        shown(mode + QStringLiteral("-front")));
        table.reference(QStringLiteral("%1 mode, back alone (%2 pages): wall time").arg(mode).arg(pages),
                        shown(mode + QStringLiteral("-back")));
        table.reference(QStringLiteral("%1 mode, both sides (%2 pages): wall time").arg(mode).arg(2 * pages),
                        shown(mode + QStringLiteral("-both")));
        table.reference(QStringLiteral("%1 mode, both sides / front alone").arg(mode),
                        QString::number(median(overFront[mode]), 'f', 2) + QStringLiteral(" x"));
        table.atMost(QStringLiteral("%1 mode, both sides / (front alone + back alone)").arg(mode), median(overSum[mode]),
                     BothSidesTarget, QStringLiteral(" x"));
    }
}
