#pragma once
// A drawn page encoded as a PNG file on every core. A PNG holds its pixels
// as one zlib stream, which one core would compress alone; the page is
// therefore cut into bands of rows, each band filtered and compressed on a
// core of its own, with the end of the band above as its dictionary, and
// flushed to a byte boundary; the bands are joined into the one stream as
// parallel compressors join theirs: the zlib header, the bands (the last
// one ends the stream), and the Adler-32 checksums of the bands combined
// into one (adler32_combine). libpng writes the chunks.
#include <QByteArray>
#include <QImage>

#include <optional>

namespace PngPageEncoder {

// zlib's level for the bands, chosen by measurement (bench/README.md).
constexpr int CompressionLevel = 3;

// The page (not null, any format; stored as 8-bit RGB, its dots per metre
// as the physical size) as the bytes of a PNG file; nothing when there was
// no memory for it.
std::optional<QByteArray> encode(const QImage &page);

} // namespace PngPageEncoder
