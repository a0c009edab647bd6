#pragma once
// The values of the card file's lines for shapes and the background.
//
//   Shape=hline,X1,Y1,X2,Y2,WIDTH,COLOUR,STYLE           a horizontal line
//   Shape=vline,…  Shape=line,…                         vertical, free
//   Shape=rect,X1,Y1,X2,Y2,WIDTH,COLOUR,STYLE,FILL,RADIUS
//
// Points in card pixels, WIDTH and RADIUS in tenths of a millimetre, colours
// decimal in the card's colour convention (FILL "none" for none), STYLE
// solid, dash or dot. Nothing in them needs escaping.
#include "card/CardShape.h"

#include <QByteArray>

#include <optional>

namespace ShapeLines {

std::optional<CardShape> parseShape(const QByteArray &value);
QByteArray formatShape(const CardShape &shape);

// A colour value: a decimal 32-bit integer, nothing else.
std::optional<std::int32_t> parseColor(const QByteArray &value);

} // namespace ShapeLines
