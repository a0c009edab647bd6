#pragma once
// Pictures for the tests of printed sheets: plain and noisy pictures for
// image boxes, a card's sheet drawn into a picture, its pixels counted, and
// a page of a PDF file as a PDF reader shows it.
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringList>

namespace SheetImages {

inline QImage solid(QSize size, QRgb colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Random pixels, which no compression shrinks much.
inline QImage noise(QSize size, quint32 seed, QImage::Format format = QImage::Format_RGB32)
{
    QImage picture(size, format);
    QRandomGenerator random(seed);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, format == QImage::Format_RGB32 ? 0xff000000 | random.bounded(0x1000000)
                                                                  : random.generate());
    return picture;
}

// The sheet of doc drawn on a page of size pixels at dpi, on background.
// The program leaves out the white under a caption on paper nothing has
// touched; on a page of another colour every caption's cell shows.
inline QImage drawnSheet(const CardDocument &doc, QSize size, int dpi, QRgb background = 0xffffffff)
{
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(background);
    const bool white = background == 0xffffffff;
    if (!white)
        CardSheet::setEveryCaptionCellFilled(true);
    QPainter painter(&image);
    CardSheet(doc, image).draw(painter);
    painter.end();
    if (!white)
        CardSheet::setEveryCaptionCellFilled(false);
    return image;
}

// The pixels of colour in area (a null area: the whole picture).
inline int pixelCount(const QImage &image, QRgb colour, const QRect &area = QRect())
{
    int count = 0;
    const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

inline bool pdfReaderInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// A page of the PDF file as poppler's pdftoppm shows it, with the options
// given (resolution, page, part of the page); what the reader complained
// about is added to complaints.
inline QImage shownPdfPage(const QString &pdf, const QStringList &options, QByteArray *complaints = nullptr)
{
    const QString prefix = pdf + QStringLiteral("-shown");
    QFile::remove(prefix + QStringLiteral(".png"));
    QProcess reader;
    reader.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
                 options + QStringList{QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
    if (!reader.waitForFinished(60000))
        return QImage();
    if (complaints)
        *complaints += reader.readAllStandardError();
    return QImage(prefix + QStringLiteral(".png"));
}

} // namespace SheetImages
