// The card sheet drawn at 600 dpi and read back pixel by pixel, and the print
// jobs written to PDF and PNG files.
#include "CardDocument.h"
#include "CardSheet.h"
#include "FileSizeLimit.h"
#include "FontMapping.h"
#include "SheetPrinter.h"
#include "SheetPrinterPdfPages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>

namespace {

constexpr QRgb Background = 0xff808080;   // grey, so that the white text cells show
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;
constexpr int IntMax = std::numeric_limits<int>::max();

QImage page(QSize size, QImage::Format format = QImage::Format_RGB32, QRgb background = Background)
{
    QImage image(size, format);
    image.setDotsPerMeterX(23622);   // 600 dpi
    image.setDotsPerMeterY(23622);
    image.fill(background);
    return image;
}

void drawSheet(const CardDocument &doc, QImage &image)
{
    QPainter painter(&image);
    CardSheet(doc, image).draw(painter);
}

QImage solidPicture(QSize size, QRgb color)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

// A picture that no compression can shrink much.
QImage noisePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, 0xff000000 | random.bounded(0x1000000));
    return picture;
}

int addImageBox(CardDocument &doc, BoxBounds bounds, const QImage &picture)
{
    const int slot = doc.AddImageBox();
    doc.setImageBounds(slot, bounds);
    doc.setImagePicture(slot, picture);
    return slot;
}

int addTextBox(CardDocument &doc, QPoint at, const QString &caption, std::int32_t color = 0)
{
    const int slot = doc.AddTextBox();
    BoxBounds bounds = doc.TextBoxes(slot)->bounds;
    bounds.Left = at.x();
    bounds.Top = at.y();
    doc.setTextBounds(slot, bounds);
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setColor(color);
    doc.setTextFont(slot, font);
    return slot;
}

int countPixels(const QImage &image, QRgb color, const QRect &area)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += image.pixel(x, y) == color ? 1 : 0;
    return count;
}

int countPixels(const QImage &image, QRgb color)
{
    return countPixels(image, color, image.rect());
}

// The smallest rectangle around every pixel in area that differs from the background.
QRect drawnBounds(const QImage &image, const QRect &area)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != Background)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int pdfPageCount(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n")) + int(pdf.count("/Type /Page ")) + int(pdf.count("/Type /Page/"));
}

// One page of a PDF as a PDF reader shows it (poppler's pdftoppm at 20 dpi),
// with whatever the reader complained about.
struct ReadPage {
    QImage image;
    QByteArray complaints;
};

ReadPage readPdfPage(const QString &pdf, int page)
{
    const QString prefix = pdf + QStringLiteral("-page");
    QProcess reader;
    reader.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
                 {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-f"), QString::number(page),
                  QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"),
                  pdf, prefix});
    reader.waitForFinished();
    return {QImage(prefix + QStringLiteral(".png")), reader.readAllStandardError()};
}

// A PDF of pages pages, each with the number of its page drawn on it.
QByteArray numberedPdf(int pages)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            writer.newPage();
        painter.drawText(100, 100, QString::number(n));
    }
    painter.end();
    return pdf;
}

using Setup = std::function<void(CardDocument &)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestCardSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void guideCrosses_data()
    {
        QTest::addColumn<int>("marginLeft");
        QTest::addColumn<int>("marginTop");
        QTest::addColumn<QList<int>>("xs");
        QTest::addColumn<QList<int>>("ys");
        QTest::newRow("margins 0") << 0 << 0 << QList<int>{10, 2160, 4309} << QList<int>{10, 1309, 2608, 3908, 5207};
        QTest::newRow("margins 10, 15 mm")
            << 10 << 15 << QList<int>{246, 2396, 4545} << QList<int>{364, 1664, 2963, 4262, 5561};
    }
    void guideCrosses()
    {
        QFETCH(int, marginLeft);
        QFETCH(int, marginTop);
        QFETCH(QList<int>, xs);
        QFETCH(QList<int>, ys);
        CardDocument doc;
        doc.setPrintSettings({1, marginLeft, marginTop});
        QImage image = page(QSize(4600, 5600), QImage::Format_Grayscale8, 0xffffffff);
        drawSheet(doc, image);

        const QRgb black = 0xff000000;
        for (int cx : xs) {
            for (int cy : ys) {
                // Each arm covers centre − 10 … centre + 9: the end point is left
                // out, so the top-left cross runs from (0, 10) to (19, 10).
                QCOMPARE(countPixels(image, black, QRect(cx - 10, cy, 20, 1)), 20);
                QCOMPARE(countPixels(image, black, QRect(cx, cy - 10, 1, 20)), 20);
                QCOMPARE(countPixels(image, black, QRect(cx - 11, cy, 22, 1)), 20);
                QCOMPARE(countPixels(image, black, QRect(cx, cy - 11, 1, 22)), 20);
            }
        }
        // Fifteen crosses of 39 pixels and nothing else.
        QCOMPARE(countPixels(image, black), 15 * 39);
    }

    void imageBoxFillsMappedCorners_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::newRow("picture stretched") << QSize(64, 64);
        QTest::newRow("large picture scaled down") << QSize(1600, 1200);
        QTest::newRow("tall narrow picture") << QSize(3, 900);
    }
    void imageBoxFillsMappedCorners()
    {
        QFETCH(QSize, pictureSize);
        CardDocument doc;
        addImageBox(doc, {20, 30, 64, 64}, solidPicture(pictureSize, Red));
        QImage image = page(QSize(2800, 4600));
        drawSheet(doc, image);

        // Cell (0, 0) from (135, 198) to (535, 598), cell (1, 1) from (2285, 1497)
        // to (2685, 1897), right and bottom edges left out.
        for (const QRect &r : {QRect(QPoint(135, 198), QPoint(534, 597)), QRect(QPoint(2285, 1497), QPoint(2684, 1896))}) {
            QCOMPARE(countPixels(image, Red, r), r.width() * r.height());
            QCOMPARE(countPixels(image, Red, r.adjusted(-1, -1, 1, 1)), r.width() * r.height());
        }
        // Eight cells of 400 × 400, nothing more.
        QCOMPARE(countPixels(image, Red), 8 * 400 * 400);
    }

    void touchingImageBoxesTouchOnPaper()
    {
        // Left 2 and 6 map to 22 and 48 (12.5 and 37.5 to even); a width of 4
        // alone would map to 25 and leave a gap.
        CardDocument doc;
        addImageBox(doc, {2, 0, 4, 4}, solidPicture(QSize(4, 4), Red));
        addImageBox(doc, {6, 0, 4, 4}, solidPicture(QSize(4, 4), Blue));
        QImage image = page(QSize(100, 40));
        drawSheet(doc, image);
        QCOMPARE(countPixels(image, Red, QRect(0, 20, 100, 1)), 26);
        QCOMPARE(countPixels(image, Blue, QRect(0, 20, 100, 1)), 24);
        QCOMPARE(image.pixel(47, 20), Red);
        QCOMPARE(image.pixel(48, 20), Blue);
    }

    void textBoxAtItsCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("cell 0, 0") << 0 << 0 << QPoint(371, 552);
        QTest::newRow("cell 1, 3") << 1 << 3 << QPoint(2521, 4449);
    }
    void textBoxAtItsCell()
    {
        QFETCH(QPoint, topLeft);
        CardDocument doc;
        doc.setPrintSettings({0, 10, 15});
        const QString caption = QStringLiteral("営業部");
        addTextBox(doc, QPoint(20, 30), caption, 0x0000ff);   // red
        QImage image = page(QSize(3000, 4700));
        drawSheet(doc, image);

        // The box font of −13 pixels at 96 PPI is 10 pt: −83 pixels at 600 dpi.
        BoxFont printerFont = doc.TextBoxes(0)->Font;
        printerFont.setHeight(-83);
        const QFontMetrics metrics(FontMapping::toQFont(printerFont), &image);
        const QRect cell(topLeft, QSize(metrics.horizontalAdvance(caption), metrics.ascent() + metrics.descent()));
        QCOMPARE(drawnBounds(image, cell.adjusted(-40, -40, 40, 40)), cell);
        QVERIFY(countPixels(image, Red, cell) > 100);
        QVERIFY(countPixels(image, 0xffffffff, cell) > cell.width() * cell.height() / 2);
    }

    void laterDrawingLiesOver()
    {
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0});
        // Screen 0..8 is printer 10..60: over the top-left cross's right arm.
        addImageBox(doc, {0, 0, 8, 8}, solidPicture(QSize(8, 8), Red));
        addImageBox(doc, {4, 4, 8, 8}, solidPicture(QSize(8, 8), Blue));
        const int text = addTextBox(doc, QPoint(6, 6), QStringLiteral("  "));   // a white cell only
        doc.setTextVisible(text, false);   // hidden under the editor: printed all the same
        QImage image = page(QSize(200, 200));
        drawSheet(doc, image);

        QCOMPARE(image.pixel(5, 10), 0xff000000u);   // cross arm left of the pictures
        QCOMPARE(image.pixel(15, 10), Red);          // picture over the cross
        QCOMPARE(image.pixel(40, 40), Blue);         // higher slot over lower
        QCOMPARE(image.pixel(48, 48), 0xffffffffu);  // text cell over the pictures
    }

    void captionCutAtTheCardsRightEdge()
    {
        CardDocument doc;
        addTextBox(doc, QPoint(300, 0), QString(40, QChar(0x55B6)));
        QImage image = page(QSize(4400, 300));
        drawSheet(doc, image);
        // Starts at 1885; the card's right edge is 10 + 2149.6 pixels.
        const QRect drawn = drawnBounds(image, QRect(1800, 0, 1000, 300));
        QCOMPARE(drawn.left(), 1885);
        QVERIFY2(drawn.right() < 2160, qPrintable(QString::number(drawn.right())));
        QVERIFY(drawn.right() > 2160 - 83);   // no more than one character short
    }

    void printsNothing_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::newRow("guides off, no boxes") << Setup([](CardDocument &) {});
        QTest::newRow("empty caption, not even a white cell")
            << Setup([](CardDocument &doc) { addTextBox(doc, QPoint(20, 30), QString()); });
        QTest::newRow("image box without a picture")
            << Setup([](CardDocument &doc) { addImageBox(doc, {20, 30, 64, 64}, QImage()); });
        QTest::newRow("image box without area") << Setup([](CardDocument &doc) {
            addImageBox(doc, {20, 30, 0, 64}, solidPicture(QSize(4, 4), Red));
            addImageBox(doc, {20, 30, -64, 64}, solidPicture(QSize(4, 4), Red));
        });
        const auto everything = [](CardDocument &doc) {
            addImageBox(doc, {20, 30, 64, 64}, solidPicture(QSize(4, 4), Red));
            addTextBox(doc, QPoint(20, 30), QStringLiteral("営業部"));
        };
        QTest::newRow("margins of 1e9 mm") << Setup([everything](CardDocument &doc) {
            doc.setPrintSettings({1, 1000000000, 1000000000});
            everything(doc);
        });
        QTest::newRow("margins of -1e9 mm") << Setup([everything](CardDocument &doc) {
            doc.setPrintSettings({1, -1000000000, -1000000000});
            everything(doc);
        });
        QTest::newRow("boxes far out") << Setup([](CardDocument &doc) {
            addImageBox(doc, {IntMax, IntMax, IntMax, IntMax}, solidPicture(QSize(4, 4), Red));
            addImageBox(doc, {-IntMax, -IntMax, IntMax, IntMax}, solidPicture(QSize(4, 4), Red));
            addTextBox(doc, QPoint(IntMax, IntMax), QStringLiteral("営業部"));
            addTextBox(doc, QPoint(-IntMax, 0), QStringLiteral("営業部"));
        });
        QTest::newRow("no screen density") << Setup([](CardDocument &doc) {
            doc.setScreenPpi(0);
            addImageBox(doc, {20, 30, 64, 64}, solidPicture(QSize(4, 4), Red));
            addTextBox(doc, QPoint(20, 30), QStringLiteral("営業部"));
        });
    }
    void printsNothing()
    {
        QFETCH(Setup, setup);
        CardDocument doc;
        setup(doc);
        QImage image = page(QSize(600, 600));
        drawSheet(doc, image);
        QCOMPARE(countPixels(image, Background), 600 * 600);
    }

    void pictureForPrint_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("printed");
        QTest::addColumn<QSize>("result");
        QTest::newRow("larger: down to the printed size") << QSize(1600, 1200) << QSize(400, 401) << QSize(400, 401);
        QTest::newRow("smaller: never enlarged") << QSize(64, 64) << QSize(400, 400) << QSize(64, 64);
        QTest::newRow("each axis on its own") << QSize(1600, 100) << QSize(400, 400) << QSize(400, 100);
    }
    void pictureForPrint()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, printed);
        QFETCH(QSize, result);
        const QImage original = solidPicture(picture, Red);
        const QImage prepared = ::pictureForPrint(original, printed);
        QCOMPARE(prepared.size(), result);
        // Kept as it is, the same picture object is drawn (a PDF embeds it once).
        QCOMPARE(prepared.cacheKey() == original.cacheKey(), result == picture);
    }

    void pdfPages_data()
    {
        QTest::addColumn<int>("copies");
        QTest::newRow("1 copy") << 1;
        QTest::newRow("3 copies, no blank page after") << 3;
        QTest::newRow("100 copies") << 100;
    }
    void pdfPages()
    {
        QFETCH(int, copies);
        QTemporaryDir dir;
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0});
        addTextBox(doc, QPoint(20, 30), QStringLiteral("営業部"));
        const QString path = dir.filePath(QStringLiteral("card.pdf"));
        QString error;
        QVERIFY(SheetPrinter::writePdf(doc, {copies, 600, QPageSize(QPageSize::A4)}, path, &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(pdfPageCount(readFile(path)), copies);
        QCOMPARE(doc.PrinterDpiX, 600);
        QCOMPARE(doc.PrinterDpiY, 600);

        // A PDF reader finds every page, and the last shows the sheet as the first does.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        const ReadPage first = readPdfPage(path, 1);
        const ReadPage last = readPdfPage(path, copies);
        QCOMPARE(first.complaints + last.complaints, QByteArray());
        QImage blank(first.image.size(), first.image.format());
        blank.fill(Qt::white);
        QVERIFY(!first.image.isNull());
        QVERIFY(first.image != blank);
        QCOMPARE(last.image, first.image);
    }

    // Only the writer's own one-page PDF is made into copies of its page;
    // anything else is left to be drawn in full.
    void repeatedPageNeedsOnePageFromTheWriter_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::newRow("two pages") << numberedPdf(2);
        QTest::newRow("cut short") << numberedPdf(1).chopped(40);
        QTest::newRow("no PDF") << QByteArray("startxref\n0\n%%EOF\n");
    }
    void repeatedPageNeedsOnePageFromTheWriter()
    {
        QFETCH(QByteArray, pdf);
        QVERIFY(SheetPrinterPdfPages::repeatOnlyPage(numberedPdf(1), 2));
        QCOMPARE(SheetPrinterPdfPages::repeatOnlyPage(pdf, 2), std::nullopt);
    }

    void pdfEmbedsEachPictureOnceAndLossless()
    {
        QTemporaryDir dir;
        CardDocument doc;
        addImageBox(doc, {20, 30, 64, 64}, noisePicture(QSize(200, 200)));
        QString error;
        const QString one = dir.filePath(QStringLiteral("one.pdf"));
        const QString hundred = dir.filePath(QStringLiteral("hundred.pdf"));
        QVERIFY(SheetPrinter::writePdf(doc, {1, 600, QPageSize(QPageSize::A4)}, one, &error));
        QVERIFY(SheetPrinter::writePdf(doc, {100, 600, QPageSize(QPageSize::A4)}, hundred, &error));
        const QByteArray pdf = readFile(hundred);
        const qint64 extraPerPage = (pdf.size() - readFile(one).size()) / 99;
        QVERIFY2(extraPerPage < 4096, qPrintable(QString::number(extraPerPage)));   // the picture is 120 KB
        QCOMPARE(pdf.count("/Subtype /Image"), 1);
        QVERIFY(!pdf.contains("/DCTDecode"));
    }

    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("pdf") << QStringLiteral("card.pdf");
        QTest::newRow("png") << QStringLiteral("card.png");
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString written = name.endsWith(QLatin1String(".png")) ? SheetPrinter::pngPageName(path, 1) : path;
        QFile old(written);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        CardDocument doc;
        addImageBox(doc, {20, 30, 64, 64}, noisePicture(QSize(200, 200)));
        QString error;
        {
            const FileSizeLimit limit(20000);   // the picture alone is 120 KB
            const SheetJob job{1, 300, QPageSize(QPageSize::A6)};
            QVERIFY(!(name.endsWith(QLatin1String(".png")) ? SheetPrinter::writePng(doc, job, path, &error)
                                                          : SheetPrinter::writePdf(doc, job, path, &error)));
        }
        QVERIFY(error.contains(written));
        QCOMPARE(readFile(written), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void pngPages()
    {
        QTemporaryDir dir;
        CardDocument doc;
        doc.setPrintSettings({0, 0, 0});
        const QString path = dir.filePath(QStringLiteral("card.png"));
        QString error;
        QVERIFY(SheetPrinter::writePng(doc, {2, 100, QPageSize(QPageSize::Letter)}, path, &error));
        for (const char *name : {"card-1.png", "card-2.png"}) {
            const QImage image(dir.filePath(QLatin1String(name)));
            QCOMPARE(image.size(), QSize(850, 1100));
            QCOMPARE(image.logicalDpiX(), 100);
            QCOMPARE(countPixels(image.convertToFormat(QImage::Format_RGB32), 0xffffffff), 850 * 1100);
        }
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("card-3.png"))));
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("dpi");
        QTest::newRow("pdf in a missing folder") << QStringLiteral("missing/card.pdf") << 1 << 600;
        QTest::newRow("png in a missing folder") << QStringLiteral("missing/card.png") << 1 << 600;
        QTest::newRow("pdf without copies") << QStringLiteral("card.pdf") << 0 << 600;
        QTest::newRow("png without copies") << QStringLiteral("card.png") << 0 << 600;
        QTest::newRow("png page too large to hold") << QStringLiteral("card.png") << 1 << 100000;
    }
    void failuresAreReported()
    {
        QFETCH(QString, name);
        QFETCH(int, copies);
        QFETCH(int, dpi);
        QTemporaryDir dir;
        CardDocument doc;
        const QString path = dir.filePath(name);
        const SheetJob job{copies, dpi, QPageSize(QPageSize::A4)};
        QString error;
        const bool written = path.endsWith(QLatin1String(".pdf")) ? SheetPrinter::writePdf(doc, job, path, &error)
                                                                  : SheetPrinter::writePng(doc, job, path, &error);
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path));
        QVERIFY(!QFile::exists(SheetPrinter::pngPageName(path, 1)));
    }
};

QTEST_MAIN(TestCardSheet)
#include "test_cardsheet.moc"
