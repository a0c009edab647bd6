#include "merge/MergePrinter.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "merge/MergedSheets.h"
#include "sheet/CardSheet.h"
#include "sheet/PdfPictureStreams.h"
#include "sheet/SheetPrinterPdfPages.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace MergePrinter {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

void addWarnings(QStringList *warnings, const MergedSheets &sheets)
{
    if (warnings)
        *warnings << sheets.problems();
}

std::optional<QString> jobProblem(const CardDocument &design, const MergePlan &plan, const SheetJob &job)
{
    if (std::optional<QString> problem = planProblem(plan))
        return problem;
    return SheetPrinter::pageProblem(design, job);
}

} // namespace

MergePlan planFor(const CardDocument &design, MergeMode mode, std::vector<int> rows, int copies)
{
    const PaperLayout &paper = design.printSettings().Layout;
    const int cells = paper.isValid() ? paper.columns * paper.rows : PaperLayout::standard().columns * PaperLayout::standard().rows;
    return MergePlan(mode, std::move(rows), copies, cells);
}

std::optional<QString> planProblem(const MergePlan &plan)
{
    if (plan.pageCount() < 1)
        return Msg::mergeNoRows();
    if (plan.pageCount() > MergePlan::MaxPages)
        return Msg::mergeTooManyPages(plan.pageCount(), MergePlan::MaxPages);
    return std::nullopt;
}

// The pictures every card of a face shows (MergedSheets::fixedPicturesFor), by face.
using FixedPictures = std::vector<std::vector<QImage>>;

// The merged sheets of each side a job prints, in page order.
std::vector<std::unique_ptr<MergedSheets>> sheetsOfSides(const CardDocument &design, const MergeList &list,
                                                         const MergePlan &plan, const QPaintDevice &device,
                                                         SheetOffset offset, const SheetSides &sides,
                                                         const FixedPictures &fixed = {})
{
    std::vector<std::unique_ptr<MergedSheets>> sheets;
    for (int face = 0; face < sides.pagesPerCopy(); ++face)
        sheets.push_back(
            std::make_unique<MergedSheets>(design, list, plan, device, offset, MergedSheets::DefaultPictureCacheKiB,
                                           SheetPrinter::pageFace(device, sides, face),
                                           size_t(face) < fixed.size() ? fixed[size_t(face)] : std::vector<QImage>()));
    return sheets;
}

namespace {

// The pages of the plan from begin up to end (each with its backs).
bool printPageRange(const CardDocument &design, const MergeList &list, const MergePlan &plan, QPainter &painter,
                    QPagedPaintDevice &device, SheetOffset offset, QStringList *warnings, const SheetSides &sides,
                    std::int64_t begin, std::int64_t end, const FixedPictures &fixed = {})
{
    const auto sheets = sheetsOfSides(design, list, plan, device, offset, sides, fixed);
    bool first = true;
    for (std::int64_t page = begin; page < end; ++page) {
        for (const auto &side : sheets) {
            if (!first && !device.newPage())
                return false;
            first = false;
            side->drawPage(painter, page);
        }
    }
    for (const auto &side : sheets)
        addWarnings(warnings, *side);
    return true;
}

// One part of a job's PDF: its pages drawn, what they found to tell.
struct PdfPart {
    std::optional<QByteArray> bytes;
    QString error;
    QStringList found;
    std::exception_ptr failure;
};

PdfPart pdfOfPages(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
                   const QString &path, std::int64_t begin, std::int64_t end, const FixedPictures &fixed)
{
    PdfPart part;
    try {
        part.bytes = SheetPrinter::pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
            return printPageRange(design, list, plan, painter, device, job.offset, &part.found, job.sides, begin, end,
                                  fixed);
        }, path, &part.error);
    } catch (...) {
        part.failure = std::current_exception();
    }
    return part;
}

// The pictures every card of each face shows, prepared once for the job's
// PDF pages, and their streams compressed on the other cores meanwhile.
struct FixedStreams {
    FixedPictures standIns;   // what the pages draw, by face
    std::optional<PdfPictureStreams> streams;
};

void prepareFixedPictures(const CardDocument &design, const SheetJob &job, FixedStreams &fixed)
{
    QBuffer nowhere;
    QPdfWriter measure(&nowhere);
    SheetPrinter::setUpPdfWriter(measure, job);
    std::vector<QImage> all;
    for (int face = 0; face < job.sides.pagesPerCopy(); ++face) {
        const std::vector<QImage> pictures = MergedSheets::fixedPicturesFor(
            design, measure, job.offset, SheetPrinter::pageFace(measure, job.sides, face));
        all.insert(all.end(), pictures.begin(), pictures.end());
    }
    fixed.streams.emplace(all);
    const std::vector<QImage> &drawn = fixed.streams->drawn();
    for (size_t at = 0; at < drawn.size(); at += size_t(CardDocument::SlotCount))
        fixed.standIns.emplace_back(drawn.begin() + std::ptrdiff_t(at),
                                    drawn.begin() + std::ptrdiff_t(at + size_t(CardDocument::SlotCount)));
}

} // namespace

// Qt's PDF writer draws and compresses every page, and every picture, on
// the thread that paints, which is most of a merge job. The pages are
// therefore drawn in two halves, the second on a thread of its own, with
// stand-ins for the pictures every card shows (PdfPictureStreams), and
// joined: a picture both halves embed alike is embedded once.
//
// Joining holds every page's objects in memory, about 14 KB a page, and
// takes about a fifth of what drawing the page took; one pass keeps memory
// flat. Up to MaxPagesInHalves pages (2048 cards, 256 single sheets) the
// halves are worth it; a longer job is drawn in one pass.
std::optional<QByteArray> pdfInHalves(const CardDocument &design, const MergeList &list, const MergePlan &plan,
                                      const SheetJob &job, const QString &path, QString *error, QStringList *warnings)
{
    const std::int64_t pages = plan.pageCount() * job.sides.pagesPerCopy();
    if (plan.pageCount() < 2 || pages > MaxPagesInHalves || jobProblem(design, plan, job))
        return std::nullopt;
    FixedStreams fixed;
    prepareFixedPictures(design, job, fixed);
    const std::int64_t half = (plan.pageCount() + 1) / 2;
    PdfPart second;
    std::unique_ptr<QThread> drawing(QThread::create([&] {
        second = pdfOfPages(design, list, plan, job, path, half, plan.pageCount(), fixed.standIns);
        CardSheet::forgetFontsOfThisThread();
    }));
    drawing->start();
    PdfPart first = pdfOfPages(design, list, plan, job, path, 0, half, fixed.standIns);
    drawing->wait();
    for (const PdfPart *part : {&first, &second}) {
        if (part->failure)
            std::rethrow_exception(part->failure);
    }
    for (const PdfPart *part : {&first, &second}) {
        if (!part->bytes) {
            setError(error, part->error);
            return std::nullopt;
        }
    }
    std::optional<QByteArray> bytes = SheetPrinterPdfPages::joined(*first.bytes, *second.bytes, &*fixed.streams);
    if (!bytes)
        return std::nullopt;
    if (warnings) {
        *warnings << first.found;
        for (const QString &problem : std::as_const(second.found)) {
            if (!first.found.contains(problem))
                *warnings << problem;
        }
    }
    return bytes;
}

bool printPages(const CardDocument &design, const MergeList &list, const MergePlan &plan, QPainter &painter,
                QPagedPaintDevice &device, SheetOffset offset, QStringList *warnings, const SheetSides &sides)
{
    return printPageRange(design, list, plan, painter, device, offset, warnings, sides, 0, plan.pageCount());
}

std::optional<QByteArray> pdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
                              const QString &path, QString *error, QStringList *warnings)
{
    if (const std::optional<QString> problem = jobProblem(design, plan, job)) {
        setError(error, *problem);
        return std::nullopt;
    }
    QStringList found;
    std::optional<QByteArray> bytes = pdfInHalves(design, list, plan, job, path, error, &found);
    if (!bytes) {
        found.clear();
        bytes = SheetPrinter::pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
            return printPages(design, list, plan, painter, device, job.offset, &found, job.sides);
        }, path, error);
    }
    if (bytes && warnings)
        *warnings << found;
    return bytes;
}

bool writePdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings)
{
    QStringList found;
    const std::optional<QByteArray> bytes = pdf(design, list, plan, job, path, error, &found);
    if (!bytes)
        return false;
    try {
        AtomicFile::write(path, *bytes);
    } catch (const TaveloError &e) {
        setError(error, Msg::cannotWriteOutput(path, e.message()));
        return false;
    }
    if (warnings)
        *warnings << found;
    return true;
}

bool writePng(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings)
{
    if (const std::optional<QString> problem = jobProblem(design, plan, job)) {
        setError(error, *problem);
        return false;
    }
    QImage page = SheetPrinter::blankPngPage(job, error);
    if (page.isNull())
        return false;
    const QImage blank = page;
    const auto sheets = sheetsOfSides(design, list, plan, page, job.offset, job.sides);
    const auto tellAll = [&] {
        for (const auto &side : sheets)
            addWarnings(warnings, *side);
    };
    int number = 0;
    for (std::int64_t n = 0; n < plan.pageCount(); ++n) {
        for (const auto &side : sheets) {
            page = blank;
            page.detach();
            {
                QPainter painter(&page);
                side->drawPage(painter, n);
            }
            if (!SheetPrinter::savePngPage(page, SheetPrinter::pngPageName(path, ++number), error)) {
                tellAll();
                return false;
            }
        }
    }
    tellAll();
    return true;
}

} // namespace MergePrinter
