#pragma once
// Reads a PNG file from memory with libpng. The pictures are those Qt's own
// reader gives (the same formats, colour tables and colour spaces); it is
// ours so that libpng's errors come back here instead of being written to
// the terminal, and so that the picture's size is checked against
// PictureLimits::MaxPixels before anything is allocated.
//
// Failures throw a TaveloError: "invalid bitmap" for anything libpng
// refuses, a file cut short included, as Qt's reader failed before.
#include <QByteArray>
#include <QImage>

namespace PngDecoder {

QImage decode(const QByteArray &bytes);

}   // namespace PngDecoder
