#include "sheet/PngPageEncoder.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The filtered rows of a band, what zlib made of them and their checksum.
struct Band {
    int firstRow = 0;
    int rows = 0;
    // The band's rows filtered, after the end of the band above (its
    // dictionary), filtered too.
    QByteArray filtered;
    qsizetype dictionaryStart = 0;
    qsizetype rowsStart = 0;
    qsizetype filteredBytes = 0;
    QByteArray deflated;
    uLong adler = 0;
    bool ok = false;
};

constexpr int BytesPerPixel = 3;
// Back-references reach this far: each band starts with the end of the one
// before as its dictionary, so a band loses nothing of the compression.
constexpr qsizetype Window = 32 * 1024;
// Bands per core: a few, so that a band of plain paper does not leave a core idle.
constexpr int BandsPerCore = 4;
constexpr int FewestRowsPerBand = 64;
// Each IDAT chunk holds at most this much of the stream.
constexpr qsizetype ChunkBytes = 1 << 20;

// The row loops below are built twice, for the processors with AVX2 and
// for any other, and the loader picks one: a third less time filtering.
#define WITH_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))

// A row of the page as 8-bit RGB.
WITH_WIDE_VECTORS void rgbRow(const QImage &page, int y, uchar *out)
{
    const QRgb *pixels = reinterpret_cast<const QRgb *>(page.constScanLine(y));
    const int width = page.width();
    for (int x = 0; x < width; ++x) {
        *out++ = uchar(qRed(pixels[x]));
        *out++ = uchar(qGreen(pixels[x]));
        *out++ = uchar(qBlue(pixels[x]));
    }
}

// The filtered byte as a distance from zero, for comparing filters.
inline int cost(uchar value) { return value < 128 ? value : 256 - value; }

// The Up filter into out; the sum of its costs.
WITH_WIDE_VECTORS long upFilter(const uchar *row, const uchar *above, qsizetype length, uchar *out)
{
    long sum = 0;
    for (qsizetype i = 0; i < length; ++i) {
        out[i] = uchar(row[i] - above[i]);
        sum += cost(out[i]);
    }
    return sum;
}

// The Paeth filter into out; the sum of its costs, or −1 as soon as it
// reaches best (checked every few hundred bytes).
WITH_WIDE_VECTORS long paethFilter(const uchar *row, const uchar *above, qsizetype length, uchar *out, long best)
{
    long sum = 0;
    const qsizetype first = std::min<qsizetype>(BytesPerPixel, length);
    for (qsizetype i = 0; i < first; ++i) {   // no pixel on the left: the byte above
        out[i] = uchar(row[i] - above[i]);
        sum += cost(out[i]);
    }
    constexpr qsizetype Stretch = 512;
    for (qsizetype start = first; start < length; start += Stretch) {
        const qsizetype end = std::min(length, start + Stretch);
        for (qsizetype i = start; i < end; ++i) {
            const int a = row[i - BytesPerPixel], b = above[i], c = above[i - BytesPerPixel];
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            const int predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            out[i] = uchar(row[i] - predicted);
            sum += cost(out[i]);
        }
        if (sum >= best)
            return -1;
    }
    return sum;
}

// The row filtered as libpng chooses (the filter whose bytes, as signed
// numbers, sum to the least), from Up and Paeth: on the 300 dpi sheet the
// other three filters make the file 0.7 % smaller for 7 % more processor
// time, and Up alone 2.7 % larger. above is the row before (zeros for the
// first). Up is tried first: on the plain paper between the cards it
// leaves nothing.
void filterRow(const uchar *row, const uchar *above, qsizetype length, uchar *out, std::vector<uchar> &trial)
{
    trial.resize(size_t(length));
    out[0] = 2;
    const long up = upFilter(row, above, length, out + 1);
    if (up > 0 && paethFilter(row, above, length, trial.data(), up) >= 0) {
        out[0] = 4;
        std::memcpy(out + 1, trial.data(), size_t(length));
    }
}

// Filters the band's rows, and before them as many rows of the band above
// as fill the window (the same bytes that band gets): its dictionary.
void filterBand(const QImage &page, Band &band)
{
    const qsizetype length = qsizetype(page.width()) * BytesPerPixel;
    const int dictionaryRows = band.firstRow > 0 ? int(std::min<qsizetype>(band.firstRow, (Window + length) / (length + 1))) : 0;
    const int from = band.firstRow - dictionaryRows;
    QByteArray filtered((length + 1) * (dictionaryRows + band.rows), Qt::Uninitialized);
    std::vector<uchar> above(static_cast<size_t>(length), 0);
    std::vector<uchar> row(static_cast<size_t>(length));
    std::vector<uchar> trial;
    if (from > 0)
        rgbRow(page, from - 1, above.data());
    uchar *out = reinterpret_cast<uchar *>(filtered.data());
    for (int y = from; y < band.firstRow + band.rows; ++y) {
        rgbRow(page, y, row.data());
        filterRow(row.data(), above.data(), length, out, trial);
        out += length + 1;
        std::swap(row, above);
    }
    const qsizetype dictionaryBytes = (length + 1) * dictionaryRows;
    band.filtered = std::move(filtered);
    band.rowsStart = dictionaryBytes;
    band.dictionaryStart = dictionaryBytes - std::min(Window, dictionaryBytes);
    band.filteredBytes = band.filtered.size() - band.rowsStart;
    band.adler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(band.filtered.constData() + band.rowsStart),
                         uInt(band.filteredBytes));
}

// The band as raw Deflate blocks, the last band ending the stream, every
// other one flushed to a byte boundary.
void deflateBand(Band &band, bool last)
{
    z_stream stream{};
    if (deflateInit2(&stream, PngPageEncoder::CompressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    Bytef *filtered = reinterpret_cast<Bytef *>(band.filtered.data());
    if (band.rowsStart > band.dictionaryStart)
        deflateSetDictionary(&stream, filtered + band.dictionaryStart, uInt(band.rowsStart - band.dictionaryStart));
    band.deflated.resize(qsizetype(deflateBound(&stream, uLong(band.filteredBytes))) + 16);
    stream.next_in = filtered + band.rowsStart;
    stream.avail_in = uInt(band.filteredBytes);
    stream.next_out = reinterpret_cast<Bytef *>(band.deflated.data());
    stream.avail_out = uInt(band.deflated.size());
    const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    band.ok = (last ? result == Z_STREAM_END : result == Z_OK && stream.avail_out > 0) && stream.avail_in == 0;
    band.deflated.truncate(qsizetype(stream.total_out));
    band.filtered = QByteArray();
    deflateEnd(&stream);
}

} // namespace

// libpng's callbacks: the file goes into a QByteArray; errors jump back.
extern "C" {

static void appendBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

static void noFlush(png_structp) {}

static void writeError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

static void writeWarning(png_structp, png_const_charp) {}

} // extern "C"

namespace {

// The chunks around the stream. Nothing here has a destructor: libpng's
// errors jump back to the setjmp.
bool writeChunks(png_structp png, png_infop info, const QImage &page, const QByteArray &stream)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(page.width()), png_uint_32(page.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (page.dotsPerMeterX() > 0 && page.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(page.dotsPerMeterX()), png_uint_32(page.dotsPerMeterY()), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (qsizetype at = 0; at < stream.size(); at += ChunkBytes) {
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"),
                        reinterpret_cast<png_const_bytep>(stream.constData() + at),
                        size_t(std::min(ChunkBytes, stream.size() - at)));
    }
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    return true;
}

} // namespace

namespace PngPageEncoder {

std::optional<QByteArray> encode(const QImage &source)
{
    const QImage page = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    if (page.isNull())
        return std::nullopt;

    const int cores = std::max(1, QThread::idealThreadCount());
    const int rowsPerBand = std::max(FewestRowsPerBand, (page.height() + cores * BandsPerCore - 1) / (cores * BandsPerCore));
    std::vector<Band> bands;
    for (int y = 0; y < page.height(); y += rowsPerBand) {
        Band band;
        band.firstRow = y;
        band.rows = std::min(rowsPerBand, page.height() - y);
        bands.push_back(band);
    }
    QtConcurrent::blockingMap(bands, [&](Band &band) {
        filterBand(page, band);
        deflateBand(band, &band == &bands.back());
    });

    // The zlib stream: a header (32 KiB window, a fast level), the bands,
    // the checksum of all of them.
    qsizetype streamBytes = 2 + 4;
    for (const Band &band : bands) {
        if (!band.ok)
            return std::nullopt;
        streamBytes += band.deflated.size();
    }
    QByteArray stream;
    stream.reserve(streamBytes);
    stream.append("\x78\x5e", 2);
    uLong adler = adler32(0, nullptr, 0);
    for (const Band &band : bands) {
        stream += band.deflated;
        adler = adler32_combine(adler, band.adler, z_off_t(band.filteredBytes));
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        stream += char((adler >> shift) & 0xff);
    bands.clear();

    // The signature, the header, the resolution and the end: well under a
    // kilobyte; each chunk of the stream adds 12 bytes.
    QByteArray file;
    file.reserve(stream.size() + (stream.size() / ChunkBytes + 1) * 12 + 1024);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, writeError, writeWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info) {
        png_set_write_fn(png, &file, appendBytes, noFlush);
        written = writeChunks(png, info, page, stream);
    }
    png_destroy_write_struct(&png, &info);
    if (!written)
        return std::nullopt;
    return file;
}

} // namespace PngPageEncoder
