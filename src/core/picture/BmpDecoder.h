#pragma once
// Reads a Windows bitmap file (.bmp) from memory: the OS/2 core header, the
// info header and the later ones; 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed, run-length compressed (4 and 8 bits) or with bit field
// masks; bottom-up and top-down. The headers are checked here, every size
// against the data before anything is allocated; the pixels are those of
// Qt's own reader, and read here only for the headers it leaves aside.
// Indexed pictures come back as 32-bit ones.
//
// Failures throw a TaveloError: "invalid bitmap" for a header that is not a
// bitmap's or claims more than MaxPixels pixels, "stream read error" for a
// file that ends before its headers, palette or pixels do.
#include <QByteArray>
#include <QImage>

#include <cstdint>

namespace BmpDecoder {

// 200 megapixels: 800 MB as a 32-bit picture, far beyond any card's needs.
constexpr std::int64_t MaxPixels = 200'000'000;

QImage decode(const QByteArray &bytes);

} // namespace BmpDecoder
