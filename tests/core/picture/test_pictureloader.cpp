// Loading the picture of an image box: the bitmap reader, the choice by
// extension and the messages of every way a picture file can be wrong.
#include "TestFiles.h"
#include "Thrown.h"
#include "base/Messages.h"
#include "picture/PictureLoader.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using TestFiles::BmpLayout;
using TestFiles::makeBmp;

namespace {

// The message of the failure, or an empty string when the load succeeded.
QString bmpFailure(const QByteArray &bytes, QImage *image = nullptr)
{
    QImage loaded;
    const QString message = thrownMessage([&] { loaded = PictureLoader::loadFromBytes(bytes, QStringLiteral("a.bmp")); });
    if (image)
        *image = loaded;
    return message;
}

// A bitmap file's description; the palette's colours are all used.
BmpLayout bitmap(int width, int height, int bitCount, std::function<std::uint32_t(int, int)> pixel,
               QVector<QRgb> palette = {}, std::uint32_t headerSize = 40)
{
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bitCount = bitCount;
    s.headerSize = headerSize;
    s.pixel = std::move(pixel);
    s.colorsUsed = std::uint32_t(palette.size());
    s.palette = std::move(palette);
    return s;
}

// A row of the file made from s (with a palette), and the picture it must give.
void bitmapRow(const char *name, const BmpLayout &s)
{
    QImage image(s.width, s.height < 0 ? -s.height : s.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, s.palette.at(int(s.pixel(x, y))));
    QTest::newRow(name) << makeBmp(s) << image;
}

// Run-length data of s's pixels, bottom row first: runs of one index, an
// end of line after each row, the end of the bitmap after the last.
BmpLayout runLength(BmpLayout s)
{
    s.compression = s.bitCount == 4 ? 2 : 1;
    for (int y = s.height - 1; y >= 0; --y) {
        for (int x = 0; x < s.width;) {
            const std::uint32_t v = s.pixel(x, y);
            int run = 1;
            while (x + run < s.width && run < 255 && s.pixel(x + run, y) == v)
                ++run;
            s.data += char(run);
            s.data += char(s.bitCount == 4 ? (v << 4 | v) : v);
            x += run;
        }
        s.data += QByteArray(2, '\0');
    }
    s.data += QByteArray("\0\1", 2);
    return s;
}

// s with run-length data written by hand, and the indexes it must give.
BmpLayout handMadeRuns(BmpLayout s, const char *data, int size, const QVector<std::uint32_t> &indexes)
{
    s.compression = s.bitCount == 4 ? 2 : 1;
    s.data = QByteArray(data, size);
    s.pixel = [=](int x, int y) { return indexes.at(y * s.width + x); };
    return s;
}

QByteArray withU32(QByteArray bytes, int offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void validBitmaps_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");
        QVector<QRgb> sixteen;
        for (int i = 0; i < 16; ++i)
            sixteen << qRgb(i * 17, 255 - i * 17, i * 40 % 256);
        // Bottom row: three pixels as they stand (padded to a whole word), a
        // run of one. Top row: a jump of two pixels, a run of two; the
        // pixels jumped over take the first colour.
        static const char runs8[] = {0, 3, 5, 6, 7, 0, 1, 8, 0, 0, 0, 2, 2, 0, 2, 9, 0, 1};
        bitmapRow("8-bit run-length, literal pixels and a jump",
                  handMadeRuns(bitmap(4, 2, 8, {}, sixteen), runs8, sizeof runs8, {0, 0, 9, 9, 5, 6, 7, 8}));
        static const char runs4[] = {0, 3, 0x12, 0x30, 1, 0x44, 0, 0, 4, 0x56, 0, 1};
        bitmapRow("4-bit run-length, three literal pixels",
                  handMadeRuns(bitmap(4, 2, 4, {}, sixteen), runs4, sizeof runs4, {5, 6, 5, 6, 1, 2, 3, 4}));
        // The data ends without its end-of-bitmap mark: the rows not reached
        // take the first colour too.
        static const char unended[] = {4, 3};
        bitmapRow("run-length data without an end mark",
                  handMadeRuns(bitmap(4, 2, 8, {}, sixteen), unended, sizeof unended, {0, 0, 0, 0, 3, 3, 3, 3}));
    }

    // Every other kind of bitmap gives the pixels Qt's own reader gives.
    void sameAsQtReader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const auto pattern = [](int x, int y) { return std::uint32_t(0x1F3A5C * (x + 1) + 0x4B0000 * y); };
        const auto row = [](const char *name, const BmpLayout &s) { QTest::newRow(name) << makeBmp(s); };
        QVector<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette << qRgb(i, 255 - i, i * 7 % 256);
        const auto bands = [](int x, int y) { return std::uint32_t((x / 2 + 3 * y) % 16); };
        row("24-bit bottom-up, padded rows", bitmap(3, 2, 24, pattern));
        row("24-bit top-down", bitmap(3, -2, 24, pattern));
        BmpLayout fields = bitmap(3, 2, 32, [](int x, int y) { return 0x11223300U * std::uint32_t(x + 1) + 0x1000000U * std::uint32_t(y); });
        fields.compression = 3;
        fields.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
        row("32-bit bit fields", fields);
        row("16-bit 5-5-5", bitmap(3, 2, 16, [](int x, int y) { return std::uint32_t(0x1234 * (x + 1) + 0x999 * y) & 0x7FFF; }));
        row("4-bit, odd width", bitmap(5, 3, 4, bands, palette.mid(0, 16)));
        const auto checkers = [](int x, int y) { return std::uint32_t((x + y) % 2); };
        row("1-bit, width across bytes", bitmap(11, 3, 1, checkers, palette.mid(0, 2)));
        row("old core header", bitmap(11, 3, 1, checkers, palette.mid(0, 2), 12));
        row("8-bit run-length", runLength(bitmap(9, 4, 8, bands, palette)));
        row("OS/2 2.x header", bitmap(5, 3, 24, pattern, {}, 64));
        BmpLayout alpha = bitmap(4, 2, 32, [](int x, int y) { return std::uint32_t(0x40 * x + 0x80 * y) << 24 | 0x336699U; }, {}, 108);
        alpha.compression = 3;
        alpha.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        row("version 4 header, alpha", alpha);
        row("24-bit, version 4 header: pixels start at no whole word", bitmap(3, 4, 24, pattern, {}, 108));
    }
    void sameAsQtReader()
    {
        QFETCH(QByteArray, bytes);
        QImage image;
        QCOMPARE(bmpFailure(bytes, &image), QString());
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "bmp");
        const QImage qt = reader.read();
        QVERIFY2(!qt.isNull(), qPrintable(reader.errorString()));
        // Compared with alpha: a picture that lost its transparency differs.
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32), qt.convertToFormat(QImage::Format_ARGB32));
    }
    void validBitmaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        QImage image;
        QCOMPARE(bmpFailure(bytes, &image), QString());
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected);
    }

    // A bad header is refused before anything large is done.
    void brokenBitmaps_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString invalid = Msg::invalidBitmap();
        const QString endsEarly = Msg::streamReadError();
        const QByteArray good = TestFiles::simpleBmp(4, 4);
        const auto size = [&](std::uint32_t width, std::uint32_t height) { return withU32(withU32(good, 18, width), 22, height); };
        QTest::newRow("text named .bmp") << QByteArray("This is a letter, not a picture.\r\n") << invalid;
        QTest::newRow("last pixel byte missing") << good.chopped(1) << endsEarly;
        QTest::newRow("unknown header size") << withU32(good, 14, 41) << invalid;
        const auto tooLarge = [](qint64 width, qint64 height) {
            return Msg::pictureTooLarge(QStringLiteral("a.bmp"), width, height, 100);
        };
        QTest::newRow("most negative height") << size(4, 0x80000000U) << tooLarge(4, 0x80000000LL);
        QTest::newRow("7 bits per pixel") << withU32(good, 28, 7) << invalid;
        QTest::newRow("run-length on 24 bits") << withU32(good, 30, 1) << invalid;
        const QByteArray runs = makeBmp(runLength(bitmap(40, 4, 8, [](int x, int) { return std::uint32_t(x % 3); }, QVector<QRgb>(4))));
        QTest::newRow("run-length data cut short") << runs.chopped(3) << endsEarly;
        QTest::newRow("100000 x 100000") << size(100000, 100000) << tooLarge(100000, 100000);
        QTest::newRow("at the cap but no data") << size(10000, 10000) << endsEarly;
    }
    void brokenBitmaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(bmpFailure(bytes), message);
        QVERIFY2(timer.elapsed() < 1000, "a bad header must be refused before anything large is done");
    }

    // The kind of picture is told by the last extension, in any case, before
    // the file is looked for; anything that is not a readable file is
    // refused at once, with the name as it was given. Cut short, each kind
    // fails with its own message.
    void fromFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");   // @: the path
        const QString cannotOpen = Msg::cannotOpenFile(QStringLiteral("@"));
        QTest::newRow("bitmap, upper-case extension") << QStringLiteral("名刺ロゴ.BMP") << QString();
        QTest::newRow("last extension counts") << QStringLiteral("logo.png.bmp") << QString();
        QTest::newRow("png") << QStringLiteral("p.png") << QString();
        QTest::newRow("png cut short") << QStringLiteral("cut.png") << Msg::invalidBitmap();
        QTest::newRow("missing ico, in lower case") << QStringLiteral("logo.ICO") << Msg::unknownPictureExtension(QStringLiteral("ico"));
        QTest::newRow("no extension") << QStringLiteral("a.b/logo") << Msg::unknownPictureExtension(QString());
        QTest::newRow("missing file") << QStringLiteral("missing.bmp") << cannotOpen;
        QTest::newRow("FIFO") << QStringLiteral("fifo.bmp") << cannotOpen;
    }
    void fromFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        QVERIFY(folder.mkdir(QStringLiteral("a.b")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.bmp"))).constData(), 0600), 0);
        QImage source(5, 3, QImage::Format_RGB32);
        source.fill(QColor(10, 200, 30));
        for (const char *picture :
             {"名刺ロゴ.BMP", "logo.png.bmp", "a.b/logo", "p.png", "cut.png"}) {
            const QString path = dir.filePath(QString::fromUtf8(picture));
            const QString suffix = QFileInfo(path).suffix().toLower();
            QVERIFY(source.save(path, suffix == QLatin1String("png") ? "png" : "bmp"));
            if (path.contains(QLatin1String("cut.")))
                QVERIFY(TestFiles::writeFile(path, TestFiles::readFile(path).left(30)));
        }
        const QString path = dir.filePath(name);
        QImage image;
        QCOMPARE(thrownMessage([&] { image = PictureLoader::load(path); }), message.replace(QLatin1Char('@'), path));
        if (message.isEmpty())
            QCOMPARE(image.size(), source.size());
    }
};

QTEST_MAIN(TestPictureLoader)
#include "test_pictureloader.moc"
