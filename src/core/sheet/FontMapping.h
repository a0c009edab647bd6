#pragma once
// From the card's fonts to Qt's: face names of the Windows Japanese fonts are
// kept in the card and drawn with the installed IPA faces; heights follow the
// Windows convention; colour values are 0x00BBGGRR or system colour codes.
#include "card/BoxFont.h"

#include <QColor>
#include <QFont>

namespace FontMapping {

// Maps the Windows face names that cards use onto installed faces. Call once
// after the application object exists; later calls do nothing.
void installFaceSubstitutions();

// The Qt font for a box font whose height is in pixels of the device that will
// draw it (the screen for the card, the printer for the sheet). Its families
// are the box's face and then the faces that draw what that face lacks.
QFont toQFont(const BoxFont &font);

// The box font (name, height, style) that a Qt font stands for at a pixel
// height of pixelHeight (negative: character height).
BoxFont fromQFont(const QFont &font, std::int32_t height, std::int32_t color);

QColor toQColor(std::int32_t colorValue);
std::int32_t fromQColor(const QColor &color);

} // namespace FontMapping
