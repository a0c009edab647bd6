#pragma once
// A PDF job as written, against the same sheet drawn straight by Qt's PDF
// writer with every picture and drawing in place: what the written job must
// show. Both as poppler shows them at 150 dpi.
#include "SheetImages.h"
#include "TestFiles.h"
#include "card/CardDocument.h"
#include "sheet/SheetPrinter.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainter>

namespace WrittenSheets {

// pdf's first page, written into folder as name first; null when it cannot
// be written or shown.
inline QImage shownPage(const QByteArray &pdf, const QDir &folder, const QString &name)
{
    const QString path = folder.filePath(name);
    return TestFiles::writeFile(path, pdf) ? SheetImages::shownPdfPage(path, {QStringLiteral("-r"), QStringLiteral("150")})
                                           : QImage();
}

// job's first sheet of doc drawn straight, as shownPage shows it.
inline QImage drawnDirectly(const CardDocument &doc, const SheetJob &job, const QDir &folder)
{
    const std::optional<QByteArray> drawn = SheetPrinter::pdfBytes(
        job, [&](QPainter &painter, QPagedPaintDevice &device) {
            return SheetPrinter::printSheets(doc, painter, device, 1);
        }, QString(), nullptr);
    return drawn ? shownPage(*drawn, folder, QStringLiteral("drawn.pdf")) : QImage();
}

} // namespace WrittenSheets
