#include "Limits.h"

#include "ChildProcess.h"
#include "Measure.h"
#include "sheet/PictureDeflate.h"
#include "sheet/PngPageEncoder.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QTextLayout>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <libdeflate.h>
#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <numeric>

namespace {

double ms(double seconds) { return seconds * 1000; }

template <typename F>
double seconds(F f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs f over items on every core (Qt's pool, as the program's own work).
template <typename T, typename F>
double onEveryCore(std::vector<T> &items, F f)
{
    return seconds([&] { QtConcurrent::blockingMap(items, f); });
}

// A picture and the memory its stages use, kept from one run to the next:
// the least a job does touches no fresh memory.
struct Picture {
    QString path;
    QByteArray file;     // read whole, its rows starting on a whole word
    qsizetype lead = 0;  // where the file starts in it
    QImage decoded;      // 32-bit
    QImage scaled;
    QByteArray samples;  // scaled, as the PDF holds them
};

std::uint32_t le32(const char *bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

void readFile(Picture &picture)
{
    const int fd = ::open(QFile::encodeName(picture.path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    const qsizetype size = qsizetype(::lseek(fd, 0, SEEK_END));
    if (picture.file.size() != picture.lead + size) {
        char head[14] = {};
        if (::pread(fd, head, sizeof head, 0) != ssize_t(sizeof head)) {
            ::close(fd);
            return;
        }
        picture.lead = qsizetype((4 - le32(head + 10) % 4) % 4);
        picture.file.resize(picture.lead + size);
    }
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, picture.file.data() + picture.lead + done, size_t(size - done), done);
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
}

// The 24-bit rows (bottom-up) to 32-bit pixels by Qt's conversion, in bands
// that stay in the processor's cache, each stored in its place.
void decode(Picture &picture)
{
    const char *file = picture.file.constData() + picture.lead;
    const int width = int(le32(file + 18));
    const int height = int(le32(file + 22));
    const qsizetype stride = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
    if (picture.decoded.size() != QSize(width, height))
        picture.decoded = QImage(width, height, QImage::Format_RGB32);
    const uchar *rows = reinterpret_cast<const uchar *>(file + le32(file + 10));
    const int bandRows = int(std::max<qsizetype>(1, 256 * 1024 / stride));
    for (int first = 0; first < height; first += bandRows) {
        const int count = std::min(bandRows, height - first);
        const QImage band =
            QImage(rows + first * stride, width, count, stride, QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
        for (int r = 0; r < count; ++r)
            std::memcpy(picture.decoded.scanLine(height - 1 - first - r), band.constScanLine(r), size_t(width) * 4);
    }
}

QByteArray rgbSamples(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray samples;
    samples.reserve(qsizetype(rgb.width()) * 3 * rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        samples.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), qsizetype(rgb.width()) * 3);
    return samples;
}

void deflateWithLibdeflate(const QByteArray &samples)
{
    thread_local libdeflate_compressor *compressor = libdeflate_alloc_compressor(PictureDeflate::Level);
    thread_local QByteArray out;
    const size_t bound = libdeflate_zlib_compress_bound(compressor, size_t(samples.size()));
    out.resize(qsizetype(bound));
    libdeflate_zlib_compress(compressor, samples.constData(), size_t(samples.size()), out.data(), bound);
}

} // namespace

QString Limit::parts() const
{
    QStringList parts;
    const auto add = [&](const char *name, double value) {
        if (value > 0)
            parts << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(ms(value), 0, 'f', 1);
    };
    add("start", start);
    add("read", read);
    add("decode", decode);
    add("scale", scale);
    add("compress", compress);
    add("shape", shape);
    return parts.join(QStringLiteral(" + ")) + QStringLiteral(" ms");
}

namespace Limits {

double bareStart(const QString &program, const QStringList &args, int runs)
{
    runChild(program, args);   // untimed: the file cache
    std::vector<double> times;
    for (int n = 0; n < runs; ++n)
        times.push_back(runChild(program, args).seconds);
    return median(times);
}

Limit pictures(const QStringList &paths, QSize printedSize, bool compress, int runs)
{
    QStringList distinct = paths;
    distinct.removeDuplicates();
    Limit limit;
    {
        std::vector<Picture> pictures(size_t(distinct.size()));
        for (size_t n = 0; n < pictures.size(); ++n)
            pictures[n].path = distinct[qsizetype(n)];
        std::vector<double> read, decoded, scale, deflate;
        for (int run = 0; run <= runs; ++run) {
            const double r = onEveryCore(pictures, readFile);
            const double d = onEveryCore(pictures, decode);
            const double s = onEveryCore(pictures, [&](Picture &p) {
                p.scaled = p.decoded.scaled(printedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            });
            for (Picture &picture : pictures)
                picture.samples = rgbSamples(picture.scaled);
            const double c = compress ? onEveryCore(pictures, [](Picture &p) { deflateWithLibdeflate(p.samples); }) : 0;
            if (run == 0)
                continue;   // untimed: the file cache and the memory
            read.push_back(r);
            decoded.push_back(d);
            scale.push_back(s);
            deflate.push_back(c);
        }
        limit.read = median(read);
        limit.decode = median(decoded);
        limit.scale = printedSize.isValid() ? median(scale) : 0;
        limit.compress = median(deflate);
    }
    // A process started now would count this process's memory as its own.
    returnFreedMemory();
    return limit;
}

double compressPngBands(const QByteArray &bytes, int runs)
{
    const int cores = std::max(1, QThread::idealThreadCount());
    std::vector<QByteArrayView> bands;
    const qsizetype band = (bytes.size() + cores - 1) / cores;
    for (qsizetype at = 0; at < bytes.size(); at += band)
        bands.push_back(QByteArrayView(bytes).sliced(at, std::min(band, bytes.size() - at)));
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const double t = onEveryCore(bands, [](QByteArrayView &view) {
            z_stream stream{};
            deflateInit2(&stream, PngPageEncoder::CompressionLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
            QByteArray out(qsizetype(deflateBound(&stream, uLong(view.size()))), Qt::Uninitialized);
            stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(view.data()));
            stream.avail_in = uInt(view.size());
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, Z_SYNC_FLUSH);
            deflateEnd(&stream);
        });
        if (run > 0)
            times.push_back(t);
    }
    return median(times);
}

QByteArray pngFilteredRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray png = file.readAll();
    QByteArray deflated;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto byte = [&](qsizetype i) { return std::uint32_t(static_cast<unsigned char>(png[i])); };
        const qsizetype length = qsizetype(byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3));
        if (length < 0 || at + 12 + length > png.size())
            break;
        if (png.mid(at + 4, 4) == "IDAT")
            deflated += png.mid(at + 8, length);
        at += 12 + length;
    }
    QByteArray rows(qsizetype(256) << 20, Qt::Uninitialized);
    uLongf size = uLongf(rows.size());
    if (uncompress(reinterpret_cast<Bytef *>(rows.data()), &size, reinterpret_cast<const Bytef *>(deflated.constData()),
                   uLong(deflated.size()))
        != Z_OK)
        return {};
    rows.truncate(qsizetype(size));
    return rows;
}

double compressPdfStreams(const QString &path, int runs, qsizetype *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pdf = file.readAll();
    // Every stream's bytes, inflated where they inflate.
    QByteArray content;
    for (qsizetype at = pdf.indexOf("stream"); at >= 0; at = pdf.indexOf("stream", at + 6)) {
        if (at >= 3 && pdf.mid(at - 3, 3) == "end")
            continue;
        qsizetype start = at + 6;
        if (pdf.mid(start, 2) == "\r\n")
            start += 2;
        else if (pdf.mid(start, 1) == "\n")
            start += 1;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        z_stream stream{};
        inflateInit(&stream);
        QByteArray out(1 << 20, Qt::Uninitialized);
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(pdf.constData() + start));
        stream.avail_in = uInt(end - start);
        for (;;) {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            content.append(out.constData(), out.size() - qsizetype(stream.avail_out));
            if (result != Z_OK)
                break;
        }
        inflateEnd(&stream);
        at = end;
    }
    if (bytes)
        *bytes = content.size();
    const int cores = std::max(1, QThread::idealThreadCount());
    std::vector<QByteArrayView> parts;
    const qsizetype part = std::max<qsizetype>(1, (content.size() + cores - 1) / cores);
    for (qsizetype at = 0; at < content.size(); at += part)
        parts.push_back(QByteArrayView(content).sliced(at, std::min(part, content.size() - at)));
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const double t = onEveryCore(parts, [](QByteArrayView &view) {
            uLongf length = compressBound(uLong(view.size()));
            QByteArray out(qsizetype(length), Qt::Uninitialized);
            compress2(reinterpret_cast<Bytef *>(out.data()), &length, reinterpret_cast<const Bytef *>(view.data()),
                      uLong(view.size()), Z_DEFAULT_COMPRESSION);
        });
        if (run > 0)
            times.push_back(t);
    }
    return median(times);
}

double shapeTexts(const QStringList &texts, int dpi, int runs)
{
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = int(dpi / 0.0254 + 0.5);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(10);
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const double t = seconds([&] {
            for (const QString &text : texts) {
                QTextLayout layout(text, font, &device);
                layout.beginLayout();
                layout.createLine();
                layout.endLayout();
                (void)layout.lineAt(0).glyphRuns();
            }
        });
        if (run > 0)
            times.push_back(t);
    }
    return median(times);
}

} // namespace Limits
