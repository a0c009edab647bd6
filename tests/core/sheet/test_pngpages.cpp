// PNG pages compressed in bands on every core and joined into one stream:
// read back whole by libpng (which checks every chunk's CRC, the stream and
// its Adler-32) and by ImageMagick, pixel for pixel the page drawn.
#include "sheet/PngPageEncoder.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <png.h>

#include <optional>
#include <vector>

namespace {

// The file decoded by libpng's simplified reader, as 32-bit pixels.
std::optional<QImage> readWithLibpng(const QByteArray &png)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.constData(), size_t(png.size())))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA;
    QImage out(int(image.width), int(image.height), QImage::Format_ARGB32);
    const bool ok = png_image_finish_read(&image, nullptr, out.bits(), int(out.bytesPerLine()), nullptr);
    png_image_free(&image);
    if (!ok || image.warning_or_error)
        return std::nullopt;
    return out.convertToFormat(QImage::Format_RGB32);
}

// A page of the given kind: what a sheet holds (plain paper, lines of
// text, photographs), or what compresses worst.
QImage makePage(const QString &kind, int width, int height)
{
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    if (kind == QLatin1String("noise")) {
        QRandomGenerator random(7);
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(page.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = random.generate() | 0xff000000u;
        }
    } else if (kind == QLatin1String("sheet")) {
        QPainter painter(&page);
        QLinearGradient shade(0, 0, width, height);
        shade.setColorAt(0, QColor(30, 90, 160));
        shade.setColorAt(1, QColor(240, 200, 40));
        for (int y = 0; y < height; y += 300)
            painter.fillRect(QRect(width / 8, y + 20, width / 3, 120), shade);
        painter.setPen(Qt::black);
        for (int y = 0; y < height; y += 37)
            painter.drawText(QPoint(width / 2, y + 30), QStringLiteral("株式会社タベロ印刷 03-1234-5678"));
    }
    return page;
}

QString imageMagick(const QStringList &args, int *status)
{
    QProcess process;
    process.start(args.first(), args.mid(1));
    process.waitForFinished(60000);
    *status = process.exitCode();
    return QString::fromLatin1(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

} // namespace

class TestPngPages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pixelsRoundTrip_data();
    void pixelsRoundTrip();
    void imageMagickReadsTheFile();
    void otherFormatsAreStoredAsRgb();
};

void TestPngPages::pixelsRoundTrip_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // One row, fewer rows than a band, a band and one more row, many bands;
    // plain paper (all but the first row filtered to nothing), text and
    // pictures, noise (stored blocks in every band).
    QTest::newRow("one pixel") << "white" << 1 << 1;
    QTest::newRow("one row") << "noise" << 257 << 1;
    QTest::newRow("a few rows") << "sheet" << 300 << 17;
    QTest::newRow("a band and a row") << "noise" << 40 << 65;
    QTest::newRow("plain paper, many bands") << "white" << 1240 << 1754;
    QTest::newRow("a sheet at 150 dpi") << "sheet" << 1240 << 1754;
    QTest::newRow("noise, many bands") << "noise" << 600 << 900;
}

void TestPngPages::pixelsRoundTrip()
{
    QFETCH(QString, kind);
    QFETCH(int, width);
    QFETCH(int, height);
    QImage page = makePage(kind, width, height);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    const std::optional<QByteArray> png = PngPageEncoder::encode(page);
    QVERIFY(png);
    const std::optional<QImage> back = readWithLibpng(*png);
    QVERIFY2(back, "libpng refused the file");
    QCOMPARE(back->size(), page.size());
    QVERIFY(*back == page);
    // Qt's reader too, and the physical size comes back (300 dpi).
    const QImage qt = QImage::fromData(*png, "png");
    QCOMPARE(qt.convertToFormat(QImage::Format_RGB32), page);
    QCOMPARE(qt.dotsPerMeterX(), 11811);
}

void TestPngPages::imageMagickReadsTheFile()
{
    if (QStandardPaths::findExecutable(QStringLiteral("compare")).isEmpty())
        QSKIP("ImageMagick is not installed");
    QTemporaryDir dir;
    const QImage page = makePage(QStringLiteral("sheet"), 1000, 1400);
    const std::optional<QByteArray> png = PngPageEncoder::encode(page);
    QVERIFY(png);
    const QString ours = dir.filePath(QStringLiteral("ours.png"));
    const QString qts = dir.filePath(QStringLiteral("qt.png"));
    QFile file(ours);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(*png) == png->size());
    file.close();
    QVERIFY(page.save(qts, "png"));
    int status = 0;
    QCOMPARE(imageMagick({QStringLiteral("identify"), QStringLiteral("-format"), QStringLiteral("%w %h %z"), ours}, &status),
             QStringLiteral("1000 1400 8"));
    QCOMPARE(status, 0);
    // Not one pixel differs from the page as Qt's own writer stores it.
    QCOMPARE(imageMagick({QStringLiteral("compare"), QStringLiteral("-metric"), QStringLiteral("AE"), ours, qts,
                          QStringLiteral("null:")},
                         &status),
             QStringLiteral("0"));
    QCOMPARE(status, 0);
}

void TestPngPages::otherFormatsAreStoredAsRgb()
{
    QImage page = makePage(QStringLiteral("sheet"), 200, 150).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const std::optional<QByteArray> png = PngPageEncoder::encode(page);
    QVERIFY(png);
    const std::optional<QImage> back = readWithLibpng(*png);
    QVERIFY(back);
    QCOMPARE(*back, page.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestPngPages)
#include "test_pngpages.moc"
