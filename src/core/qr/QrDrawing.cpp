#include "qr/QrDrawing.h"

#include "base/Messages.h"

#include <QPainter>

#include <algorithm>
#include <map>
#include <utility>

namespace QrDrawing {

int moduleSize(int symbolWidth, QSize box)
{
    if (symbolWidth <= 0)
        return 0;
    const int side = std::min(box.width(), box.height());
    return std::max(side, 0) / (symbolWidth + 2 * QuietZone);
}

std::int64_t side(const QrSymbol &symbol, int module)
{
    return (std::int64_t(symbol.width()) + 2 * QuietZone) * std::max(module, 0);
}

QVector<QRect> darkModules(const QrSymbol &symbol, int module)
{
    QVector<QRect> rects;
    if (!symbol.isValid() || module <= 0)
        return rects;
    // Whole pixels: a module of m pixels at column c covers [(c + 4) m, (c + 5) m),
    // which is what a fill without smoothing paints. A run that starts and
    // ends where one in the row above did makes that rectangle taller
    // instead of adding one.
    std::map<std::pair<int, int>, qsizetype> open;   // (first, last module) of runs in the row above
    for (int y = 0; y < symbol.width(); ++y) {
        std::map<std::pair<int, int>, qsizetype> next;
        for (int x = 0; x < symbol.width();) {
            if (!symbol.dark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < symbol.width() && symbol.dark(x, y))
                ++x;
            const std::pair<int, int> run(start, x);
            if (const auto above = open.find(run); above != open.end()) {
                rects[above->second].setHeight(rects[above->second].height() + module);
                next.emplace(run, above->second);
            } else {
                next.emplace(run, rects.size());
                const int left = (start + QuietZone) * module;
                rects.append(QRect(left, (y + QuietZone) * module, (x - start) * module, module));
            }
        }
        open.swap(next);
    }
    return rects;
}

void fillModules(QPainter &painter, const QVector<QRect> &modules, QPoint topLeft, const QColor &colour)
{
    if (modules.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.translate(topLeft);
    painter.drawRects(modules.constData(), int(modules.size()));
    painter.restore();
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
        if (module == 0)
            drawCross(painter, box, QColor(200, 200, 200));
        else
            fillModules(painter, darkModules(symbol, module), centredIn(box, int(side(symbol, module))), colour);
    }
    painter.restore();
}

} // namespace QrDrawing
