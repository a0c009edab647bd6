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
// bitmap's or claims more than PictureLimits::MaxPixels pixels, "stream read
// error" for a file that ends before its headers, palette or pixels do.
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <optional>

namespace BmpDecoder {

QImage decode(const QByteArray &bytes);

// The size the headers at the start of a file declare, before anything is
// checked; nothing when head holds no bitmap header whole.
struct Declared {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool runLength = false;
};
std::optional<Declared> declared(const QByteArray &head);

// The size of the picture when the headers alone decide that it loads: an
// uncompressed bitmap of fileBytes bytes whose headers and palette are in
// head. Nothing when only decoding tells (run-length data); throws what
// decode() would throw for the headers.
std::optional<QSize> sizeFromHeaders(const QByteArray &head, std::int64_t fileBytes);

} // namespace BmpDecoder
