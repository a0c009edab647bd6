#pragma once
// The size in pixels of a page drawn as a picture: its size in millimetres
// (or inches, for the sizes defined in inches) at the given dots per inch,
// each side rounded to the nearest pixel.
#include <QPageSize>
#include <QSize>

namespace PagePixels {

QSize of(const QPageSize &pageSize, int dpi);

} // namespace PagePixels
