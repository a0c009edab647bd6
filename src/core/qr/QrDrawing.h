#pragma once
// Drawing a QR symbol crisp: every module a square of whole device pixels, the
// symbol centred in its box with a quiet zone of four light modules, dark
// modules in the given colour on white. Painters are used in device pixels.
//
// The dark modules are rectangles filled as one path: the cost follows the
// symbol's modules, never the device's pixels, and a PDF keeps them as
// vectors (a few kilobytes for a box of any size).
#include "qr/QrSymbol.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>

class QPainter;

namespace QrDrawing {

constexpr int QuietZone = 4;   // modules of white on every side

// The largest whole module size at which the symbol and its quiet zone fit
// in box; 0 when not even one pixel per module fits.
int moduleSize(int symbolWidth, QSize box);

// The side of the symbol with its quiet zone at module pixels a module.
std::int64_t side(const QrSymbol &symbol, int module);

// The dark modules at module pixels a module, the quiet zone's top-left
// corner at (0, 0), as rectangles that do not overlap: each run of dark
// modules in a row, joined with the same run in the rows below it. Empty
// when the symbol is not valid or module is not positive.
QVector<QRect> darkModules(const QrSymbol &symbol, int module);

// Fills the rectangles of darkModules() in colour as one path, the quiet
// zone's top-left corner at topLeft; the light modules are left as they
// are (the caller whitens the box). A PDF gets one "re … f" path per symbol
// in the symbol's own coordinates, so the copies in the cells of a sheet
// compress to almost nothing.
void fillModules(QPainter &painter, const QVector<QRect> &modules, QPoint topLeft, const QColor &colour);

// Where a symbol of side pixels stands in box: centred, on whole pixels.
QPoint centredIn(const QRect &box, int side);

// A box on the card panel: the symbol when it fits; a light crossed box when
// the box is too small for it (or the content is empty); a crossed box saying
// the content is too long for any symbol.
void drawOnScreen(QPainter &painter, const QRect &box, const QrSymbol &symbol, const QColor &colour);

} // namespace QrDrawing
