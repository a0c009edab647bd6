// The card sheet drawn at 600 dpi and read back pixel by pixel, and the print
// jobs written to PDF and PNG files.
#include "CardDocument.h"
#include "CardSheet.h"
#include "FileSizeLimit.h"
#include "FontMapping.h"
#include "Messages.h"
#include "SheetPrinter.h"
#include "SheetImages.h"
#include "SheetPrinterPdfPages.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>
#include <optional>

using SheetImages::pixelCount;
using SheetImages::solid;

namespace {

constexpr QRgb Background = 0xff808080;   // grey, so that the white text cells show
constexpr QRgb Black = 0xff000000;
constexpr QRgb White = 0xffffffff;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;
constexpr int IntMax = std::numeric_limits<int>::max();

using Setup = std::function<void(CardDocument &)>;

// So many pixels of colour in area (a null area: the whole page; a count
// below 0: some).
struct Probe {
    QRect area;
    QRgb colour;
    int count;
};
using Probes = QList<Probe>;

// A picture that no compression can shrink much (120 KB).
QImage noise()
{
    return SheetImages::noise(QSize(200, 200), 7);
}

void addImageBox(CardDocument &doc, BoxBounds bounds, const QImage &picture)
{
    const int slot = doc.AddImageBox();
    doc.setImageBounds(slot, bounds);
    doc.setImagePicture(slot, picture);
}

int addTextBox(CardDocument &doc, QPoint at, const QString &caption, std::int32_t color = 0)
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, {at.x(), at.y(), 100, 20});
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setColor(color);
    doc.setTextFont(slot, font);
    return slot;
}

// A PDF of blank pages as the PDF writer makes it.
QByteArray writerPdf(int pages)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    for (int n = 1; n < pages; ++n)
        writer.newPage();
    painter.end();
    return pdf;
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Probes)

class TestCardSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void drawnSheet_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<Probes>("probes");

        // Each arm covers centre − 10 … centre + 9: the end point is left out,
        // so the top-left cross at margins 0 runs from (0, 10) to (19, 10).
        const auto crosses = [](int marginLeft, int marginTop, QList<int> xs, QList<int> ys) {
            Probes probes{{QRect(), Black, 15 * 39}};   // fifteen crosses and nothing else
            for (int x : xs)
                for (int y : ys)
                    probes << Probe{QRect(x - 10, y, 20, 1), Black, 20} << Probe{QRect(x, y - 10, 1, 20), Black, 20};
            QTest::addRow("crosses, margins %d, %d mm", marginLeft, marginTop)
                << Setup([=](CardDocument &doc) { doc.setPrintSettings({1, marginLeft, marginTop}); })
                << QSize(4600, 5600) << probes;
        };
        crosses(0, 0, {10, 2160, 4309}, {10, 1309, 2608, 3908, 5207});
        crosses(10, 15, {246, 2396, 4545}, {364, 1664, 2963, 4262, 5561});

        // Cell (0, 0) from (135, 198) to (535, 598), cell (1, 1) from (2285, 1497)
        // to (2685, 1897), right and bottom edges left out.
        const Probes cells{{QRect(QPoint(135, 198), QPoint(534, 597)), Red, 400 * 400},
                           {QRect(QPoint(2285, 1497), QPoint(2684, 1896)), Red, 400 * 400},
                           {QRect(), Red, 8 * 400 * 400}};
        QTest::newRow("image box, its picture scaled down") << Setup([](CardDocument &doc) {
            addImageBox(doc, {20, 30, 64, 64}, solid(QSize(1600, 1200), Red));
        }) << QSize(2800, 4600) << cells;

        // Left 2 and 6 map to 22 and 48 (12.5 and 37.5 to even); a width of 4
        // alone would map to 25 and leave a gap.
        QTest::newRow("boxes that touch touch on paper") << Setup([](CardDocument &doc) {
            addImageBox(doc, {2, 0, 4, 4}, solid(QSize(4, 4), Red));
            addImageBox(doc, {6, 0, 4, 4}, solid(QSize(4, 4), Blue));
        }) << QSize(100, 40) << Probes{{QRect(0, 20, 100, 1), Red, 26}, {QRect(0, 20, 100, 1), Blue, 24},
                                       {QRect(47, 20, 1, 1), Red, 1}, {QRect(48, 20, 1, 1), Blue, 1}};

        // Screen 0..8 is printer 10..60: over the top-left cross's right arm.
        QTest::newRow("later drawing lies over") << Setup([](CardDocument &doc) {
            doc.setPrintSettings({1, 0, 0});
            addImageBox(doc, {0, 0, 8, 8}, solid(QSize(8, 8), Red));
            addImageBox(doc, {4, 4, 8, 8}, solid(QSize(8, 8), Blue));
            const int text = addTextBox(doc, QPoint(6, 6), QStringLiteral("  "));   // a white cell only
            doc.setTextVisible(text, false);   // hidden under the editor: printed all the same
        }) << QSize(200, 200) << Probes{{QRect(5, 10, 1, 1), Black, 1}, {QRect(15, 10, 1, 1), Red, 1},
                                        {QRect(40, 40, 1, 1), Blue, 1}, {QRect(48, 48, 1, 1), White, 1}};

        // Text at 10, 15 mm: the box font of −13 pixels at 96 PPI is 10 pt, −83
        // pixels at 600 dpi. Its white cell is drawn and nothing around it;
        // the glyphs are in the box's colour.
        const QString caption = QStringLiteral("営業部");
        const BoxFont printerFont(QStringLiteral("ＭＳ Ｐ明朝"), -83);
        const QImage device = SheetImages::drawnSheet(CardDocument(), QSize(1, 1), 600);
        const QFontMetrics metrics(FontMapping::toQFont(printerFont), &device);
        for (const QPoint topLeft : {QPoint(371, 552), QPoint(2521, 4449)}) {
            const QRect cell(topLeft, QSize(metrics.horizontalAdvance(caption), metrics.ascent() + metrics.descent()));
            const QRect around = cell.adjusted(-40, -40, 40, 40);
            QTest::addRow("text at (%d, %d)", topLeft.x(), topLeft.y()) << Setup([=](CardDocument &doc) {
                doc.setPrintSettings({0, 10, 15});
                addTextBox(doc, QPoint(20, 30), caption, 0x0000ff);   // red
            }) << QSize(3000, 4700) << Probes{{cell, Background, 0}, {cell, Red, -1}, {cell, Black, 0},
                                              {around, Background, around.width() * around.height() - cell.width() * cell.height()}};
        }

        // A caption at Left 300 starts at 1885; the card's right edge is at
        // 10 + 2149.6 pixels: the text stops before it, no more than one
        // character short.
        QTest::newRow("caption cut at the card's right edge") << Setup([](CardDocument &doc) {
            addTextBox(doc, QPoint(300, 0), QString(40, QChar(0x55B6)));
        }) << QSize(4400, 300) << Probes{{QRect(1800, 0, 85, 300), Background, 85 * 300}, {QRect(1885, 0, 1, 300), White, -1},
                                         {QRect(2160 - 83, 0, 83, 300), White, -1}, {QRect(2160, 0, 640, 300), Background, 640 * 300}};

        // Nothing drawn, and nothing that crashes on the way.
        const Probes nothing{{QRect(), Background, 600 * 600}};
        QTest::newRow("boxes that show nothing") << Setup([](CardDocument &doc) {
            addTextBox(doc, QPoint(20, 30), QString());   // not even a white cell
            addImageBox(doc, {20, 30, 0, 64}, solid(QSize(4, 4), Red));
            addImageBox(doc, {20, 30, -64, 64}, solid(QSize(4, 4), Red));
            addImageBox(doc, {IntMax, IntMax, IntMax, IntMax}, solid(QSize(4, 4), Red));
            addImageBox(doc, {-IntMax, -IntMax, IntMax, IntMax}, solid(QSize(4, 4), Red));
            addTextBox(doc, QPoint(IntMax, IntMax), QStringLiteral("営業部"));
            addTextBox(doc, QPoint(-IntMax, 0), QStringLiteral("営業部"));
        }) << QSize(600, 600) << nothing;
        const auto everything = [](PrintSettings settings, int screenPpi) {
            return Setup([=](CardDocument &doc) {
                doc.setPrintSettings(settings);
                doc.setScreenPpi(screenPpi);
                addImageBox(doc, {20, 30, 64, 64}, solid(QSize(4, 4), Red));
                addTextBox(doc, QPoint(20, 30), QStringLiteral("営業部"));
            });
        };
        QTest::newRow("margins of ±1e9 mm") << everything({1, 1000000000, -1000000000}, 96) << QSize(600, 600) << nothing;
        QTest::newRow("margins of ∓1e9 mm") << everything({1, -1000000000, 1000000000}, 96) << QSize(600, 600) << nothing;
        QTest::newRow("no screen density") << everything({0, 0, 0}, 0) << QSize(600, 600) << nothing;
    }
    void drawnSheet()
    {
        QFETCH(Setup, setup);
        QFETCH(QSize, page);
        QFETCH(Probes, probes);
        CardDocument doc;
        setup(doc);
        const QImage image = SheetImages::drawnSheet(doc, page, 600, Background);
        for (const Probe &p : probes) {
            const int count = pixelCount(image, p.colour, p.area);
            const QString where = QStringLiteral("%1 of colour %2 at (%3, %4) %5 x %6, not %7")
                                      .arg(count).arg(p.colour, 0, 16).arg(p.area.x()).arg(p.area.y())
                                      .arg(p.area.width()).arg(p.area.height()).arg(p.count);
            QVERIFY2(p.count < 0 ? count > 0 : count == p.count, qPrintable(where));
        }
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
        const QImage original = solid(picture, Red);
        const QImage prepared = ::pictureForPrint(original, printed);
        QCOMPARE(prepared.size(), result);
        // Kept as it is, the same picture object is drawn (a PDF embeds it once).
        QCOMPARE(prepared.cacheKey() == original.cacheKey(), result == picture);
    }

    // One page per copy and not one more. The sheet is drawn once: a hundred
    // copies cost little more than one, and the picture is embedded once,
    // without lossy compression.
    void pdfPages()
    {
        QTemporaryDir dir;
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0});
        addTextBox(doc, QPoint(20, 30), QStringLiteral("営業部"));
        addImageBox(doc, {20, 30, 64, 64}, noise());
        const QString path = dir.filePath(QStringLiteral("card.pdf"));
        QList<qint64> sizes, streams;
        for (const int copies : {1, 100}) {
            QString error;
            QVERIFY(SheetPrinter::writePdf(doc, {copies, 600, QPageSize(QPageSize::A4), {}}, path, &error));
            const QByteArray pdf = TestFiles::readFile(path);
            QCOMPARE(TestFiles::pdfPageCount(pdf), copies);
            // The further copies are the one drawn page repeated, not pages
            // drawn again (which would still be right): no stream more.
            streams << pdf.count("endstream");
            QCOMPARE(pdf.count("/Subtype /Image"), 1);
            QVERIFY(!pdf.contains("/DCTDecode"));
            sizes << pdf.size();
        }
        QCOMPARE(streams[1], streams[0]);
        QVERIFY2((sizes[1] - sizes[0]) / 99 < 4096, qPrintable(QString::number((sizes[1] - sizes[0]) / 99)));

        // A PDF reader finds every page, and the last shows the sheet as the first does.
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QByteArray complaints;
        const QImage first = SheetImages::shownPdfPage(path, {"-r", "20", "-f", "1", "-l", "1"}, &complaints);
        const QImage last = SheetImages::shownPdfPage(path, {"-r", "20", "-f", "100", "-l", "100"}, &complaints);
        QCOMPARE(complaints, QByteArray());
        QVERIFY(!first.isNull());
        QVERIFY(first != solid(first.size(), White).convertToFormat(first.format()));
        QCOMPARE(last, first);
    }

    // Only the writer's own one-page PDF is made into copies of its page;
    // anything else is left to be drawn in full.
    void repeatedPageNeedsOnePageFromTheWriter_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::newRow("two pages") << writerPdf(2);
        QTest::newRow("cut short") << writerPdf(1).chopped(40);
        QTest::newRow("no PDF") << QByteArray("startxref\n0\n%%EOF\n");
    }
    void repeatedPageNeedsOnePageFromTheWriter()
    {
        QFETCH(QByteArray, pdf);
        QVERIFY(SheetPrinterPdfPages::repeatOnlyPage(writerPdf(1), 2));
        QCOMPARE(SheetPrinterPdfPages::repeatOnlyPage(pdf, 2), std::nullopt);
    }

    // A job that cannot be written says why, and leaves no file behind; on a
    // full disk the file that was there stays as it was.
    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("said");   // empty: the path of the file it failed to write
        QTest::newRow("pdf in a missing folder") << QStringLiteral("missing/card.pdf") << 1 << 600 << false << QString();
        QTest::newRow("png in a missing folder") << QStringLiteral("missing/card.png") << 1 << 600 << false << QString();
        QTest::newRow("pdf without copies") << QStringLiteral("card.pdf") << 0 << 600 << false << Msg::noCopies();
        QTest::newRow("png without copies") << QStringLiteral("card.png") << 0 << 600 << false << Msg::noCopies();
        const QSize huge(413386, 582677);   // A6 at 100000 dpi
        QTest::newRow("png page too large to hold") << QStringLiteral("card.png") << 1 << 100000 << false
                                                    << Msg::pageTooLarge(huge.width(), huge.height());
        QTest::newRow("pdf on a full disk") << QStringLiteral("card.pdf") << 1 << 300 << true << QString();
        QTest::newRow("png on a full disk") << QStringLiteral("card.png") << 1 << 300 << true << QString();
    }
    void failuresAreReported()
    {
        QFETCH(QString, name);
        QFETCH(int, copies);
        QFETCH(int, dpi);
        QFETCH(bool, diskFull);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString written = name.endsWith(QLatin1String(".png")) ? SheetPrinter::pngPageName(path, 1) : path;
        if (diskFull)
            QVERIFY(TestFiles::writeFile(written, "old"));
        CardDocument doc;
        addImageBox(doc, {20, 30, 64, 64}, noise());
        QString error;
        {
            std::optional<FileSizeLimit> limit;
            if (diskFull)
                limit.emplace(20000);   // the picture alone is 120 KB
            const SheetJob job{copies, dpi, QPageSize(QPageSize::A6), {}};
            QVERIFY(!(name.endsWith(QLatin1String(".png")) ? SheetPrinter::writePng(doc, job, path, &error)
                                                          : SheetPrinter::writePdf(doc, job, path, &error)));
        }
        QVERIFY2(error.contains(said.isEmpty() ? written : said), qPrintable(error));
        QCOMPARE(TestFiles::readFile(written), diskFull ? QByteArray("old") : QByteArray());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), diskFull ? 1 : 0);
    }
};

QTEST_MAIN(TestCardSheet)
#include "test_cardsheet.moc"
