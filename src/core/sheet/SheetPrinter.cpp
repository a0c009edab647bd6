#include "sheet/SheetPrinter.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "sheet/CardSheet.h"
#include "sheet/PagePixels.h"
#include "sheet/PdfCellForms.h"
#include "sheet/PdfPictureStreams.h"
#include "sheet/PngPageEncoder.h"
#include "sheet/SheetPrinterPdfPages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPageLayout>
#include <QPdfWriter>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

SheetSides SheetSides::of(DuplexMode mode, SheetOffset backOffset)
{
    SheetSides sides;
    sides.front = mode != DuplexMode::BackOnly;
    sides.back = mode != DuplexMode::OneSided;
    sides.turn = mode == DuplexMode::ShortEdge ? SheetTurn::ShortEdge : SheetTurn::LongEdge;
    sides.backOffset = backOffset;
    return sides;
}

namespace SheetPrinter {

BackSheet backSheetOn(const QPaintDevice &device, const SheetSides &sides)
{
    BackSheet back{sides.turn, QSize(device.width(), device.height()), QPoint(), sides.backOffset};
    // A printer draws from its printable area's corner (unless it prints its
    // full page): the back's mirror stands at the middle of the paper.
    if (const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&device)) {
        const QPageLayout page = paged->pageLayout();
        const int dpi = device.logicalDpiX();
        const QRect full = page.fullRectPixels(dpi);
        const QRect painted = page.paintRectPixels(dpi);
        if (full.isValid()) {
            back.pagePixels = full.size();
            back.origin = painted.topLeft() - full.topLeft();
        }
    }
    return back;
}

SheetFace pageFace(const QPaintDevice &device, const SheetSides &sides, int page)
{
    const bool back = !sides.front || (sides.back && page % 2 == 1);
    if (!back)
        return {};
    return {Side::Back, backSheetOn(device, sides)};
}

std::optional<SheetSides> sidesFor(const CardDocument &doc, const SheetSides &asked, QString *problem)
{
    if (doc.hasBack() || !asked.back)
        return asked;
    if (!asked.front) {
        if (problem)
            *problem = Msg::noBackToPrint();
        return std::nullopt;
    }
    SheetSides frontOnly = asked;
    frontOnly.back = false;
    return frontOnly;
}

namespace {

// A PNG page is drawn in memory first; keep it to what a machine can hold
// (1 GiB of 32-bit pixels: A4 at about 1600 dpi).
constexpr qint64 MaxPngPixels = qint64(1) << 28;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Replaces path as a whole, so a failed write leaves no half file behind. The
// engines that draw the pages do not all report a failed write; the bytes are
// therefore made in memory and written here, where every failure is seen.
// A PDF may go to a device or a pipe (streams); a page of several is a file.
enum class Streams { Refused, Written };
bool saveFile(const QString &path, const QByteArray &bytes, QString *error, Streams streams)
{
    try {
        if (streams == Streams::Written)
            AtomicFile::write(path, bytes);
        else
            AtomicFile::replace(path, bytes);
        return true;
    } catch (const TaveloError &e) {
        setError(error, Msg::cannotWriteOutput(path, e.message()));
        return false;
    }
}

} // namespace

void setUpPdfWriter(QPdfWriter &writer, const SheetJob &job)
{
    writer.setCreator(Msg::programTitle());
    writer.setResolution(job.dpi);
    writer.setPageSize(job.pageSize);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
}

std::optional<QByteArray> pdfBytes(const SheetJob &job, const PdfDrawing &draw, const QString &path, QString *error)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    setUpPdfWriter(writer, job);
    QPainter painter(&writer);
    if (!painter.isActive() || !draw(painter, writer) || !painter.end()) {
        setError(error, Msg::cannotWriteOutput(path, buffer.errorString()));
        return std::nullopt;
    }
    return pdf;
}

namespace {

// The job's pages drawn into a PDF in memory; nothing when the writer failed.
std::optional<QByteArray> drawnPdf(const CardDocument &doc, const SheetJob &job, int copies, QString *error, const QString &path)
{
    return pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
        return printSheets(doc, painter, device, copies, job.offset, job.sides);
    }, path, error);
}

// One face of the job drawn once with stand-ins for its pictures, which are
// compressed on every core meanwhile and put in afterwards, the page
// repeated pages times. Nothing when that cannot be done: the job is then
// drawn as it is.
std::optional<QByteArray> pdfWithStandIns(const CardDocument &doc, const SheetJob &job, int face, int pages)
{
    std::optional<PdfPictureStreams> pictures;
    PdfCellForms outlines;
    const std::optional<QByteArray> drawn = pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
        // The compression starts before the captions are laid out.
        CardSheet sheet(doc, device, pageFace(device, job.sides, face), job.offset, [&](std::vector<QImage> &printed) {
            pictures.emplace(printed);
            printed = pictures->drawn();
        });
        sheet.setCellForms(&outlines);
        sheet.draw(painter);
        return true;
    }, QString(), nullptr);
    if (!drawn || !pictures)
        return std::nullopt;
    return SheetPrinterPdfPages::finishedSheet(*drawn, pages, *pictures, &outlines);
}

// A two-sided job: the front and the back sheet each made once as above,
// then their pages alternated for the copies.
std::optional<QByteArray> twoSidedPdf(const CardDocument &doc, const SheetJob &job)
{
    const std::optional<QByteArray> front = pdfWithStandIns(doc, job, 0, 1);
    const std::optional<QByteArray> back = front ? pdfWithStandIns(doc, job, 1, 1) : std::nullopt;
    if (!back)
        return std::nullopt;
    return SheetPrinterPdfPages::alternated(*front, *back, job.copies);
}

} // namespace

bool printSheets(const CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies, SheetOffset offset)
{
    return printSheets(doc, painter, device, copies, offset, SheetSides());
}

bool printSheets(const CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies, SheetOffset offset,
                 const SheetSides &sides)
{
    std::optional<CardSheet> front;
    std::optional<CardSheet> back;
    if (sides.front)
        front.emplace(doc, device, pageFace(device, sides, 0), offset);
    if (sides.back)
        back.emplace(doc, device, pageFace(device, sides, 1), offset);
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (const std::optional<CardSheet> *sheet : {&front, &back}) {
            if (!*sheet)
                continue;
            if (!first && !device.newPage())
                return false;
            first = false;
            (*sheet)->draw(painter);
        }
    }
    return true;
}

std::optional<QString> pageProblem(const CardDocument &doc, const SheetJob &job)
{
    return layoutProblem(doc, job.pageSize.size(QPageSize::Millimeter));
}

// What keeps a file job from being made, or nothing.
std::optional<QString> fileJobProblem(const CardDocument &doc, const SheetJob &job)
{
    if (job.copies < 1)
        return Msg::noCopies();
    if (!job.sides.front && !job.sides.back)
        return Msg::noCopies();
    return pageProblem(doc, job);
}

std::optional<QString> layoutProblem(const CardDocument &doc, const QSizeF &pageMm)
{
    const PaperLayout &layout = doc.printSettings().Layout;
    if (layout.fitsOn(pageMm))
        return std::nullopt;
    const QSizeF extent = layout.extentMm();
    return Msg::layoutDoesNotFit(extent.width(), extent.height(), pageMm.width(), pageMm.height());
}

namespace {

void setPngResolution(QImage &page, const SheetJob &job)
{
    const int dotsPerMeter = int(std::lround(job.dpi / 0.0254));
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
}

bool encodePng(const QImage &page, QByteArray &png, const QString &path, QString *error)
{
    std::optional<QByteArray> encoded = PngPageEncoder::encode(page);
    if (!encoded) {
        setError(error, Msg::cannotWriteOutput(path, Msg::pngNotEncoded()));
        return false;
    }
    png = std::move(*encoded);
    return true;
}

} // namespace

bool writePdf(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = pdf(doc, job, path, error);
    return bytes && saveFile(path, *bytes, error, Streams::Written);
}

std::optional<QByteArray> pdf(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error)
{
    if (const std::optional<QString> problem = fileJobProblem(doc, job)) {
        setError(error, *problem);
        return std::nullopt;
    }
    if (job.sides.twoSided()) {
        if (std::optional<QByteArray> bytes = twoSidedPdf(doc, job))
            return bytes;
        return drawnPdf(doc, job, job.copies, error, path);
    }
    // Every page is the same sheet: draw it once and let the other pages
    // show it too. Only a PDF that cannot be read back is drawn in full.
    std::optional<QByteArray> bytes = pdfWithStandIns(doc, job, 0, job.copies);
    if (!bytes) {
        bytes = drawnPdf(doc, job, 1, error, path);
        if (bytes && job.copies > 1) {
            std::optional<QByteArray> repeated = SheetPrinterPdfPages::repeatOnlyPage(*bytes, job.copies);
            bytes = repeated ? std::move(repeated) : drawnPdf(doc, job, job.copies, error, path);
        }
    }
    return bytes;
}

bool writePng(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error)
{
    if (const std::optional<QString> problem = fileJobProblem(doc, job)) {
        setError(error, *problem);
        return false;
    }
    // Every page of a face is the same sheet: encode it once, write it for
    // every copy, in page order.
    std::vector<QByteArray> faces;
    for (int face = 0; face < job.sides.pagesPerCopy(); ++face) {
        QImage page = blankPngPage(job, error);
        if (page.isNull())
            return false;
        {
            QPainter painter(&page);
            CardSheet(doc, page, pageFace(page, job.sides, face), job.offset).draw(painter);
        }
        QByteArray png;
        if (!encodePng(page, png, path, error))
            return false;
        faces.push_back(std::move(png));
    }
    int number = 0;
    for (int n = 1; n <= job.copies; ++n) {
        for (const QByteArray &png : faces) {
            if (!saveFile(pngPageName(path, ++number), png, error, Streams::Refused))
                return false;
        }
    }
    return true;
}

void layOutCaptionsAhead(const CardDocument &doc, const SheetJob &job, FileOutput output)
{
    if (fileJobProblem(doc, job))
        return;
    const auto layOut = [&](const QPaintDevice &device) {
        for (int face = 0; face < job.sides.pagesPerCopy(); ++face)
            CardSheet(doc, device, pageFace(device, job.sides, face), job.offset);
    };
    if (output == FileOutput::Png) {
        // A caption's layout reads the page's resolution, not its size.
        QImage resolution(1, 1, QImage::Format_RGB32);
        setPngResolution(resolution, job);
        layOut(resolution);
    } else {
        QBuffer nowhere;
        QPdfWriter writer(&nowhere);
        setUpPdfWriter(writer, job);
        layOut(writer);
    }
}

QImage blankPngPage(const SheetJob &job, QString *error)
{
    const QSize pixels = PagePixels::of(job.pageSize, job.dpi);
    if (pixels.isEmpty() || qint64(pixels.width()) * pixels.height() > MaxPngPixels) {
        setError(error, Msg::pageTooLarge(pixels.width(), pixels.height()));
        return {};
    }
    QImage page(pixels, QImage::Format_RGB32);
    if (page.isNull()) {
        setError(error, Msg::pageTooLarge(pixels.width(), pixels.height()));
        return {};
    }
    setPngResolution(page, job);
    // White paper (every byte of a white RGB32 pixel is 0xff), in bands on
    // every core: a 300 dpi A4 page is 35 MB of fresh memory.
    std::vector<std::pair<int, int>> bands;
    const int rowsPerBand = std::max(1, page.height() / std::max(1, 4 * QThread::idealThreadCount()));
    for (int y = 0; y < page.height(); y += rowsPerBand)
        bands.emplace_back(y, std::min(rowsPerBand, page.height() - y));
    uchar *const bits = page.bits();
    const size_t rowBytes = size_t(page.bytesPerLine());
    QtConcurrent::blockingMap(bands, [bits, rowBytes](const std::pair<int, int> &band) {
        std::memset(bits + size_t(band.first) * rowBytes, 0xff, rowBytes * size_t(band.second));
    });
    return page;
}

bool savePngPage(const QImage &page, const QString &file, QString *error)
{
    QByteArray png;
    return encodePng(page, png, file, error) && saveFile(file, png, error, Streams::Refused);
}

QString pngPageName(const QString &path, int page)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString numbered = dot > 0 ? name.left(dot) + QLatin1Char('-') + QString::number(page) + name.mid(dot)
                                     : name + QLatin1Char('-') + QString::number(page);
    return path.left(path.size() - name.size()) + numbered;
}

} // namespace SheetPrinter
