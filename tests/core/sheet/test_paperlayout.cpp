// Paper layouts: where the cells and the cut guides of each layout land at
// 300 and 600 dpi, calibration offsets, the fit on the paper, and a ten-up
// sheet drawn and read back.
#include "SheetImages.h"
#include "card/CardDocument.h"
#include "card/PaperLayout.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetPrinter.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PaperLayout)
Q_DECLARE_METATYPE(SheetOffset)

using SheetImages::pixelCount;

class TestPaperLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Exact lengths (tenths × dpi ÷ 254) rounded once, none near a half.
    void positions_data()
    {
        QTest::addColumn<PaperLayout>("paper");
        QTest::addColumn<SheetOffset>("offset");
        QTest::addColumn<QPoint>("margins");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QList<int>>("guideX");
        QTest::addColumn<QList<int>>("guideY");
        QTest::addColumn<QList<int>>("cellX");
        QTest::addColumn<QList<int>>("cellY");
        QTest::newRow("standard 600, offset -0.5, +1.2")
            << PaperLayout::standard() << SheetOffset{-5, 12} << QPoint() << 600 << QList<int>{-2, 2148, 4297}
            << QList<int>{38, 1338, 2637, 3936, 5235} << QList<int>{-2, 2148} << QList<int>{38, 1338, 2637, 3936};
        QTest::newRow("ten-up 300, offset +1.2, -0.5, margins 3, 2")
            << PaperLayout::tenUp() << SheetOffset{12, -5} << QPoint(3, 2) << 300 << QList<int>{215, 1290, 2365}
            << QList<int>{148, 797, 1447, 2096, 2746, 3396} << QList<int>{215, 1290}
            << QList<int>{148, 797, 1447, 2096, 2746};
        // With gaps, both edges of every card carry crosses.
        QTest::newRow("gaps 300") << PaperLayout::custom(2, 3, 100, 50, 1000, 600) << SheetOffset() << QPoint() << 300
                                  << QList<int>{118, 1193, 1299, 2374} << QList<int>{59, 709, 768, 1417, 1476, 2126}
                                  << QList<int>{118, 1299} << QList<int>{59, 768, 1476};
    }
    void positions()
    {
        QFETCH(PaperLayout, paper);
        QFETCH(SheetOffset, offset);
        QFETCH(QPoint, margins);
        QFETCH(int, dpi);
        QFETCH(QList<int>, guideX);
        QFETCH(QList<int>, guideY);
        QFETCH(QList<int>, cellX);
        QFETCH(QList<int>, cellY);
        const SheetLayout layout(dpi, dpi, 96, margins.x(), margins.y(), paper, offset);
        QList<int> xs, ys, cx, cy;
        for (int g = 0; g < layout.guideColumns(); ++g)
            xs << layout.crossCentre(g, 0).x();
        for (int h = 0; h < layout.guideRows(); ++h)
            ys << layout.crossCentre(0, h).y();
        for (int c = 0; c < layout.columns(); ++c)
            cx << layout.pageX(c, 0);
        for (int r = 0; r < layout.rows(); ++r)
            cy << layout.pageY(r, 0);
        QCOMPARE(xs, guideX);
        QCOMPARE(ys, guideY);
        QCOMPARE(cx, cellX);
        QCOMPARE(cy, cellY);
    }

    // 2 and 6 screen pixels are 12.5 and 37.5 at 600 dpi, rounded to even;
    // the offset joins the sum before the one rounding.
    void boxPoints_data()
    {
        QTest::addColumn<SheetOffset>("offset");
        QTest::addColumn<int>("px");
        QTest::addColumn<int>("x");
        const SheetOffset none;
        QTest::newRow("2 -> 12") << none << 2 << 12;
        QTest::newRow("6 -> 38") << none << 6 << 38;
        // +1.2 mm is 28.35 pixels: 12.5 + 28.35 = 40.85.
        QTest::newRow("2, +1.2 mm -> 41") << SheetOffset{12, 0} << 2 << 41;
    }
    void boxPoints()
    {
        QFETCH(SheetOffset, offset);
        QFETCH(int, px);
        QFETCH(int, x);
        const SheetLayout layout(600, 600, 96, 0, 0, PaperLayout::custom(1, 1, 0, 0, 910, 550), offset);
        QCOMPARE(layout.pageX(0, px), x);
        const SheetLayout turned(600, 600, 96, 0, 0, PaperLayout::custom(1, 1, 0, 0, 910, 550),
                                 SheetOffset{0, offset.x});
        QCOMPARE(turned.pageY(0, px), x);
    }

    void fit_data()
    {
        QTest::addColumn<PaperLayout>("paper");
        QTest::addColumn<QSizeF>("pageMm");
        QTest::addColumn<bool>("fits");
        const QSizeF a4(210, 297);
        QTest::newRow("to the very edge") << PaperLayout::custom(2, 5, 280, 220, 910, 550) << a4 << true;
        QTest::newRow("0.1 mm too wide") << PaperLayout::custom(2, 5, 281, 220, 910, 550) << a4 << false;
        QTest::newRow("overlapping cards") << PaperLayout::custom(2, 2, 0, 0, 909, 550) << a4 << false;
        QTest::newRow("no rows") << PaperLayout::custom(2, 0, 0, 0, 910, 550) << a4 << false;
    }
    void fit()
    {
        QFETCH(PaperLayout, paper);
        QFETCH(QSizeF, pageMm);
        QFETCH(bool, fits);
        QCOMPARE(paper.fitsOn(pageMm), fits);
    }

    // A picture in each of the ten cells of an A4 page at 300 dpi.
    void tenUpSheet()
    {
        QTemporaryDir dir;
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0, PaperLayout::tenUp()});
        const int slot = doc.AddImageBox();
        doc.setImageBounds(slot, {100, 100, 4, 4});   // from 312.5 printer pixels, 12 or 13 wide
        doc.setImagePicture(slot, SheetImages::solid(QSize(4, 4), qRgb(255, 0, 0)));

        const SheetJob job{1, 300, QPageSize(QPageSize::A4), {}};
        QString error;
        const QString path = dir.filePath(QStringLiteral("ten.png"));
        QVERIFY2(SheetPrinter::writePng(doc, job, path, &error), qPrintable(error));
        const QImage page = QImage(SheetPrinter::pngPageName(path, 1)).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), QSize(2480, 3508));
        const QRgb redPixel = qRgb(255, 0, 0);
        for (const int x : {165, 1240})
            for (const int y : {130, 780, 1429, 2079, 2728})
                QCOMPARE(page.pixel(x + 315, y + 315), redPixel);
        QVERIFY(pixelCount(page, redPixel) >= 10 * 12 * 12);
        QVERIFY(pixelCount(page, redPixel) <= 10 * 13 * 13);
    }
};

QTEST_GUILESS_MAIN(TestPaperLayout)
#include "test_paperlayout.moc"
