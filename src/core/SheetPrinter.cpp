#include "SheetPrinter.h"

#include "CardDocument.h"
#include "CardSheet.h"
#include "Messages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

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

bool commit(QSaveFile &file, QString *error)
{
    if (file.commit())
        return true;
    setError(error, Msg::cannotWriteOutput(file.fileName(), file.errorString()));
    return false;
}

} // namespace

bool printSheets(CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies)
{
    doc.PrinterDpiX = device.logicalDpiX();
    doc.PrinterDpiY = device.logicalDpiY();
    const CardSheet sheet(doc, device);
    for (int page = 0; page < copies; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        sheet.draw(painter);
    }
    return true;
}

bool writePdf(CardDocument &doc, const SheetJob &job, const QString &path, QString *error)
{
    if (job.copies < 1) {
        setError(error, Msg::noCopies());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, Msg::cannotWriteOutput(path, file.errorString()));
        return false;
    }
    QPdfWriter writer(&file);
    writer.setCreator(Msg::programTitle());
    writer.setResolution(job.dpi);
    writer.setPageSize(job.pageSize);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) {
        file.cancelWriting();
        setError(error, Msg::cannotWriteOutput(path, file.errorString()));
        return false;
    }
    const bool printed = printSheets(doc, painter, writer, job.copies);
    painter.end();
    if (!printed) {
        file.cancelWriting();
        setError(error, Msg::cannotWriteOutput(path, file.errorString()));
        return false;
    }
    return commit(file, error);
}

bool writePng(CardDocument &doc, const SheetJob &job, const QString &path, QString *error)
{
    if (job.copies < 1) {
        setError(error, Msg::noCopies());
        return false;
    }
    const QSize pixels = job.pageSize.sizePixels(job.dpi);
    if (pixels.isEmpty() || qint64(pixels.width()) * pixels.height() > MaxPngPixels) {
        setError(error, Msg::pageTooLarge(pixels.width(), pixels.height()));
        return false;
    }
    QImage page(pixels, QImage::Format_RGB32);
    if (page.isNull()) {
        setError(error, Msg::pageTooLarge(pixels.width(), pixels.height()));
        return false;
    }
    const int dotsPerMeter = int(std::lround(job.dpi / 0.0254));
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    page.fill(Qt::white);
    doc.PrinterDpiX = page.logicalDpiX();
    doc.PrinterDpiY = page.logicalDpiY();
    {
        QPainter painter(&page);
        CardSheet(doc, page).draw(painter);
    }

    // Every page is the same sheet: encode it once, write it copies times.
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(page)) {
            setError(error, Msg::cannotWriteOutput(path, writer.errorString()));
            return false;
        }
    }
    for (int n = 1; n <= job.copies; ++n) {
        QSaveFile file(pngPageName(path, n));
        if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
            setError(error, Msg::cannotWriteOutput(file.fileName(), file.errorString()));
            return false;
        }
        if (!commit(file, error))
            return false;
    }
    return true;
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
