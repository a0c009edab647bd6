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

ChildJob printJob(const BenchSetup &setup, const QString &card, const QString &output)
{
    return {setup.batchProgram,
            {QStringLiteral("print"), card, QStringLiteral("-o"), output, QStringLiteral("--dpi"), QString::number(PdfDpi),
             QStringLiteral("--screen-dpi"), QString::number(BenchCard::ScreenPpi)}};
}

} // namespace

void typesetCase(const BenchSetup &setup, ResultTable &table)
{
    const QString typeset = writeTypesetCard(setup);
    const QDir dir(setup.dir);
    const auto runs = runInTurns(
        {{QStringLiteral("plain"), printJob(setup, setup.largestCard, dir.filePath(QStringLiteral("plain-captions.pdf")))},
         {QStringLiteral("typeset"), printJob(setup, typeset, dir.filePath(QStringLiteral("typeset-captions.pdf")))}},
        setup.runs);
    const double plain = median(wallSeconds(runs.at(QStringLiteral("plain"))));
    const double set = median(wallSeconds(runs.at(QStringLiteral("typeset"))));
    table.section(QStringLiteral("typeset captions: largest card, every box vertical and justified, PDF at 600 dpi"));
    table.reference(QStringLiteral("plain captions: wall time"), QString::number(plain, 'f', 3) + QStringLiteral(" s"));
    table.atMost(QStringLiteral("typeset / plain wall time"), set / plain, 1.2, QStringLiteral(" x"));
}
