#include "picture/BmpDecoder.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "picture/PictureLimits.h"
#include "picture/PictureMemory.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

[[noreturn]] void invalid() { throw TaveloError(Msg::invalidBitmap()); }
[[noreturn]] void endsEarly() { throw TaveloError(Msg::streamReadError()); }

// Little-endian reads that fail as a file that ends early.
class Bytes
{
public:
    // fileBytes: the size of the whole file, when data holds only its start.
    explicit Bytes(const QByteArray &data, std::int64_t fileBytes = -1)
        : m_data(data), m_fileBytes(fileBytes < 0 ? data.size() : fileBytes)
    {
    }

    void require(std::int64_t end) const
    {
        if (end > m_fileBytes)
            endsEarly();
    }
    std::uint8_t u8(std::int64_t at) const
    {
        if (at + 1 > m_data.size())
            endsEarly();
        return static_cast<std::uint8_t>(m_data[static_cast<qsizetype>(at)]);
    }
    std::uint16_t u16(std::int64_t at) const { return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8)); }
    std::uint32_t u32(std::int64_t at) const { return std::uint32_t(u16(at)) | (std::uint32_t(u16(at + 2)) << 16); }
    std::int32_t i32(std::int64_t at) const { return static_cast<std::int32_t>(u32(at)); }
    const unsigned char *at(std::int64_t offset) const
    {
        return reinterpret_cast<const unsigned char *>(m_data.constData()) + offset;
    }

private:
    const QByteArray &m_data;
    std::int64_t m_fileBytes;
};

// One colour channel of a bit-field pixel, scaled to eight bits.
class Channel
{
public:
    explicit Channel(std::uint32_t mask) : m_mask(mask)
    {
        if (mask == 0)
            return;
        while (((mask >> m_shift) & 1U) == 0)
            ++m_shift;
        m_max = mask >> m_shift;
    }
    std::uint32_t value(std::uint32_t pixel) const
    {
        if (m_max == 0)
            return 0;
        return static_cast<std::uint32_t>(std::uint64_t((pixel & m_mask) >> m_shift) * 255 / m_max);
    }

private:
    std::uint32_t m_mask;
    int m_shift = 0;
    std::uint32_t m_max = 0;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;   // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = Rgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t imageSize = 0;   // bytes of pixel data; what run-length data takes
    int paletteEntrySize = 4;
    std::int64_t end = 0;      // where the header and its masks end
    std::array<std::uint32_t, 3> masks {};
};

constexpr std::int64_t FileHeaderSize = 14;

Header readInfoHeader(const Bytes &bytes)
{
    const std::uint32_t headerSize = bytes.u32(FileHeaderSize);
    const std::int64_t h = FileHeaderSize;
    Header header;
    if (headerSize == 12) {   // the old core header: 16-bit sizes, three-byte palette entries
        header.width = bytes.u16(h + 4);
        header.height = bytes.u16(h + 6);
        header.bitCount = bytes.u16(h + 10);
        header.paletteEntrySize = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 || headerSize == 108 || headerSize == 124) {
        bytes.require(h + headerSize);
        header.width = bytes.i32(h + 4);
        const std::int32_t height = bytes.i32(h + 8);
        header.topDown = height < 0;
        header.height = height < 0 ? -std::int64_t(height) : height;
        header.bitCount = bytes.u16(h + 14);
        header.compression = bytes.u32(h + 16);
        header.imageSize = bytes.u32(h + 20);
        header.colorsUsed = bytes.u32(h + 32);
        if (headerSize == 64 && header.compression != Rgb)
            invalid();   // the other header of this size has compressions of its own
    } else {
        invalid();
    }
    header.end = h + headerSize;
    return header;
}

bool isRunLength(const Header &header) { return header.compression == Rle8 || header.compression == Rle4; }

void readMasks(const Bytes &bytes, std::uint32_t headerSize, Header &header)
{
    if (isRunLength(header))
        return;
    if (header.compression == Rgb) {
        header.masks = header.bitCount == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                                             : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
        return;
    }
    const std::int64_t at = FileHeaderSize + 40;   // inside the later headers, after the info header
    for (int i = 0; i < 3; ++i)
        header.masks[size_t(i)] = bytes.u32(at + 4 * i);
    if (headerSize == 40)
        header.end += header.compression == AlphaBitFields ? 16 : 12;
}

void validate(const Header &header)
{
    const int b = header.bitCount;
    const bool rgbDepth = b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
    const bool fieldDepth = b == 16 || b == 32;
    bool depthFits = false;
    switch (header.compression) {
    case Rgb: depthFits = rgbDepth; break;
    case Rle8: depthFits = b == 8; break;
    case Rle4: depthFits = b == 4; break;
    case BitFields:
    case AlphaBitFields: depthFits = fieldDepth; break;
    default: break;
    }
    if (!depthFits)
        invalid();
    if (header.width <= 0 || header.height <= 0)
        invalid();
    if (header.width * header.height > PictureLimits::MaxPixels)   // both below 2^32: no overflow
        invalid();
}

std::vector<QRgb> readPalette(const Bytes &bytes, const Header &header)
{
    if (header.bitCount > 8)
        return {};
    const std::uint32_t full = 1U << header.bitCount;
    const std::uint32_t count = header.colorsUsed == 0 || header.colorsUsed > full ? full : header.colorsUsed;
    bytes.require(header.end + std::int64_t(count) * header.paletteEntrySize);
    std::vector<QRgb> palette;
    palette.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t at = header.end + std::int64_t(i) * header.paletteEntrySize;
        palette.push_back(qRgb(bytes.u8(at + 2), bytes.u8(at + 1), bytes.u8(at)));
    }
    return palette;
}

class RowConverter
{
public:
    RowConverter(const Header &header, std::vector<QRgb> palette)
        : m_header(header), m_palette(std::move(palette)),
          m_red(header.masks[0]), m_green(header.masks[1]), m_blue(header.masks[2])
    {
    }

    void convert(const unsigned char *row, QRgb *out) const
    {
        for (std::int64_t x = 0; x < m_header.width; ++x)
            out[x] = pixel(row, x);
    }

private:
    QRgb pixel(const unsigned char *row, std::int64_t x) const
    {
        switch (m_header.bitCount) {
        case 1:
            return colour((row[x / 8] >> (7 - x % 8)) & 0x1);
        case 4:
            return colour((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
        case 8:
            return colour(row[x]);
        case 16:
            return fields(std::uint32_t(row[2 * x]) | (std::uint32_t(row[2 * x + 1]) << 8));
        case 24:
            return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        default: {
            const unsigned char *p = row + 4 * x;
            return fields(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
        }
        }
    }

    // An index beyond the palette is drawn black.
    QRgb colour(unsigned index) const { return index < m_palette.size() ? m_palette[index] : qRgb(0, 0, 0); }

    QRgb fields(std::uint32_t value) const
    {
        return qRgb(int(m_red.value(value)), int(m_green.value(value)), int(m_blue.value(value)));
    }

    const Header &m_header;
    std::vector<QRgb> m_palette;
    Channel m_red, m_green, m_blue;
};


// Where the pixels start: where the file header says, unless that points
// back into the headers; then right after the palette.
std::int64_t pixelStart(const Bytes &bytes, const Header &header, std::size_t paletteSize)
{
    const std::uint32_t pixelOffset = bytes.u32(10);
    const std::int64_t paletteEnd = header.end + std::int64_t(paletteSize) * header.paletteEntrySize;
    return pixelOffset >= paletteEnd ? std::int64_t(pixelOffset) : paletteEnd;
}

std::int64_t rowStride(const Header &header) { return (header.width * header.bitCount + 31) / 32 * 4; }

// A file that ends before its pixels do is refused as cut short. Run-length
// data is as long as the header says, when it says.
void requirePixels(const Bytes &bytes, const Header &header, std::int64_t dataStart)
{
    if (isRunLength(header))
        bytes.require(dataStart + header.imageSize);
    else
        bytes.require(dataStart + rowStride(header) * header.height);
}

// The pixels as Qt's own reader gives them; a null image when it does not
// read this kind of bitmap. Run-length data may skip pixels or end early:
// those are drawn in the palette's first colour, not left as they were in
// memory.
QImage readWithQt(const QByteArray &data, const Header &header)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(0);   // the header's size has been checked against MaxPixels
    QImage image;
    if (isRunLength(header)) {
        image = QImage(int(header.width), int(header.height), QImage::Format_Indexed8);
        if (image.isNull())
            invalid();
        image.fill(0);
    }
    if (!reader.read(&image) || image.width() != header.width || image.height() != header.height)
        return QImage();
    return image;
}

// The common 24-bit bitmap, converted by Qt's image conversion (several
// pixels at a time) instead of its reader's pixel-by-pixel loop: the same
// pixels, a few times faster. The rows go through in bands that stay in the
// processor's cache, each band then copied to its place in the picture.
QImage convert24Bit(const Bytes &bytes, const Header &header, std::int64_t dataStart)
{
    QImage image = PictureMemory::newImage(int(header.width), int(header.height), QImage::Format_RGB32);
    if (image.isNull())
        invalid();
    const qsizetype stride = qsizetype(rowStride(header));
    const size_t rowBytes = size_t(image.width()) * 4;
    const std::int64_t bandRows = std::max<std::int64_t>(1, (256 * 1024) / stride);
    // Qt wants rows that start on whole words: a band that does not is read
    // from a copy, in memory this thread keeps for the next picture.
    thread_local QByteArray aligned;
    for (std::int64_t first = 0; first < header.height; first += bandRows) {
        const int rows = int(std::min(bandRows, header.height - first));
        const unsigned char *pixels = bytes.at(dataStart + first * stride);
        if (reinterpret_cast<quintptr>(pixels) % 4 != 0) {
            aligned.resize(stride * rows);
            std::memcpy(aligned.data(), pixels, size_t(stride) * size_t(rows));
            pixels = reinterpret_cast<const unsigned char *>(aligned.constData());
        }
        const QImage band =
            QImage(pixels, image.width(), rows, stride, QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
        if (band.isNull())
            invalid();
        for (int r = 0; r < rows; ++r) {
            const std::int64_t row = first + r;
            const std::int64_t y = header.topDown ? row : header.height - 1 - row;
            std::memcpy(image.scanLine(int(y)), band.constScanLine(r), rowBytes);
        }
    }
    return image;
}

// The pixels of the bitmaps that Qt's reader leaves aside (the 52- and
// 56-byte headers, alpha bit fields in an info header), read row by row.
QImage readRows(const Bytes &bytes, const Header &header, std::vector<QRgb> palette, std::int64_t dataStart)
{
    QImage image(int(header.width), int(header.height), QImage::Format_RGB32);
    if (image.isNull())
        invalid();
    const std::int64_t stride = rowStride(header);
    const RowConverter converter(header, std::move(palette));
    for (std::int64_t row = 0; row < header.height; ++row) {
        const std::int64_t y = header.topDown ? row : header.height - 1 - row;
        converter.convert(bytes.at(dataStart + row * stride), reinterpret_cast<QRgb *>(image.scanLine(int(y))));
    }
    return image;
}

// Indexed pictures become 32-bit ones; an index beyond the palette is black.
QImage withoutPalette(QImage image)
{
    if (image.format() != QImage::Format_Indexed8 && image.format() != QImage::Format_Mono
        && image.format() != QImage::Format_MonoLSB)
        return image;
    QList<QRgb> colours = image.colorTable();
    colours.resize(image.format() == QImage::Format_Indexed8 ? 256 : 2, qRgb(0, 0, 0));
    image.setColorTable(colours);
    return image.convertToFormat(QImage::Format_RGB32);
}

// The headers, masks and palette, checked against the file's size.
struct Checked {
    Header header;
    std::vector<QRgb> palette;
    std::int64_t dataStart = 0;
};

Checked checkHeaders(const Bytes &bytes, const QByteArray &data)
{
    bytes.require(FileHeaderSize);
    if (data.size() < FileHeaderSize)
        endsEarly();   // the file became shorter while it was read
    if (data[0] != 'B' || data[1] != 'M')
        invalid();
    Checked checked;
    Header &header = checked.header;
    header = readInfoHeader(bytes);
    validate(header);
    readMasks(bytes, bytes.u32(FileHeaderSize), header);
    checked.palette = readPalette(bytes, header);
    checked.dataStart = pixelStart(bytes, header, checked.palette.size());
    requirePixels(bytes, header, checked.dataStart);
    return checked;
}

} // namespace

namespace BmpDecoder {

std::optional<Declared> declared(const QByteArray &head)
{
    try {
        const Bytes bytes(head);
        if (head.size() < FileHeaderSize || head[0] != 'B' || head[1] != 'M')
            return std::nullopt;
        const Header header = readInfoHeader(bytes);
        return Declared{header.width, header.height, isRunLength(header)};
    } catch (const TaveloError &) {
        return std::nullopt;
    }
}

std::optional<QSize> sizeFromHeaders(const QByteArray &head, std::int64_t fileBytes)
{
    const Bytes bytes(head, fileBytes);
    const Checked checked = checkHeaders(bytes, head);
    if (isRunLength(checked.header))
        return std::nullopt;
    return QSize(int(checked.header.width), int(checked.header.height));
}

QImage decode(const QByteArray &data)
{
    const Bytes bytes(data);
    Checked checked = checkHeaders(bytes, data);
    const Header &header = checked.header;
    std::vector<QRgb> &palette = checked.palette;
    const std::int64_t dataStart = checked.dataStart;

    QImage image = header.compression == Rgb && header.bitCount == 24 ? convert24Bit(bytes, header, dataStart)
                                                                      : readWithQt(data, header);
    if (image.isNull()) {
        if (isRunLength(header))
            invalid();
        image = readRows(bytes, header, std::move(palette), dataStart);
    }
    return withoutPalette(std::move(image));
}

} // namespace BmpDecoder
