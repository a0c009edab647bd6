#pragma once
// Reads a Windows bitmap file (.bmp) from memory: the core, info and later
// headers; 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit
// field masks; bottom-up and top-down. Every size is checked against the data
// before anything is allocated.
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
