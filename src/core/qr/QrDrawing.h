#pragma once
// Drawing a QR symbol crisp: every module a square of whole device pixels, the
// symbol centred in its box with a quiet zone of four light modules, dark
// modules in the given colour on white. Painters are used in device pixels.
#include "qr/QrSymbol.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace QrDrawing {

constexpr int QuietZone = 4;   // modules of white on every side

// The largest whole module size at which the symbol and its quiet zone fit
// in box; 0 when not even one pixel per module fits.
int moduleSize(int symbolWidth, QSize box);

// The symbol with its quiet zone at module pixels per module: a square of
// (width + 8) × module pixels, white with dark modules in colour.
QImage render(const QrSymbol &symbol, int module, const QColor &colour);

// A black symbol as a PDF keeps it at one bit a pixel (its colour table black,
// then white); an image of any other colours is stored at 24 bits a pixel,
// which costs a print job more than all its captions.
QImage renderBlackForPdf(const QrSymbol &symbol, int module);

// Where the rendered symbol stands in box: centred, on whole pixels.
QPoint centredIn(const QRect &box, int side);

// A box on the card panel: the symbol when it fits; a light crossed box when
// the box is too small for it (or the content is empty); a crossed box saying
// the content is too long for any symbol.
void drawOnScreen(QPainter &painter, const QRect &box, const QrSymbol &symbol, const QColor &colour);

} // namespace QrDrawing
