#include "qr/QrDrawing.h"

#include "base/Messages.h"

#include <QPainter>

#include <algorithm>

namespace QrDrawing {

int moduleSize(int symbolWidth, QSize box)
{
    if (symbolWidth <= 0)
        return 0;
    const int side = std::min(box.width(), box.height());
    return std::max(side, 0) / (symbolWidth + 2 * QuietZone);
}

QImage render(const QrSymbol &symbol, int module, const QColor &colour)
{
    if (!symbol.isValid() || module <= 0)
        return {};
    const int side = (symbol.width() + 2 * QuietZone) * module;
    QImage image(side, side, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), colour.rgb()});
    image.fill(0);
    // Each row of modules is drawn once and copied to the pixel rows below it.
    for (int y = 0; y < symbol.width(); ++y) {
        const int top = (y + QuietZone) * module;
        for (int x = 0; x < symbol.width(); ++x) {
            if (!symbol.dark(x, y))
                continue;
            const int left = (x + QuietZone) * module;
            for (int column = left; column < left + module; ++column)
                image.setPixel(column, top, 1);
        }
        for (int row = top + 1; row < top + module; ++row)
            std::copy_n(image.constScanLine(top), image.bytesPerLine(), image.scanLine(row));
    }
    return image;
}

QImage renderBlackForPdf(const QrSymbol &symbol, int module)
{
    QImage image = render(symbol, module, Qt::black);
    if (image.isNull())
        return image;
    // The bits are inverted with the table: the same picture.
    image.invertPixels();
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return image;
}

QPoint centredIn(const QRect &box, int side)
{
    return {box.left() + (box.width() - side) / 2, box.top() + (box.height() - side) / 2};
}

namespace {
void drawCross(QPainter &painter, const QRect &box, const QColor &line)
{
    painter.setPen(line);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
}
} // namespace

void drawOnScreen(QPainter &painter, const QRect &box, const QrSymbol &symbol, const QColor &colour)
{
    if (box.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(box, Qt::white);
    if (symbol.status() == QrSymbol::Status::TooLong) {
        drawCross(painter, box, QColor(128, 128, 128));
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, Msg::qrTooLong());
    } else {
        const int module = moduleSize(symbol.width(), box.size());
        if (module == 0) {
            drawCross(painter, box, QColor(200, 200, 200));
        } else {
            const QImage image = render(symbol, module, colour);
            painter.drawImage(centredIn(box, image.width()), image);
        }
    }
    painter.restore();
}

} // namespace QrDrawing
