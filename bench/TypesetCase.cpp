// Typeset captions: the largest card with every text box set vertical and
// spread over its line (縦書き, 均等割付), printed to PDF at 600 dpi by
// tavelo-batch, against the same card with plain captions in the same run.
#include "Cases.h"

#include "BenchCard.h"
#include "ChildProcess.h"
#include "Measure.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int PdfDpi = 600;

// The largest card with every text box vertical and justified.
QString writeTypesetCard(const BenchSetup &setup)
{
    const QString path = QDir(setup.dir).filePath(QStringLiteral("typeset.tvl"));
    CardDocument doc;
    BenchCard::fill(doc, CardDocument::SlotCount, setup.pictures);
    TextSetting setting;
    setting.vertical = true;
    setting.align = TextAlign::Justify;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (doc.TextBoxes(slot))
            doc.setTextSetting(slot, setting);
    }
    if (!WriteCardFile(doc, path)) {
        std::fprintf(stderr, "tavelo-bench: %s not written\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

double printSeconds(const BenchSetup &setup, const QString &card, const QString &output)
{
    const QStringList args{QStringLiteral("print"), card, QStringLiteral("-o"), output, QStringLiteral("--dpi"),
                           QString::number(PdfDpi), QStringLiteral("--screen-dpi"), QString::number(BenchCard::ScreenPpi)};
    const ChildRun run = runChild(setup.batchProgram, args);
    if (!run.ok) {
        std::fprintf(stderr, "tavelo-bench: tavelo-batch %s failed\n", qPrintable(args.join(u' ')));
        std::exit(1);
    }
    return run.seconds;
}

} // namespace

void typesetCase(const BenchSetup &setup, ResultTable &table)
{
    const QString typeset = writeTypesetCard(setup);
    const QDir dir(setup.dir);
    std::vector<double> plainSeconds, typesetSeconds;
    // One untimed round warms the caches; then the two take turns.
    for (int round = 0; round <= setup.runs; ++round) {
        const double plain = printSeconds(setup, setup.largestCard, dir.filePath(QStringLiteral("plain-captions.pdf")));
        const double set = printSeconds(setup, typeset, dir.filePath(QStringLiteral("typeset-captions.pdf")));
        if (round > 0) {
            plainSeconds.push_back(plain);
            typesetSeconds.push_back(set);
        }
    }
    table.section(QStringLiteral("typeset captions: largest card, every box vertical and justified, PDF at 600 dpi"));
    table.reference(QStringLiteral("plain captions: wall time"), QString::number(median(plainSeconds), 'f', 3) + QStringLiteral(" s"));
    table.atMost(QStringLiteral("typeset / plain wall time"), median(typesetSeconds) / median(plainSeconds), 1.2,
                 QStringLiteral(" x"));
}
