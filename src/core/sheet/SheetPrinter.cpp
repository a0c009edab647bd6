#include "sheet/SheetPrinter.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "sheet/CardSheet.h"
#include "sheet/PagePixels.h"
#include "sheet/PdfPictureStreams.h"
#include "sheet/PngPageEncoder.h"
#include "sheet/SheetPrinterPdfPages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <optional>

namespace SheetPrinter {
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

std::optional<QByteArray> pdfBytes(const SheetJob &job, const PdfDrawing &draw, const QString &path, QString *error)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(Msg::programTitle());
    writer.setResolution(job.dpi);
    writer.setPageSize(job.pageSize);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
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
        return printSheets(doc, painter, device, copies, job.offset);
    }, path, error);
}

// The job drawn once with stand-ins for its pictures, which are compressed
// on every core meanwhile and put in afterwards, the page repeated for the
// copies. Nothing when that cannot be done: the job is then drawn as it is.
std::optional<QByteArray> pdfWithStandIns(const CardDocument &doc, const SheetJob &job)
{
    std::optional<PdfPictureStreams> pictures;
    const std::optional<QByteArray> drawn = pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
        // The compression starts before the captions are laid out.
        const CardSheet sheet(doc, device, job.offset, [&](std::vector<QImage> &printed) {
            pictures.emplace(printed);
            printed = pictures->drawn();
        });
        sheet.draw(painter);
        return true;
    }, QString(), nullptr);
    if (!drawn || !pictures)
        return std::nullopt;
    return SheetPrinterPdfPages::finishedSheet(*drawn, job.copies, *pictures);
}

} // namespace

bool printSheets(const CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies, SheetOffset offset)
{
    const CardSheet sheet(doc, device, offset);
    for (int page = 0; page < copies; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        sheet.draw(painter);
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
    // Every page is the same sheet: draw it once and let the other pages
    // show it too. Only a PDF that cannot be read back is drawn in full.
    std::optional<QByteArray> bytes = pdfWithStandIns(doc, job);
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
    QImage page = blankPngPage(job, error);
    if (page.isNull())
        return false;
    {
        QPainter painter(&page);
        CardSheet(doc, page, job.offset).draw(painter);
    }

    // Every page is the same sheet: encode it once, write it copies times.
    QByteArray png;
    if (!encodePng(page, png, path, error))
        return false;
    for (int n = 1; n <= job.copies; ++n) {
        if (!saveFile(pngPageName(path, n), png, error, Streams::Refused))
            return false;
    }
    return true;
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
    const int dotsPerMeter = int(std::lround(job.dpi / 0.0254));
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    page.fill(Qt::white);
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
