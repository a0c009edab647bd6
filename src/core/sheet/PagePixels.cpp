#include "sheet/PagePixels.h"

#include <cmath>

namespace PagePixels {

QSize of(const QPageSize &pageSize, int dpi)
{
    // The size in the unit the page is defined in: converting it to points
    // first (as QPageSize::sizePixels does) loses up to half a point a side.
    double perUnit = 0;   // inches per unit
    QSizeF size = pageSize.definitionSize();
    switch (pageSize.definitionUnits()) {
    case QPageSize::Inch:
        perUnit = 1;
        break;
    case QPageSize::Millimeter:
        perUnit = 1 / 25.4;
        break;
    default:
        size = pageSize.size(QPageSize::Millimeter);
        perUnit = 1 / 25.4;
        break;
    }
    const auto pixels = [&](double length) { return int(std::lround(length * perUnit * dpi)); };
    return QSize(pixels(size.width()), pixels(size.height()));
}

} // namespace PagePixels
