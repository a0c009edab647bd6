#pragma once
// SVG pictures of image boxes. An SVG picture travels as its drawing at its
// own size at 96 dpi (what the bevelled boxes and the clipboard show), with the
// SVG document attached to that image: everything that keeps, copies, undoes
// or restores a box's picture keeps the drawing too, and the sheet draws the
// vectors on PDF and printers and renders them anew at the device's
// resolution on raster devices.
#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>

class QPainter;

namespace SvgPicture {

// Larger SVG files are refused before they are read: a logo is a few
// kilobytes, and the renderer holds the whole document in memory.
constexpr std::int64_t MaxFileBytes = std::int64_t(16) << 20;
// The largest drawing at 96 dpi: 16 megapixels, 64 MB.
constexpr std::int64_t MaxPixels = 16'000'000;

bool isSvgName(const QString &fileName);

// The picture of an SVG document; throws TaveloError with the picture
// loader's messages for a document that is no SVG or has no size, and for one
// whose size at 96 dpi passes MaxPixels.
QImage fromBytes(const QByteArray &bytes, const QString &name);

// Whether a picture holds an SVG drawing.
bool isVector(const QImage &picture);

// The drawing rendered at size, stretched to it; picture itself when it holds
// no drawing or size is empty.
QImage rendered(const QImage &picture, QSize size);

// Draws the vectors stretched into target (on a PDF or printer they stay
// vectors).
void draw(QPainter &painter, const QRectF &target, const QImage &picture);

} // namespace SvgPicture
