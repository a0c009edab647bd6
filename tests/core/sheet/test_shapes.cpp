// Lines, rectangles, the background and SVG pictures drawn by the sheet
// renderer: exact device pixels at 600 dpi, vectors in a PDF, sharp SVG edges.
#include "PdfContents.h"
#include "ShapeFixtures.h"
#include "card/CardDocument.h"
#include "picture/SvgPicture.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetPrinter.h"

#include <QPainter>
#include <QPair>
#include <QRegularExpression>
#include <QTest>


#include <cmath>
#include <memory>
#include <optional>

namespace {

constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;
// The card file's colours: 0x00BBGGRR.
constexpr std::int32_t FileRed = 0x0000ff;
constexpr std::int32_t FileBlue = 0xff0000;

// At 600 dpi a card pixel of a 96 PPI screen is 6.25 device pixels: card
// point 16 lands on device pixel 100, 32 on 200, 48 on 300.
QImage drawn(const CardDocument &doc, int dpi = 600)
{
    // The card and a little more.
    QImage page(QSize(dpi * 910 / 254 + 2, dpi * 550 / 254 + 2), QImage::Format_RGB32);
    page.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    page.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    page.fill(Qt::white);
    QPainter painter(&page);
    CardSheet::singleCard(doc, page, dpi, 0).draw(painter);
    return page;
}

CardShape rectangle(QRect card, int border, std::optional<std::int32_t> fill, int radius = 0,
                    StrokeStyle style = StrokeStyle::Solid)
{
    CardShape shape;
    shape.kind = ShapeKind::Rectangle;
    shape.x1 = card.left();
    shape.y1 = card.top();
    shape.x2 = card.left() + card.width();
    shape.y2 = card.top() + card.height();
    shape.widthTenths = border;
    shape.fill = fill;
    shape.radiusTenths = radius;
    shape.style = style;
    return shape;
}

const QByteArray SquareSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40' viewBox='0 0 40 40'>"
                             "<rect x='0' y='0' width='40' height='40' fill='#000'/></svg>";

using Pixels = QList<QPair<QPoint, QRgb>>;

// The sheet of doc printed to a PDF, read back page by page; false when it
// was not printed or has no page.
bool printedPdf(const CardDocument &doc, std::vector<PdfPage> &pages)
{
    QString error;
    const std::optional<QByteArray> pdf = SheetPrinter::pdf(doc, SheetJob{}, QStringLiteral("card.pdf"), &error);
    if (!pdf) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    pages = pdfPages(*pdf);
    return !pages.empty();
}

} // namespace

class TestShapes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pixelsAt600dpi_data()
    {
        QTest::addColumn<CardShape>("shape");
        QTest::addColumn<Pixels>("pixels");
        const auto black = [](int x, int y) { return qMakePair(QPoint(x, y), Black); };
        const auto white = [](int x, int y) { return qMakePair(QPoint(x, y), White); };
        const auto red = [](int x, int y) { return qMakePair(QPoint(x, y), Red); };
        const auto blue = [](int x, int y) { return qMakePair(QPoint(x, y), Blue); };

        // 0.1 mm is 2.36 pixels: two rows, the line's row and the one above;
        // the far end's pixel is left out, as a box's far edge is.
        QTest::newRow("hairline ends and rows")
            << lineShape(LineDirection::Horizontal, {16, 16}, {32, 16}, 1)
            << Pixels{black(100, 99), black(100, 100), white(100, 101), white(100, 98), black(199, 100),
                      white(200, 100), white(99, 100)};
        // 5 mm is 118 pixels: rows 100 − 59 to 100 + 58.
        QTest::newRow("widest line")
            << lineShape(LineDirection::Horizontal, {16, 16}, {32, 16}, 50)
            << Pixels{black(150, 41), white(150, 40), black(150, 158), white(150, 159)};
        QTest::newRow("ends drawn in either order")
            << lineShape(LineDirection::Horizontal, {32, 16}, {16, 16}, 3)
            << Pixels{black(100, 100), black(199, 100), white(200, 100), white(99, 100)};
        // 0.3 mm dashed: dashes of 1.5 mm (35 pixels), gaps of 1 mm (24).
        QTest::newRow("dashes")
            << lineShape(LineDirection::Horizontal, {16, 16}, {48, 16}, 3, StrokeStyle::Dashed)
            << Pixels{black(100, 100), black(134, 100), white(135, 100), white(158, 100), black(159, 100),
                      black(193, 100), white(194, 100)};
        // Dots as wide as the line (7 pixels), half a millimetre apart (12).
        QTest::newRow("dots")
            << lineShape(LineDirection::Horizontal, {16, 16}, {48, 16}, 3, StrokeStyle::Dotted)
            << Pixels{black(100, 100), black(106, 100), white(107, 100), white(118, 100), black(119, 100)};
        QTest::newRow("vertical line")
            << lineShape(LineDirection::Vertical, {16, 16}, {16, 32}, 2)
            << Pixels{black(98, 100), black(102, 199), white(103, 150), white(97, 150), white(100, 200),
                      white(100, 99)};
        QTest::newRow("vertical dashes")
            << lineShape(LineDirection::Vertical, {16, 16}, {16, 48}, 3, StrokeStyle::Dashed)
            << Pixels{black(100, 134), white(100, 135), black(100, 159)};
        // A free line is smoothed: the middle of its stroke is solid.
        QTest::newRow("free line")
            << lineShape(LineDirection::Free, {16, 16}, {48, 48}, 10)
            << Pixels{black(200, 200), black(150, 150), white(100, 200), white(200, 100)};

        CardShape filled = rectangle({16, 16, 32, 16}, 2, FileRed);
        filled.color = FileBlue;
        // 0.2 mm is 5 pixels, inside the rectangle; the fill under it.
        QTest::newRow("fill under border")
            << filled
            << Pixels{blue(100, 100), blue(104, 150), red(105, 150), blue(299, 199), white(300, 150),
                      white(150, 200), blue(150, 104), red(150, 105), blue(295, 150), red(294, 150),
                      white(99, 150)};
        QTest::newRow("fill without border")
            << rectangle({16, 16, 32, 16}, 0, FileRed) << Pixels{red(100, 100), red(299, 199), white(300, 199)};
        QTest::newRow("border without fill")
            << rectangle({16, 16, 32, 16}, 2, std::nullopt) << Pixels{black(100, 100), white(150, 150)};
        CardShape round = rectangle({16, 16, 32, 16}, 2, FileRed, 20);
        // A radius of 2 mm (47 pixels): the corner is cut, the sides are not.
        QTest::newRow("rounded corners")
            << round
            << Pixels{white(100, 100), white(104, 104), black(150, 100), black(100, 150), black(299, 150),
                      red(150, 150), white(299, 199)};
        QTest::newRow("dashed border")
            << rectangle({16, 16, 48, 32}, 3, std::nullopt, 0, StrokeStyle::Dashed)
            << Pixels{black(100, 100), black(134, 100), white(135, 100), black(159, 100), black(100, 134),
                      white(100, 160), white(200, 200)};
    }
    void pixelsAt600dpi()
    {
        QFETCH(CardShape, shape);
        QFETCH(Pixels, pixels);
        CardDocument doc;
        QCOMPARE(doc.addShape(shape), 0);
        const QImage page = drawn(doc);
        for (const auto &[at, colour] : pixels)
            QVERIFY2(page.pixel(at) == colour,
                     qPrintable(QStringLiteral("(%1, %2) is %3").arg(at.x()).arg(at.y()).arg(page.pixel(at), 8, 16)));
    }

    void orderOfDrawing()
    {
        // Background, then shapes in their order, then pictures on top.
        CardDocument doc;
        CardBackground background;
        background.color = FileBlue;
        doc.setBackground(background);
        doc.addShape(rectangle({16, 16, 32, 16}, 0, FileRed));
        doc.addShape(rectangle({32, 16, 32, 16}, 0, 0));
        const int slot = doc.AddImageBox();
        doc.setImageBounds(slot, {40, 20, 4, 4});
        QImage white(4, 4, QImage::Format_RGB32);
        white.fill(Qt::green);
        doc.setImagePicture(slot, white);
        QImage page = drawn(doc);
        QCOMPARE(page.pixel(5, 5), Blue);           // the background fills the card
        QCOMPARE(page.pixel(150, 150), Red);
        QCOMPARE(page.pixel(220, 150), Black);      // the later shape on the earlier
        QCOMPARE(page.pixel(255, 130), 0xff00ff00); // the picture on the shapes
        doc.lowerShape(1);
        page = drawn(doc);
        QCOMPARE(page.pixel(220, 150), Red);
        QCOMPARE(page.pixel(5, 5), Blue);
    }

    void backgroundPicture_data()
    {
        QTest::addColumn<int>("fit");
        QTest::addColumn<QRgb>("top");
        QTest::newRow("stretched: the whole picture") << int(BackgroundFit::Stretch) << Red;
        QTest::newRow("filled: its middle") << int(BackgroundFit::Fill) << Blue;
    }
    void backgroundPicture()
    {
        QFETCH(int, fit);
        QFETCH(QRgb, top);
        // A square picture, red on its top tenth: stretched, the card's top
        // edge is red; filled, the middle rows cover the wide card and it is not.
        QImage picture(100, 100, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 100; ++x)
                picture.setPixel(x, y, y < 10 ? Red : Blue);
        CardDocument doc;
        CardBackground background;
        background.picturePath = QStringLiteral("bg.png");
        background.picture = picture;
        background.fit = BackgroundFit(fit);
        doc.setBackground(background);
        const QImage page = drawn(doc);
        QCOMPARE(page.pixel(1070, 10), top);
        QCOMPARE(page.pixel(1070, 600), Blue);
    }

    void svgEdgesSharpAt1200dpi()
    {
        CardDocument doc;
        const int slot = doc.AddImageBox();
        // 32 card pixels are 400 device pixels at 1200 dpi, ten times the
        // drawing's own 40.
        doc.setImageBounds(slot, {16, 16, 32, 32});
        doc.setImagePicture(slot, SvgPicture::fromBytes(SquareSvg, QStringLiteral("logo.svg")));
        const QImage page = drawn(doc, 1200);
        int grey = 0;
        for (int x = 190; x < 610; ++x) {
            const int v = qGray(page.pixel(x, 400));
            grey += (v != 0 && v != 255) ? 1 : 0;
        }
        QVERIFY2(grey <= 2, qPrintable(QString::number(grey)));
        QCOMPARE(page.pixel(200, 400), Black);
        QCOMPARE(page.pixel(599, 400), Black);
        QCOMPARE(page.pixel(199, 400), White);
        QCOMPARE(page.pixel(600, 400), White);
    }

    void pdfHoldsVectorsNoImages()
    {
        CardDocument doc;
        doc.addShape(lineShape(LineDirection::Horizontal, {16, 60}, {300, 60}, 3));
        doc.addShape(rectangle({4, 4, 336, 200}, 5, std::nullopt, 30));
        doc.addShape(rectangle({0, 0, 344, 20}, 0, FileBlue));
        const int slot = doc.AddImageBox();
        doc.setImageBounds(slot, {16, 16, 32, 32});
        doc.setImagePicture(slot, SvgPicture::fromBytes(SquareSvg, QStringLiteral("logo.svg")));
        std::vector<PdfPage> pages;
        QVERIFY(printedPdf(doc, pages));
        for (const PdfPage &page : pages) {
            QCOMPARE(page.images, std::size_t(0));
            const QByteArray &content = page.content;
            // Curves of the rounded frame, and filled paths.
            QVERIFY(content.contains(" c\n") || content.contains(" c "));
            QVERIFY(content.contains("f\n") || content.contains("f*\n") || content.contains(" f"));
            // Eight cards: eight times the logo's square, a path each.
            QVERIFY(content.count(" re") + content.count(" l\n") >= 8);
        }
    }

    // A dotted rounded frame and a dashed slanted rule go into a PDF as their
    // paths with the PDF's own dash pattern: the outline of every dot made a
    // page of eight cards hundreds of kilobytes and slow to write.
    void pdfDashesArePatterns()
    {
        CardDocument doc;
        CardShape frame = rectangle({6, 32, 332, 170}, 5, std::nullopt, 30, StrokeStyle::Dotted);
        doc.addShape(frame);
        doc.addShape(lineShape(LineDirection::Free, {20, 120}, {324, 180}, 4, StrokeStyle::Dashed));
        std::vector<PdfPage> pages;
        QVERIFY(printedPdf(doc, pages));
        const QByteArray &content = pages.front().content;
        static const QRegularExpression dashPattern(QStringLiteral("\\[[0-9. ]+\\] *[0-9.]+ +d"));
        QVERIFY(dashPattern.match(QString::fromLatin1(content)).hasMatch());
        QVERIFY2(content.size() < 64 * 1024, qPrintable(QString::number(content.size())));
    }
};

QTEST_MAIN(TestShapes)
#include "test_shapes.moc"
