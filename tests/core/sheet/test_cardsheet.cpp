// The card sheet drawn at 600 dpi and read back pixel by pixel, and the print
// jobs written to PDF and PNG files.
#include "FileSizeLimit.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"
#include "sheet/FontMapping.h"
#include "sheet/SheetPrinter.h"

#include <QDir>
#include <QFontMetrics>
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

// Pixels of a colour in an area (null: the whole page); a count below 0: some.
struct Probe {
    QRect area;
    QRgb colour;
    int count;
};
using Probes = QList<Probe>;

QImage noise()   // 120 KB that no compression shrinks much
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

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Probes)

class TestCardSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    // Cell positions, rounding, drawing order, clipping and hostile geometry, read back at 600 dpi.
    void drawnSheet_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<Probes>("probes");

        const Probes cells{{QRect(QPoint(135, 198), QPoint(534, 597)), Red, 400 * 400},
                           {QRect(QPoint(2285, 1497), QPoint(2684, 1896)), Red, 400 * 400},
                           {QRect(), Red, 8 * 400 * 400}};
        QTest::newRow("image box, its picture scaled down") << Setup([](CardDocument &doc) {
            addImageBox(doc, {20, 30, 64, 64}, solid(QSize(1600, 1200), Red));
        }) << QSize(2800, 4600) << cells;

        QTest::newRow("boxes that touch touch on paper") << Setup([](CardDocument &doc) {
            addImageBox(doc, {2, 0, 4, 4}, solid(QSize(4, 4), Red));
            addImageBox(doc, {6, 0, 4, 4}, solid(QSize(4, 4), Blue));
        }) << QSize(100, 40) << Probes{{QRect(0, 20, 100, 1), Red, 26}, {QRect(0, 20, 100, 1), Blue, 24},
                                       {QRect(47, 20, 1, 1), Red, 1}, {QRect(48, 20, 1, 1), Blue, 1}};

        QTest::newRow("later drawing lies over") << Setup([](CardDocument &doc) {
            doc.setPrintSettings({1, 0, 0});
            addImageBox(doc, {0, 0, 8, 8}, solid(QSize(8, 8), Red));
            addImageBox(doc, {4, 4, 8, 8}, solid(QSize(8, 8), Blue));
            const int text = addTextBox(doc, QPoint(6, 6), QStringLiteral("  "));   // a white cell only
            doc.setTextVisible(text, false);   // hidden under the editor: printed all the same
        }) << QSize(200, 200) << Probes{{QRect(5, 10, 1, 1), Black, 1}, {QRect(15, 10, 1, 1), Red, 1},
                                        {QRect(40, 40, 1, 1), Blue, 1}, {QRect(48, 48, 1, 1), White, 1}};

        const QString caption = QStringLiteral("営業部");
        const BoxFont printerFont(QStringLiteral("ＭＳ Ｐ明朝"), -83);
        const QImage device = SheetImages::drawnSheet(CardDocument(), QSize(1, 1), 600);
        const QFontMetrics metrics(FontMapping::toQFont(printerFont), &device);
        const QRect cell(QPoint(2521, 4449), QSize(metrics.horizontalAdvance(caption), metrics.ascent() + metrics.descent()));
        const QRect around = cell.adjusted(-40, -40, 40, 40);
        QTest::newRow("text in the last cell, 10 pt at 600 dpi") << Setup([=](CardDocument &doc) {
            doc.setPrintSettings({0, 10, 15});
            addTextBox(doc, QPoint(20, 30), caption, 0x0000ff);   // red
        }) << QSize(3000, 4700) << Probes{{cell, Background, 0}, {cell, Red, -1}, {cell, Black, 0},
                                          {around, Background, around.width() * around.height() - cell.width() * cell.height()}};


        QTest::newRow("boxes that show nothing") << Setup([](CardDocument &doc) {
            addTextBox(doc, QPoint(20, 30), QString());   // not even a white cell
            addImageBox(doc, {20, 30, -64, 64}, solid(QSize(4, 4), Red));
            addImageBox(doc, {IntMax, IntMax, IntMax, IntMax}, solid(QSize(4, 4), Red));
            addTextBox(doc, QPoint(-IntMax, 0), QStringLiteral("営業部"));
        }) << QSize(600, 600) << Probes{{QRect(), Background, 600 * 600}};
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
            QVERIFY2(p.count < 0 ? count > 0 : count == p.count,
                     qPrintable(QStringLiteral("%1 of %2 in (%3, %4), not %5").arg(count).arg(p.colour, 0, 16)
                                    .arg(p.area.x()).arg(p.area.y()).arg(p.count)));
        }
    }

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
            streams << pdf.count("endstream");
            QCOMPARE(pdf.count("/Subtype /Image"), 1);
            QVERIFY(!pdf.contains("/DCTDecode"));
            sizes << pdf.size();
        }
        QCOMPARE(streams[1], streams[0]);
        QVERIFY((sizes[1] - sizes[0]) / 99 < 4096);

        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QByteArray complaints;
        const QImage first = SheetImages::shownPdfPage(path, {"-r", "20", "-f", "1", "-l", "1"}, &complaints);
        QCOMPARE(SheetImages::shownPdfPage(path, {"-r", "20", "-f", "100", "-l", "100"}, &complaints), first);
        QCOMPARE(complaints, QByteArray());
        QVERIFY(!first.isNull() && first != solid(first.size(), White).convertToFormat(first.format()));
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("said");   // empty: a full disk, and the path of the file it failed to write
        QTest::newRow("png without copies") << QStringLiteral("card.png") << 0 << 600 << Msg::noCopies();
        QTest::newRow("png page too large to hold")   // A6 at 100000 dpi
            << QStringLiteral("card.png") << 1 << 100000 << Msg::pageTooLarge(413386, 582677);
        QTest::newRow("pdf on a full disk") << QStringLiteral("card.pdf") << 1 << 300 << QString();
        QTest::newRow("png on a full disk") << QStringLiteral("card.png") << 1 << 300 << QString();
    }
    void failuresAreReported()
    {
        QFETCH(QString, name);
        QFETCH(int, copies);
        QFETCH(int, dpi);
        QFETCH(QString, said);
        const bool diskFull = said.isEmpty();
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
