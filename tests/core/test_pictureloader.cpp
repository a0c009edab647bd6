// Loading the picture of an image box: the bitmap reader, the choice by
// extension and the messages of every way a picture file can be wrong.
#include "BmpDecoder.h"
#include "Messages.h"
#include "PictureLoader.h"
#include "TaveloError.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestFiles::BmpSpec;
using TestFiles::makeBmp;

namespace {

// The message of the failure, or an empty string when the load succeeded.
QString failureOf(const std::function<QImage()> &load, QImage *image = nullptr)
{
    try {
        const QImage loaded = load();
        if (image)
            *image = loaded;
        return QString();
    } catch (const TaveloError &e) {
        return e.message();
    }
}

QImage expectedImage(const BmpSpec &spec, const std::function<QRgb(std::uint32_t)> &colour)
{
    QImage image(spec.width, spec.height < 0 ? -spec.height : spec.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colour(spec.pixel(x, y)));
    return image;
}

QRgb fromPalette(const QVector<QRgb> &palette, std::uint32_t index)
{
    return index < std::uint32_t(palette.size()) ? palette[int(index)] : qRgb(0, 0, 0);
}

const QVector<QRgb> sixteenColours = {qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
                                      qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                                      qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0),
                                      qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

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

        const auto rgb = [](std::uint32_t v) { return QRgb(0xFF000000U | (v & 0xFFFFFF)); };
        BmpSpec spec;
        spec.width = 3;   // nine bytes a row: padded to twelve
        spec.height = 2;
        spec.pixel = [](int x, int y) { return std::uint32_t(0x102030 * (x + 1) + 0x400000 * y); };
        QTest::newRow("24-bit bottom-up, padded rows") << makeBmp(spec) << expectedImage(spec, rgb);
        spec.height = -2;
        QTest::newRow("24-bit top-down") << makeBmp(spec) << expectedImage(spec, rgb);
        spec.height = 2;
        spec.bitCount = 32;
        QTest::newRow("32-bit, fourth byte ignored") << makeBmp(spec) << expectedImage(spec, rgb);

        BmpSpec fields = spec;
        fields.compression = 3;
        fields.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};   // red in the top byte
        fields.pixel = [](int x, int y) { return std::uint32_t(0x11223300 * (x + 1) + 0x1000000U * std::uint32_t(y)); };
        QTest::newRow("32-bit bit fields") << makeBmp(fields)
                                           << expectedImage(fields, [](std::uint32_t v) { return qRgb(int(v >> 24), int(v >> 16 & 0xFF), int(v >> 8 & 0xFF)); });

        BmpSpec rgb555;
        rgb555.width = 2;
        rgb555.height = 2;
        rgb555.bitCount = 16;
        rgb555.pixel = [](int x, int y) { return std::uint32_t(x == 0 ? 0x7C00 : 0x001F) | std::uint32_t(y ? 0x03E0 : 0); };
        QTest::newRow("16-bit 5-5-5") << makeBmp(rgb555)
                                      << expectedImage(rgb555, [](std::uint32_t v) {
                                             return qRgb(v & 0x7C00 ? 255 : 0, v & 0x03E0 ? 255 : 0, v & 0x001F ? 255 : 0);
                                         });

        BmpSpec indexed;
        indexed.width = 5;
        indexed.height = 3;
        indexed.bitCount = 8;
        indexed.palette = sixteenColours;
        indexed.colorsUsed = 16;
        indexed.pixel = [](int x, int y) { return std::uint32_t((x + 5 * y) % 16); };
        const auto palette = [&](std::uint32_t i) { return fromPalette(sixteenColours, i); };
        QTest::newRow("8-bit with a palette") << makeBmp(indexed) << expectedImage(indexed, palette);
        indexed.pixel = [](int x, int) { return std::uint32_t(x * 60); };   // 60..240 are beyond 16 colours
        QTest::newRow("8-bit index beyond the palette is black") << makeBmp(indexed) << expectedImage(indexed, palette);
        indexed.bitCount = 4;
        indexed.colorsUsed = 0;
        indexed.pixel = [](int x, int y) { return std::uint32_t((3 * x + y) % 16); };
        QTest::newRow("4-bit, odd width") << makeBmp(indexed) << expectedImage(indexed, palette);
        indexed.bitCount = 1;
        indexed.width = 11;
        indexed.palette = {qRgb(255, 255, 255), qRgb(0, 0, 200)};
        indexed.pixel = [](int x, int y) { return std::uint32_t((x + y) % 2); };
        QTest::newRow("1-bit, width across bytes")
            << makeBmp(indexed) << expectedImage(indexed, [&](std::uint32_t i) { return fromPalette(indexed.palette, i); });
        indexed.headerSize = 12;
        QTest::newRow("old core header")
            << makeBmp(indexed) << expectedImage(indexed, [&](std::uint32_t i) { return fromPalette(indexed.palette, i); });
        BmpSpec v5 = spec;
        v5.bitCount = 24;
        v5.headerSize = 124;
        QTest::newRow("version 5 header") << makeBmp(v5) << expectedImage(v5, rgb);
    }
    void validBitmaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        QImage image;
        QCOMPARE(failureOf([&] { return PictureLoader::loadFromBytes(bytes, QStringLiteral("a.bmp")); }, &image), QString());
        QCOMPARE(image.size(), expected.size());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(QColor(image.pixel(x, y)), QColor(expected.pixel(x, y)));
    }

    void brokenBitmaps_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString invalid = Msg::invalidBitmap();
        const QString endsEarly = Msg::streamReadError();
        BmpSpec spec;
        spec.width = 4;
        spec.height = 4;
        const QByteArray good = makeBmp(spec);
        BmpSpec indexed;
        indexed.width = 4;
        indexed.height = 4;
        indexed.bitCount = 8;
        indexed.palette = sixteenColours;
        const QByteArray goodIndexed = makeBmp(indexed);

        QTest::newRow("text named .bmp") << QByteArray("This is a letter, not a picture.\r\n") << invalid;
        QTest::newRow("empty file") << QByteArray() << endsEarly;
        QTest::newRow("ends inside the file header") << good.left(10) << endsEarly;
        QTest::newRow("ends inside the info header") << good.left(30) << endsEarly;
        QTest::newRow("ends inside the palette") << goodIndexed.left(14 + 40 + 20) << endsEarly;
        QTest::newRow("last pixel byte missing") << good.left(good.size() - 1) << endsEarly;
        QTest::newRow("unknown header size") << withU32(good, 14, 41) << invalid;
        QTest::newRow("width 0") << withU32(good, 18, 0) << invalid;
        QTest::newRow("negative width") << withU32(good, 18, std::uint32_t(-4)) << invalid;
        QTest::newRow("height 0") << withU32(good, 22, 0) << invalid;
        QTest::newRow("most negative height") << withU32(good, 22, 0x80000000U) << invalid;
        QTest::newRow("7 bits per pixel") << withU32(good, 28, 7) << invalid;
        QTest::newRow("run-length compression") << withU32(goodIndexed, 30, 1) << invalid;
        QTest::newRow("bit fields on 24 bits") << withU32(good, 30, 3) << invalid;
        QTest::newRow("100000 x 100000") << withU32(withU32(good, 18, 100000), 22, 100000) << invalid;
        QTest::newRow("just over the pixel cap") << withU32(withU32(good, 18, 200000001), 22, 1) << invalid;
        QTest::newRow("huge width, one row, no data") << withU32(withU32(good, 18, 0x7FFFFFFF), 22, 1) << invalid;
        QTest::newRow("at the cap but no data") << withU32(withU32(good, 18, 20000), 22, 10000) << endsEarly;
    }
    void brokenBitmaps()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(failureOf([&] { return PictureLoader::loadFromBytes(bytes, QStringLiteral("a.bmp")); }), message);
        QVERIFY2(timer.elapsed() < 1000, "a bad header must be refused before anything large is done");
    }

    // Headers changed at random never crash the reader, and they fail only
    // with the reader's own messages.
    void randomlyDamagedBitmaps()
    {
        BmpSpec spec;
        spec.width = 7;
        spec.height = 5;
        spec.bitCount = 8;
        spec.palette = sixteenColours;
        const QByteArray good = makeBmp(spec);
        QRandomGenerator random(4711);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = good;
            const int changes = 1 + int(random.bounded(4));
            for (int i = 0; i < changes; ++i)
                bytes[int(random.bounded(14 + 40 + 8))] = char(random.bounded(256));
            if (random.bounded(4) == 0)
                bytes.truncate(int(random.bounded(bytes.size())));
            const QString message = failureOf([&] { return PictureLoader::loadFromBytes(bytes, QStringLiteral("x.bmp")); });
            QVERIFY2(message.isEmpty() || message == Msg::invalidBitmap() || message == Msg::streamReadError(),
                     qPrintable(message));
        }
    }

    void chosenByExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("message");
        QTest::newRow("bmp") << QStringLiteral("logo.bmp") << QString();
        QTest::newRow("upper-case BMP") << QStringLiteral("LOGO.BMP") << QString();
        QTest::newRow("mixed case") << QStringLiteral("logo.Bmp") << QString();
        QTest::newRow("last extension counts") << QStringLiteral("logo.png.bmp") << QString();
        QTest::newRow("gif") << QStringLiteral("logo.gif") << Msg::unknownPictureExtension(QStringLiteral("gif"));
        QTest::newRow("ico, in lower case") << QStringLiteral("logo.ICO") << Msg::unknownPictureExtension(QStringLiteral("ico"));
        QTest::newRow("wmf") << QStringLiteral("logo.wmf") << Msg::unknownPictureExtension(QStringLiteral("wmf"));
        QTest::newRow("no extension") << QStringLiteral("logo") << Msg::unknownPictureExtension(QString());
        QTest::newRow("empty name") << QString() << Msg::unknownPictureExtension(QString());
        QTest::newRow("dot in the folder only") << QStringLiteral("/home/a.b/logo") << Msg::unknownPictureExtension(QString());
    }
    void chosenByExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, message);
        const QByteArray bytes = TestFiles::simpleBmp(3, 3);
        QCOMPARE(failureOf([&] { return PictureLoader::loadFromBytes(bytes, fileName); }), message);
    }

    void pngAndJpeg()
    {
        QImage source(6, 4, QImage::Format_RGB32);
        source.fill(QColor(10, 200, 30));
        QTemporaryDir dir;
        for (const char *name : {"p.png", "p.jpg", "p.JPEG"}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QVERIFY(source.save(path, QByteArray(name).endsWith("png") ? "png" : "jpeg"));
            QImage image;
            QCOMPARE(failureOf([&] { return PictureLoader::load(path); }, &image), QString());
            QCOMPARE(image.size(), source.size());
            QVERIFY(TestFiles::writeFile(path, TestFiles::readFile(path).left(30)));
            QCOMPARE(failureOf([&] { return PictureLoader::load(path); }), Msg::invalidBitmap());
        }
    }

    void loadsFromFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("名刺ロゴ.BMP"));
        QVERIFY(TestFiles::writeFile(path, TestFiles::simpleBmp(640, 480)));
        QImage image;
        QCOMPARE(failureOf([&] { return PictureLoader::load(path); }, &image), QString());
        QCOMPARE(image.size(), QSize(640, 480));
    }

    // Anything that is not a readable file is refused at once, with the name
    // as it was given.
    void cannotOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("missing.bmp");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/logo.bmp");
        QTest::newRow("folder") << QStringLiteral("folder.bmp");
        QTest::newRow("FIFO") << QStringLiteral("fifo.bmp");
        QTest::newRow("symbolic link loop") << QStringLiteral("loop.bmp");
    }
    void cannotOpen()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.bmp")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.bmp"))).constData(), 0600), 0);
        QCOMPARE(::symlink("loop.bmp", QFile::encodeName(dir.filePath(QStringLiteral("loop.bmp"))).constData()), 0);
        const QString path = dir.filePath(name);
        QCOMPARE(failureOf([&] { return PictureLoader::load(path); }), Msg::cannotOpenFile(path));
    }

    // The extension is judged from the name before the file is looked for.
    void extensionBeforeFile()
    {
        QCOMPARE(failureOf([] { return PictureLoader::load(QStringLiteral("/no/such/logo.emf")); }),
                 Msg::unknownPictureExtension(QStringLiteral("emf")));
    }
};

QTEST_MAIN(TestPictureLoader)
#include "test_pictureloader.moc"
