// Two-sided sheets: every back stands behind its own front once the page is
// turned over, the pages come in the order a duplex printer takes them, and
// only the back pages get the back-side offset.
#include "CardFixture.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "sheet/PagePixels.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetPrinter.h"

#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

Q_DECLARE_METATYPE(PaperLayout)
Q_DECLARE_METATYPE(SheetTurn)

namespace {

constexpr QRgb Black = 0xff000000;
constexpr QRgb Red = 0xffff0000;

// A card with a black square at the top-left corner of its front and a red
// one at the top-left corner of its back.
void twoSidedCard(CardDocument &doc, const PaperLayout &layout = PaperLayout::standard())
{
    doc.setPrintSettings(PrintSettings(0, 0, 0, layout));
    int slot = doc.AddImageBox();
    doc.setImageBounds(slot, {0, 0, 20, 20});
    doc.setImagePicture(slot, SheetImages::solid({8, 8}, Black));
    doc.showSide(Side::Back);
    slot = doc.AddImageBox();
    doc.setImageBounds(slot, {0, 0, 20, 20});
    doc.setImagePicture(slot, SheetImages::solid({8, 8}, Red));
    doc.showSide(Side::Front);
}

} // namespace

class TestDuplex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // On the back, every cell's card covers the mirror image of its front's
    // extent across the paper's middle, in the direction the page turns;
    // within the card nothing is mirrored.
    void mirroredCells_data()
    {
        QTest::addColumn<PaperLayout>("paper");
        QTest::addColumn<int>("marginLeft");
        QTest::addColumn<int>("marginTop");
        QTest::addColumn<SheetTurn>("turn");
        QTest::addColumn<QSize>("page");     // pixels at 600 dpi
        QTest::addColumn<QPoint>("origin");  // the printable area's corner
        const QSize a4(4961, 7016);
        const PaperLayout uneven = PaperLayout::custom(2, 3, 123, 87, 937, 603);
        QTest::newRow("standard, margins, long") << PaperLayout::standard() << 7 << -3 << SheetTurn::LongEdge << a4 << QPoint(0, 0);
        QTest::newRow("standard, margins, short") << PaperLayout::standard() << 7 << 5 << SheetTurn::ShortEdge << a4 << QPoint(0, 0);
        QTest::newRow("standard on a printer, long") << PaperLayout::standard() << 3 << 2 << SheetTurn::LongEdge << a4 << QPoint(100, 118);
        QTest::newRow("ten-up, long") << PaperLayout::tenUp() << 0 << 0 << SheetTurn::LongEdge << a4 << QPoint(0, 0);
        QTest::newRow("ten-up, short") << PaperLayout::tenUp() << 0 << 0 << SheetTurn::ShortEdge << a4 << QPoint(0, 0);
        QTest::newRow("uneven grid, long") << uneven << 2 << 1 << SheetTurn::LongEdge << a4 << QPoint(0, 0);
        QTest::newRow("uneven grid, short") << uneven << 2 << 1 << SheetTurn::ShortEdge << a4 << QPoint(0, 0);
        QTest::newRow("uneven grid, landscape, long") << uneven << 0 << 0 << SheetTurn::LongEdge << a4.transposed() << QPoint(0, 0);
    }
    void mirroredCells()
    {
        QFETCH(PaperLayout, paper);
        QFETCH(int, marginLeft);
        QFETCH(int, marginTop);
        QFETCH(SheetTurn, turn);
        QFETCH(QSize, page);
        QFETCH(QPoint, origin);
        const SheetLayout front(600, 600, 96, marginLeft, marginTop, paper);
        const SheetLayout back = front.turnedOver({turn, page, origin, {}});
        // Long edge of a portrait page, or short edge of a landscape one: left and right swap.
        const bool acrossX = (turn == SheetTurn::LongEdge) == (page.height() >= page.width());
        const int spanX = page.width() - 2 * origin.x();
        const int spanY = page.height() - 2 * origin.y();
        for (int c = 0; c < front.columns(); ++c) {
            for (int r = 0; r < front.rows(); ++r) {
                const int left = front.pageX(c, 0), right = front.cardRightX(c);
                const int top = front.pageY(r, 0), bottom = front.cardBottomY(r);
                if (acrossX) {
                    // The card at x stands at page width − x − card width (on the paper).
                    QCOMPARE(origin.x() + back.pageX(c, 0), page.width() - (origin.x() + left) - (right - left));
                    QCOMPARE(back.cardRightX(c), spanX - left);
                    QCOMPARE(back.pageY(r, 0), top);
                } else {
                    QCOMPARE(back.pageY(r, 0), spanY - bottom);
                    QCOMPARE(back.cardBottomY(r), spanY - top);
                    QCOMPARE(back.pageX(c, 0), left);
                }
                // A box's point keeps its place in the card.
                QCOMPARE(back.pageX(c, 150) - back.pageX(c, 0), front.pageX(c, 150) - left);
                QCOMPARE(back.pageY(r, 40) - back.pageY(r, 0), front.pageY(r, 40) - top);
            }
        }
        // The cut guides of the back are the mirror images of the front's.
        for (int g = 0; g < front.guideColumns(); ++g) {
            for (int h = 0; h < front.guideRows(); ++h) {
                const QPoint f = front.crossCentre(g, h);
                const QPoint expected = acrossX ? QPoint(spanX - f.x(), f.y()) : QPoint(f.x(), spanY - f.y());
                QCOMPARE(back.crossCentre(g, h), expected);
            }
        }
    }

    // The back-side offset moves the back sheet only, by the offset.
    void backOffset()
    {
        const SheetLayout front(600, 600, 96, 0, 0, PaperLayout::tenUp(), {10, -20});
        const QSize page(4961, 7016);
        const SheetLayout plain = front.turnedOver({SheetTurn::LongEdge, page, {}, {}});
        const SheetLayout shifted = front.turnedOver({SheetTurn::LongEdge, page, {}, {12, 5}});
        // 1.2 mm and 0.5 mm at 600 dpi.
        QCOMPARE(shifted.pageX(1, 0) - plain.pageX(1, 0), 28);
        QCOMPARE(shifted.pageY(2, 0) - plain.pageY(2, 0), 12);
        // The sheet's own offset moves the back the same way as the front:
        // the printer shifts every page alike.
        const SheetLayout unshifted(600, 600, 96, 0, 0, PaperLayout::tenUp());
        QCOMPARE(plain.pageX(0, 0) - unshifted.turnedOver({SheetTurn::LongEdge, page, {}, {}}).pageX(0, 0),
                 front.pageX(0, 0) - unshifted.pageX(0, 0));
    }

    // PNG pages: front, back, front, back; on each back the red square stands
    // behind the black one of its own card.
    void pngPages_data()
    {
        QTest::addColumn<PaperLayout>("paper");
        QTest::addColumn<int>("mode");
        QTest::newRow("standard, long") << PaperLayout::standard() << int(DuplexMode::LongEdge);
        QTest::newRow("ten-up, short") << PaperLayout::tenUp() << int(DuplexMode::ShortEdge);
        QTest::newRow("back only") << PaperLayout::tenUp() << int(DuplexMode::BackOnly);
    }
    void pngPages()
    {
        QFETCH(PaperLayout, paper);
        QFETCH(int, mode);
        CardFixture card;
        twoSidedCard(card.doc, paper);
        SheetJob job;
        job.copies = 2;
        job.dpi = 100;
        job.sides = SheetSides::of(DuplexMode(mode));
        QString error;
        QVERIFY2(SheetPrinter::writePng(card.doc, job, card.path(QStringLiteral("sheet.png")), &error), qPrintable(error));
        QList<QImage> pages;
        for (int n = 1; n <= 2 * job.sides.pagesPerCopy() + 1; ++n)
            pages << QImage(SheetPrinter::pngPageName(card.path(QStringLiteral("sheet.png")), n));
        QVERIFY(pages.last().isNull());   // no page beyond the job's
        pages.removeLast();
        const QSize pixels = PagePixels::of(job.pageSize, job.dpi);
        const SheetLayout front(job.dpi, job.dpi, 96, 0, 0, paper);
        const SheetLayout back = front.turnedOver({job.sides.turn, pixels, {}, {}});
        const int pagesPerCopy = job.sides.pagesPerCopy();
        for (int n = 0; n < pages.size(); ++n) {
            const bool isBack = !job.sides.front || n % 2 == 1;
            const QImage &page = pages.at(n);
            QCOMPARE(page.size(), pixels);
            if (n >= pagesPerCopy)
                QCOMPARE(page, pages.at(n - pagesPerCopy));
            const SheetLayout &layout = isBack ? back : front;
            for (int c = 0; c < front.columns(); ++c) {
                for (int r = 0; r < front.rows(); ++r) {
                    const QPoint corner = layout.pagePoint(c, r, 10, 10);   // inside the square
                    QCOMPARE(page.pixel(corner), isBack ? Red : Black);
                }
            }
            QCOMPARE(SheetImages::pixelCount(page, isBack ? Black : Red), 0);
        }
    }

    // A duplex PDF: front, back, front, back; the copies share their page's
    // content.
    void pdfPageOrder()
    {
        CardFixture card;
        twoSidedCard(card.doc);
        SheetJob job;
        job.copies = 3;
        job.dpi = 150;
        job.sides = SheetSides::of(DuplexMode::LongEdge);
        QString error;
        const std::optional<QByteArray> pdf = SheetPrinter::pdf(card.doc, job, card.path(QStringLiteral("s.pdf")), &error);
        QVERIFY2(pdf, qPrintable(error));
        QPDF document;
        document.processMemoryFile("duplex", pdf->constData(), size_t(pdf->size()));
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
        QCOMPARE(pages.size(), size_t(6));
        const auto content = [&](size_t n) { return pages[n].getObjectHandle().getKey("/Contents").unparse(); };
        for (size_t n = 2; n < pages.size(); ++n)
            QCOMPARE(content(n), content(n % 2));
        QVERIFY(content(0) != content(1));
    }

    // What is printed of a card: fronts only for a card without a back, and
    // a job of backs only is refused for it.
    void sidesOfACard()
    {
        CardFixture card;
        card.doc.AddTextBox();
        QString problem;
        QCOMPARE(SheetPrinter::sidesFor(card.doc, SheetSides::of(DuplexMode::LongEdge), &problem), std::optional<SheetSides>(SheetSides()));
        QVERIFY(!SheetPrinter::sidesFor(card.doc, SheetSides::of(DuplexMode::BackOnly), &problem));
        QCOMPARE(problem, Msg::noBackToPrint());
        twoSidedCard(card.doc);
        QCOMPARE(SheetPrinter::sidesFor(card.doc, SheetSides::of(DuplexMode::BackOnly), &problem),
                 std::optional<SheetSides>(SheetSides::of(DuplexMode::BackOnly)));
    }
};

QTEST_MAIN(TestDuplex)
#include "test_duplex.moc"
