#include "printshop/PrintShopExport.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "cardfile/CardFile.h"
#include "files/AtomicFile.h"
#include "merge/BoxNames.h"
#include "merge/MergeFields.h"
#include "merge/MergeList.h"
#include "merge/MergePlan.h"
#include "merge/MergedSheets.h"
#include "printshop/PdfxFinish.h"
#include "printshop/Preflight.h"
#include "sheet/CardSheet.h"
#include "sheet/PdfPictureStreams.h"
#include "sheet/SheetPrinter.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace PrintShopExport {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

double mmToPixels(double mm) { return mm / 25.4 * Dpi; }

QString sideName(Side side) { return side == Side::Front ? Msg::printShopFront() : Msg::printShopBack(); }


// Draws one page: the card's top-left corner at the trim's, clipped to the
// bleed edge so that nothing reaches the marks.
void drawPage(QPainter &painter, const PrintShopLayout &layout, const std::function<void(QPainter &)> &drawCard)
{
    const double margin = mmToPixels(layout.marginMm());
    const double bleed = mmToPixels(layout.bleedMm());
    painter.save();
    painter.translate(margin, margin);
    painter.setClipRect(QRectF(-bleed, -bleed, mmToPixels(91.0) + 2 * bleed, mmToPixels(55.0) + 2 * bleed));
    drawCard(painter);
    painter.restore();
}

// One side of design alone on a paper of one card, at the paper's corner:
// the card every page of that side shows (a merge job fills in its fields).
std::unique_ptr<CardDocument> cardAlone(const CardDocument &design, Side side)
{
    auto card = std::make_unique<CardDocument>();
    card->setScreenPpi(design.screenPpi());
    card->setPrintSettings(PrintSettings(
        0, 0, 0, PaperLayout::custom(1, 1, 0, 0, PaperLayout::CardWidthTenths, PaperLayout::CardHeightTenths)));
    card->setSide(Side::Front, design.side(side));
    return card;
}

// The card's front as a page prints it: its background reaches to the
// bleed edge (a pixel past it, under the clip, so that no rounding leaves a
// hairline).
SheetFace pageFace(const PrintShopLayout &layout)
{
    SheetFace face;
    face.backgroundBleed = std::int32_t(std::ceil(mmToPixels(layout.bleedMm()))) + 1;
    return face;
}

SheetJob sheetJob(const PrintShopLayout &layout)
{
    SheetJob job;
    job.dpi = Dpi;
    job.pageSize = QPageSize(layout.pageMm(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return job;
}

PdfxFinish::DocumentInfo documentInfo(const PrintShopJob &job)
{
    return {job.title, job.created.isValid() ? job.created : QDateTime::currentDateTimeUtc()};
}

QStringList onSide(Side side, const QStringList &problems, bool name)
{
    if (!name)
        return problems;
    QStringList named;
    for (const QString &problem : problems)
        named << Msg::printShopOnSide(sideName(side), problem);
    return named;
}

void addOnce(QStringList *to, const QStringList &problems)
{
    if (!to)
        return;
    for (const QString &problem : problems) {
        if (!to->contains(problem))
            to->append(problem);
    }
}

// The drawn PDF made PDF/X; *error is set when that failed, not when
// prepare refused the drawing.
std::optional<QByteArray> finished(const std::optional<QByteArray> &drawn, const PrintShopLayout &layout,
                                   const PrintShopJob &job, QStringList *preflight, QString *error,
                                   const PdfxFinish::Preparation &prepare = {})
{
    if (!drawn)
        return std::nullopt;
    bool prepared = true;
    const auto preparing = [&](QPDF &document) { return prepared = prepare(document); };
    QString why;
    std::optional<QByteArray> pdf = PdfxFinish::finish(*drawn, layout, documentInfo(job), preflight, &why,
                                                       prepare ? PdfxFinish::Preparation(preparing)
                                                               : PdfxFinish::Preparation());
    if (!pdf && prepared)
        setError(error, Msg::printShopNotFinished(why));
    return pdf;
}

}   // namespace

std::vector<Side> sidesOf(const CardDocument &doc)
{
    if (doc.hasBack())
        return {Side::Front, Side::Back};
    return {Side::Front};
}

std::optional<std::vector<Side>> chosenSides(const CardDocument &doc, SideChoice choice, QString *problem)
{
    const std::vector<Side> has = sidesOf(doc);
    const auto hasSide = [&has](Side side) { return std::find(has.begin(), has.end(), side) != has.end(); };
    if (choice == SideChoice::Both)
        return has;
    const Side wanted = choice == SideChoice::Front ? Side::Front : Side::Back;
    if (!hasSide(wanted)) {
        setError(problem, Msg::printShopNoBack());
        return std::nullopt;
    }
    return std::vector<Side>{wanted};
}

QStringList preflight(const CardDocument &doc, const PrintShopJob &job)
{
    QStringList problems;
    const std::optional<std::vector<Side>> sides = chosenSides(doc, job.sides, nullptr);
    if (!sides)
        return problems;
    const QImage device = [] {
        QImage metrics(1, 1, QImage::Format_RGB32);
        metrics.setDotsPerMeterX(int(std::lround(Dpi / 0.0254)));
        metrics.setDotsPerMeterY(int(std::lround(Dpi / 0.0254)));
        return metrics;
    }();
    const PrintShopLayout layout(job.options);
    for (const Side side : *sides) {
        const std::unique_ptr<CardDocument> card = cardAlone(doc, side);
        const CardSheet sheet(*card, device, pageFace(layout));
        addOnce(&problems, onSide(side, Preflight::check(*card, sheet, Dpi, job.options), sides->size() > 1));
    }
    return problems;
}

std::optional<QByteArray> pdf(const CardDocument &doc, const PrintShopJob &job, QStringList *preflight, QString *error)
{
    const std::optional<std::vector<Side>> sides = chosenSides(doc, job.sides, error);
    if (!sides)
        return std::nullopt;
    const PrintShopLayout layout(job.options);
    // Qt's writer would compress every picture on the drawing thread, only
    // for the conversion to CMYK to take it apart again: the pages are drawn
    // with stand-ins while the pictures are compressed on the other cores,
    // and the conversion finds the pictures in their places. A stand-in
    // not drawn (a box beyond the bleed) has the pages drawn again with the
    // pictures.
    for (const bool standIns : {true, false}) {
        QStringList problems;
        std::vector<std::unique_ptr<PdfPictureStreams>> pictures;
        const std::optional<QByteArray> drawn = SheetPrinter::pdfBytes(
            sheetJob(layout),
            [&](QPainter &painter, QPagedPaintDevice &device) {
                std::size_t standInsBefore = 0;
                for (size_t n = 0; n < sides->size(); ++n) {
                    if (n > 0 && !device.newPage())
                        return false;
                    const std::unique_ptr<CardDocument> card = cardAlone(doc, (*sides)[n]);
                    CardSheet::PictureHook standInsFor;
                    if (standIns) {
                        standInsFor = [&](std::vector<QImage> &printed) {
                            pictures.push_back(std::make_unique<PdfPictureStreams>(printed, standInsBefore));
                            standInsBefore += pictures.back()->standInCount();
                            printed = pictures.back()->drawn();
                        };
                    }
                    const CardSheet sheet(*card, device, pageFace(layout), {}, standInsFor);
                    addOnce(&problems,
                            onSide((*sides)[n], Preflight::check(*card, sheet, Dpi, job.options), sides->size() > 1));
                    drawPage(painter, layout, [&sheet](QPainter &p) { sheet.draw(p); });
                }
                return true;
            },
            job.title, error);
        bool standInMissing = false;
        const auto putPictures = [&](QPDF &document) {
            for (const std::unique_ptr<PdfPictureStreams> &streams : pictures)
                standInMissing = standInMissing || !streams->replaceStandIns(document);
            return !standInMissing;
        };
        std::optional<QByteArray> bytes = finished(drawn, layout, job, &problems, error,
                                                   standIns ? PdfxFinish::Preparation(putPictures)
                                                            : PdfxFinish::Preparation());
        if (standInMissing)
            continue;
        addOnce(preflight, problems);
        return bytes;
    }
    return std::nullopt;
}

std::optional<QByteArray> mergedPdf(const CardDocument &design, const MergeList &list, const std::vector<int> &rows,
                                    const PrintShopJob &job, QStringList *preflight, QString *error)
{
    const std::optional<std::vector<Side>> sides = chosenSides(design, job.sides, error);
    if (!sides)
        return std::nullopt;
    if (rows.empty()) {
        setError(error, Msg::mergeNoRows());
        return std::nullopt;
    }
    if (qint64(rows.size()) * qint64(sides->size()) > MaxPages) {
        setError(error, Msg::mergeTooManyPages(qint64(rows.size()) * qint64(sides->size()), MaxPages));
        return std::nullopt;
    }
    const PrintShopLayout layout(job.options);
    QStringList problems;
    const std::optional<QByteArray> drawn = SheetPrinter::pdfBytes(
        sheetJob(layout),
        [&](QPainter &painter, QPagedPaintDevice &device) {
            struct SideJob {
                Side side;
                std::unique_ptr<CardDocument> card;
                std::unique_ptr<MergedSheets> sheets;
            };
            const bool nameSide = sides->size() > 1;
            std::vector<SideJob> sideJobs(sides->size());
            for (size_t n = 0; n < sides->size(); ++n) {
                SideJob &sideJob = sideJobs[n];
                sideJob.side = (*sides)[n];
                sideJob.card = cardAlone(design, sideJob.side);
                const CardDocument *card = sideJob.card.get();
                const auto hasFields = [card](int slot) {
                    return MergeFields::hasFields(card->TextBoxes(slot)->Caption);
                };
                // What every row shares is checked once, on the design.
                const CardSheet designSheet(*card, device, pageFace(layout));
                addOnce(&problems, onSide(sideJob.side,
                                          Preflight::pictureProblems(*card, job.options)
                                              + Preflight::textProblems(*card, designSheet, Dpi,
                                                                        [&](int slot) { return !hasFields(slot); }),
                                          nameSide));
                sideJob.sheets = std::make_unique<MergedSheets>(*card, list, MergePlan(MergeMode::Card, rows, 1, 1),
                                                                device, SheetOffset{},
                                                                MergedSheets::DefaultPictureCacheKiB, pageFace(layout));
                // The texts a row fills, for each row, on the sheet its page is drawn from.
                const Side side = sideJob.side;
                sideJob.sheets->setRowCardMade([&problems, card, side, hasFields,
                                                nameSide](int row, const CardDocument &filled, const CardSheet &sheet) {
                    const auto designName = [card](int slot) { return BoxNames::textBox(*card->TextBoxes(slot)); };
                    QStringList rowProblems;
                    for (const QString &problem : Preflight::textProblems(filled, sheet, Dpi, hasFields, designName))
                        rowProblems << Msg::printShopOnRow(row + 1, problem);
                    addOnce(&problems, onSide(side, rowProblems, nameSide));
                });
            }
            for (size_t page = 0; page < rows.size(); ++page) {
                for (size_t n = 0; n < sideJobs.size(); ++n) {
                    if ((page > 0 || n > 0) && !device.newPage())
                        return false;
                    MergedSheets &sheets = *sideJobs[n].sheets;
                    drawPage(painter, layout, [&](QPainter &p) { sheets.drawPage(p, std::int64_t(page)); });
                }
            }
            for (const SideJob &sideJob : sideJobs)
                addOnce(&problems, sideJob.sheets->problems());
            return true;
        },
        job.title, error);
    std::optional<QByteArray> bytes = finished(drawn, layout, job, &problems, error);
    addOnce(preflight, problems);
    return bytes;
}

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    try {
        AtomicFile::write(path, bytes);
        return true;
    } catch (const TaveloError &e) {
        setError(error, Msg::cannotWriteOutput(path, e.message()));
        return false;
    }
}

}   // namespace PrintShopExport
