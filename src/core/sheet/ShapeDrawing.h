#pragma once
// Lines and rectangles on a device, as filled outlines: vector paths in a PDF
// or on a printer, and on a raster device exactly the pixels the outline
// covers. A horizontal or vertical line and a square-cornered rectangle are
// made of whole-pixel rectangles, so their ends, widths and dashes land on
// exact device pixels; a free line and rounded corners are smoothed.
#include "card/CardShape.h"

#include <QPoint>

#include <cstdint>

class QPainter;

namespace ShapeDrawing {

// Tenths of a millimetre in pixels at dpi, at least one pixel.
std::int32_t pixels(int tenths, std::int32_t dpi);

// A stroke's dashes along it, in tenths of a millimetre, for width: a dash and
// the gap after it (a solid stroke has no gap).
struct Dashes {
    int dash = 0;
    int gap = 0;
};
Dashes dashesFor(StrokeStyle style, int widthTenths);

// Draws shape with its points at from and to on the page (the card points
// x1, y1 and x2, y2 mapped to the device), at dpiX × dpiY.
void draw(QPainter &painter, const CardShape &shape, QPoint from, QPoint to, std::int32_t dpiX, std::int32_t dpiY);

} // namespace ShapeDrawing
