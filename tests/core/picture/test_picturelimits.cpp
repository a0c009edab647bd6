// Pictures whose cost has nothing to do with their size on disk: bombs made
// here (run-length bitmaps, PNG files of one colour, JPEG files of thousands
// of scans, sparse files) are refused from their headers; PNG files read by
// our own libpng reader give Qt's pictures; sizes from headers alone.
#include "TestFiles.h"
#include "Thrown.h"
#include "base/Messages.h"
#include "picture/PictureLimits.h"
#include "picture/PictureLoader.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <zlib.h>

using TestFiles::BmpLayout;
using TestFiles::makeBmp;

namespace {

void putBE(QByteArray &out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray chunk;
    putBE(chunk, std::uint32_t(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    chunk += body;
    putBE(chunk, std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
    return chunk;
}

// A PNG file: its header, the chunks given and the image data, compressed.
QByteArray makePng(std::uint32_t width, std::uint32_t height, int depth, int type, const QByteArray &raw,
                   const QByteArray &chunks = {}, int interlace = 0)
{
    QByteArray header;
    putBE(header, width);
    putBE(header, height);
    header += char(depth);
    header += char(type);
    header += char(0);
    header += char(0);
    header += char(interlace);
    uLongf length = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(length), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &length, reinterpret_cast<const Bytef *>(raw.constData()),
              uLong(raw.size()), 9);
    packed.truncate(qsizetype(length));
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) + chunks + pngChunk("IDAT", packed)
           + pngChunk("IEND", {});
}

// The rows of an interlaced picture of 3 bytes a pixel: the seven passes.
QByteArray interlacedRows(int width, int height)
{
    static const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    QByteArray raw;
    for (const auto &p : passes) {
        const int columns = (width - p[0] + p[2] - 1) / p[2];
        const int rows = (height - p[1] + p[3] - 1) / p[3];
        for (int y = 0; columns > 0 && y < rows; ++y) {
            raw += char(0);
            for (int x = 0; x < columns * 3; ++x)
                raw += char((x * 53 + y * 17 + p[0] * 5) & 0xFF);
        }
    }
    return raw;
}

// Rows of bytes, each after its filter byte (none), from a pattern.
QByteArray pngRows(int rows, int rowBytes)
{
    QByteArray raw;
    for (int y = 0; y < rows; ++y) {
        raw += char(0);
        for (int x = 0; x < rowBytes; ++x)
            raw += char((x * 37 + y * 91) & 0xFF);
    }
    return raw;
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QImage pattern(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 50 % 256, y * 70 % 256, (x + y) * 30 % 256, 255 - x * 20 % 256));
    return image.convertToFormat(format);
}

// A progressive JPEG whose smallest scan is repeated until it has scans in all.
QByteArray jpegWithScans(int scans)
{
    const QByteArray jpeg = encoded(pattern(64, 48, QImage::Format_RGB32), "jpeg", true);
    QList<QByteArray> found;
    qsizetype at = jpeg.indexOf("\xFF\xDA");
    while (at >= 0) {
        qsizetype end = at + 2;
        while (end + 1 < jpeg.size()) {
            const auto next = static_cast<unsigned char>(jpeg[end + 1]);
            if (jpeg[end] == char(0xFF) && next != 0 && (next < 0xD0 || next > 0xD7))
                break;
            ++end;
        }
        found << jpeg.mid(at, end - at);
        at = jpeg.indexOf("\xFF\xDA", end);
    }
    QByteArray smallest = found.value(0);
    for (const QByteArray &scan : found)
        smallest = scan.size() < smallest.size() ? scan : smallest;
    QByteArray out = jpeg.chopped(2);
    for (qsizetype n = found.size(); n < scans; ++n)
        out += smallest;
    return out + "\xFF\xD9";
}

// A JPEG whose frame header declares another size.
QByteArray jpegDeclaring(int width, int height)
{
    QByteArray jpeg = encoded(pattern(16, 16, QImage::Format_RGB32), "jpeg");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    jpeg[frame + 5] = char(height >> 8);
    jpeg[frame + 6] = char(height & 0xFF);
    jpeg[frame + 7] = char(width >> 8);
    jpeg[frame + 8] = char(width & 0xFF);
    return jpeg;
}

// A run-length bitmap of 8 bits whose data is only the end mark.
QByteArray emptyRunLength(int width, int height)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = 8;
    layout.compression = 1;
    layout.palette = {qRgb(1, 2, 3), qRgb(200, 100, 50)};
    layout.colorsUsed = 2;
    layout.data = QByteArray("\0\1", 2);
    return makeBmp(layout);
}

// Bytes this process has read from files so far.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

QString tooLarge(const char *name, qint64 width, qint64 height)
{
    return Msg::pictureTooLarge(QString::fromLatin1(name), width, height, PictureLimits::MaxPixels / 1'000'000);
}

}   // namespace

class TestPictureLimits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Small files that declare huge pictures are refused from their headers,
    // with a message naming the file and the limit; those within the limits
    // still load.
    void bombs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");   // empty: it loads
        const int scans = PictureLimits::MaxJpegScans;
        QTest::newRow("run-length bitmap, 14142 x 14142 in 1 KB")
            << "a.bmp" << emptyRunLength(14142, 14142) << tooLarge("a.bmp", 14142, 14142);
        QTest::newRow("run-length bitmap, 10000 x 10000 in 1 KB")
            << "a.bmp" << emptyRunLength(10000, 10000) << Msg::invalidBitmap();
        QTest::newRow("run-length bitmap, 2000 x 2000, only an end mark")
            << "a.bmp" << emptyRunLength(2000, 2000) << QString();
        QTest::newRow("PNG header of 14000 x 14000")
            << "p.png" << makePng(14000, 14000, 8, 6, {}) << tooLarge("p.png", 14000, 14000);
        QTest::newRow("PNG header of 1 x 4294967295")
            << "p.png" << makePng(1, 0xFFFFFFFFU, 8, 2, {}) << tooLarge("p.png", 1, 0xFFFFFFFFLL);
        QTest::newRow("PNG of one colour, 3000 x 3000")
            << "p.png" << makePng(3000, 3000, 8, 0, QByteArray(3001 * 3000, '\0')) << QString();
        QTest::newRow("JPEG of many scans")
            << "j.jpg" << jpegWithScans(3 * scans) << Msg::jpegTooManyScans(QStringLiteral("j.jpg"), 3 * scans, scans);
        QTest::newRow("JPEG at the scan limit") << "j.jpeg" << jpegWithScans(scans) << QString();
        QTest::newRow("JPEG frame of 60000 x 60000")
            << "j.jpg" << jpegDeclaring(60000, 60000) << tooLarge("j.jpg", 60000, 60000);
    }
    void bombs()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QCOMPARE(thrownMessage([&] { PictureLoader::loadFromBytes(bytes, name); }), message);
    }

    // The first bytes decide before the rest of a file is read: a large file
    // that is not a picture of its kind, or too large a file, costs a few
    // kilobytes of reading, not the file. The files are sparse.
    void firstBytesFirst_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("message");
        const qint64 mb = 1 << 20;
        const QString tooBig = Msg::pictureFileTooLarge(QStringLiteral("@"), PictureLimits::MaxFileBytes >> 20);
        QTest::newRow("zeros named .png") << "z.png" << QByteArray() << 200 * mb << Msg::invalidBitmap();
        QTest::newRow("zeros named .jpg") << "z.jpg" << QByteArray() << 200 * mb << Msg::invalidBitmap();
        QTest::newRow("text named .bmp") << "z.bmp" << QByteArray("Dear reader,\r\n") << 200 * mb
                                         << Msg::invalidBitmap();
        QTest::newRow("PNG signature, 300 MB") << "big.png" << QByteArray("\x89PNG\r\n\x1A\n") << 300 * mb << tooBig;
        QTest::newRow("PNG header too large, 100 MB")
            << "p.png" << makePng(20000, 20000, 8, 2, {}) << 100 * mb << tooLarge("p.png", 20000, 20000);
        QTest::newRow("bitmap header too large, 100 MB")
            << "b.bmp" << emptyRunLength(12000, 12000) << 100 * mb << tooLarge("b.bmp", 12000, 12000);
    }
    void firstBytesFirst()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(start), start.size());
        QVERIFY(file.resize(size));
        file.close();
        const qint64 before = bytesRead();
        QCOMPARE(thrownMessage([&] { PictureLoader::load(path); }), QString(message).replace(QLatin1Char('@'), name));
        QVERIFY2(bytesRead() - before < (1 << 20), "the file must be refused from its first bytes");
    }

    // Our PNG reader gives the picture Qt's own reader gives: format, colour
    // table, pixels and colour space.
    void sameAsQtPng_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *name, const QByteArray &bytes) { QTest::newRow(name) << bytes; };
        for (const auto &[name, format] : {std::pair{"RGB", QImage::Format_RGB32},
                                           {"RGBA", QImage::Format_ARGB32},
                                           {"grey 8", QImage::Format_Grayscale8},
                                           {"grey 16", QImage::Format_Grayscale16},
                                           {"RGBA 16", QImage::Format_RGBA64},
                                           {"RGBX 16", QImage::Format_RGBX64},
                                           {"1 bit", QImage::Format_Mono},
                                           {"palette", QImage::Format_Indexed8}})
            row(name, encoded(pattern(13, 7, format), "png"));
        QImage described = pattern(5, 4, QImage::Format_RGB32);
        described.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
        described.setDotsPerMeterX(5000);
        row("ICC profile, resolution", encoded(described, "png"));
        row("grey 2 bits", makePng(9, 3, 2, 0, pngRows(3, 3)));
        row("grey 4 bits, transparent grey",
            makePng(5, 3, 4, 0, pngRows(3, 3), pngChunk("tRNS", QByteArray("\0\x07", 2))));
        row("grey 8 bits, transparent grey",
            makePng(5, 3, 8, 0, pngRows(3, 5), pngChunk("tRNS", QByteArray("\0\x25", 2))));
        row("grey and alpha", makePng(4, 3, 8, 4, pngRows(3, 8)));
        row("interlaced RGB", makePng(11, 9, 8, 2, interlacedRows(11, 9), {}, 1));
        row("palette 4 bits, indexes beyond it, partly transparent",
            makePng(6, 2, 4, 3, pngRows(2, 3),
                    pngChunk("PLTE", QByteArray("\x10\x20\x30\x40\x50\x60\x70\x80\x90", 9))
                        + pngChunk("tRNS", QByteArray("\x80", 1))));
        row("gamma", makePng(3, 2, 8, 2, pngRows(2, 9), pngChunk("gAMA", QByteArray("\0\0\xAF\xC8", 4))));
    }
    void sameAsQtPng()
    {
        QFETCH(QByteArray, bytes);
        QImage ours;
        QCOMPARE(thrownMessage([&] { ours = PictureLoader::loadFromBytes(bytes, QStringLiteral("p.png")); }),
                 QString());
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "png");
        const QImage qt = reader.read();
        QVERIFY2(!qt.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(ours.format(), qt.format());
        QCOMPARE(ours.colorTable(), qt.colorTable());
        QCOMPARE(ours, qt);
        QCOMPARE(ours.colorSpace(), qt.colorSpace());
        QCOMPARE(ours.dotsPerMeterX(), qt.dotsPerMeterX());
    }

    // Broken PNG files are refused as Qt refused them, and libpng says
    // nothing on standard error.
    void brokenPng_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = makePng(8, 8, 8, 2, pngRows(8, 24));
        QByteArray badCrc = good;
        badCrc[30] = char(badCrc[30] ^ 0x40);
        QTest::newRow("cut short") << good.left(good.size() / 2);
        QTest::newRow("checksum of the header wrong") << badCrc;
        QTest::newRow("too little image data") << makePng(8, 8, 8, 2, pngRows(4, 24));
        QTest::newRow("bad filter byte") << makePng(2, 1, 8, 2, QByteArray("\x09\1\2\3\4\5\6", 7));
        QTest::newRow("palette picture without a palette") << makePng(2, 2, 8, 3, pngRows(2, 2));
        QTest::newRow("signature only") << QByteArray("\x89PNG\r\n\x1A\n");
    }
    void brokenPng()
    {
        QFETCH(QByteArray, bytes);
        // Standard error goes to a file while the picture is read.
        QTemporaryDir dir;
        const QByteArray errPath = QFile::encodeName(dir.filePath(QStringLiteral("stderr")));
        std::fflush(stderr);
        const int saved = ::dup(2);
        FILE *capture = std::fopen(errPath.constData(), "w");
        QVERIFY(capture);
        ::dup2(::fileno(capture), 2);
        const QString message = thrownMessage([&] { PictureLoader::loadFromBytes(bytes, QStringLiteral("p.png")); });
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        std::fclose(capture);
        QCOMPARE(message, Msg::invalidBitmap());
        QCOMPARE(TestFiles::readFile(QFile::decodeName(errPath)), QByteArray());
    }

    // Where only the size is asked, an uncompressed bitmap is answered from
    // its headers (a sparse file of 192 MB is not read); every other picture
    // gives the size or the message that loading it gives.
    void sizeOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("sparseSize");   // 0: the bytes as they are
        QTest::addColumn<bool>("fromHeaders");
        BmpLayout big;
        big.width = 8000;
        big.height = 8000;
        big.pixel = nullptr;
        big.data = QByteArray(1, '\0');
        const QByteArray bigHead = makeBmp(big).chopped(1);
        QTest::newRow("uncompressed bitmap of 64 megapixels")
            << "b.bmp" << bigHead << qint64(bigHead.size()) + 8000LL * 24000 << true;
        QTest::newRow("the same, one byte short")
            << "b.bmp" << bigHead << qint64(bigHead.size()) + 8000LL * 24000 - 1 << true;
        QTest::newRow("small bitmap") << "s.bmp" << TestFiles::simpleBmp(7, 3) << qint64(0) << true;
        QTest::newRow("run-length bitmap") << "r.bmp" << emptyRunLength(30, 20) << qint64(0) << false;
        QTest::newRow("PNG") << "p.png" << makePng(5, 3, 8, 2, pngRows(3, 15)) << qint64(0) << false;
        QTest::newRow("PNG cut short") << "p.png" << makePng(5, 3, 8, 2, pngRows(3, 15)).chopped(20) << qint64(0)
                                       << false;
        QTest::newRow("JPEG") << "j.jpg" << encoded(pattern(9, 4, QImage::Format_RGB32), "jpeg") << qint64(0) << false;
    }
    void sizeOnly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(bool, fromHeaders);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(TestFiles::writeFile(path, bytes));
        if (sparseSize > 0)
            QVERIFY(QFile::resize(path, sparseSize));
        const qint64 before = bytesRead();
        QSize size;
        const QString message = thrownMessage([&] { size = PictureLoader::loadSize(path); });
        const qint64 read = bytesRead() - before;
        if (fromHeaders)
            QVERIFY2(read < (1 << 20), "the headers alone must answer");
        if (sparseSize > 0) {   // not loaded whole here: 192 MB
            const bool whole = sparseSize == bytes.size() + 8000LL * 24000;
            QCOMPARE(message, whole ? QString() : Msg::streamReadError());
            QCOMPARE(size, whole ? QSize(8000, 8000) : QSize());
            return;
        }
        QImage picture;
        QCOMPARE(message, thrownMessage([&] { picture = PictureLoader::load(path); }));
        if (message.isEmpty())
            QCOMPARE(size, picture.size());
    }
};

QTEST_MAIN(TestPictureLimits)
#include "test_picturelimits.moc"
