// The card sheet's arithmetic on the values a file may bring, the printer
// font height and the caption fit. Positions on the sheet are read off the
// drawn sheet in test_cardsheet.
#include "sheet/PagePixels.h"
#include "sheet/SheetLayout.h"

#include <QTest>

#include <limits>
#include <numeric>

class TestSheetLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Far positions saturate instead of wrapping to the other side of the page;
    // page sides in millimetres at the dpi round to the nearest pixel (not whole points).
    void arithmetic_data()
    {
        constexpr int IntMax = std::numeric_limits<int>::max();
        const auto pageX = [](int ppi, int margin, qint64 px) { return SheetLayout(600, 600, ppi, margin, margin).pageX(0, px); };
        const auto fontHeight = [](int ppi, int dpiY, int height) { return SheetLayout(600, dpiY, ppi, 0, 0).printerFontHeight(height); };
        QTest::addColumn<int>("actual");
        QTest::addColumn<int>("expected");
        QTest::newRow("A4 at 600 is 7016 high") << PagePixels::of(QPageSize(QPageSize::A4), 600).height() << 7016;
        QTest::newRow("JIS B5 at 100 is 717 wide") << PagePixels::of(QPageSize(QPageSize::JisB5), 100).width() << 717;
        QTest::newRow("x at a margin of 1e9 mm") << pageX(96, 1000000000, 20) << IntMax;
        QTest::newRow("x at a margin of -1e9 mm") << pageX(96, -1000000000, 20) << std::numeric_limits<int>::min() + 10;
        QTest::newRow("far edge beyond 32 bits") << pageX(96, 0, qint64(IntMax) + IntMax) << IntMax;
        QTest::newRow("screen density 0, at 0 (0 / 0)") << SheetLayout(600, 600, 0, 0, 0).pageY(0, 0) << 10;

        QTest::newRow("font -13 at 96 is 10 pt: -83 at 600") << fontHeight(96, 600, -13) << -83;
        QTest::newRow("font -16 at 120 is 10 pt") << fontHeight(120, 600, -16) << -83;
        // 10.5 pt rounds to 11, which would come back as -15.
        QTest::newRow("font at the same density keeps -14") << fontHeight(96, 96, -14) << -14;
    }
    void arithmetic()
    {
        QFETCH(int, actual);
        QFETCH(int, expected);
        QCOMPARE(actual, expected);
    }

    // widths: of the caption's prefixes by their length in UTF-16 units;
    // longer prefixes are as wide as the last one listed.
    void fitCaption_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QString>("printed");
        // At 600 dpi the card is 2149.606 pixels wide; Left 300 starts at 1875.
        QTest::newRow("274 fits, 275 does not") << 96 << 300 << QStringLiteral("abc") << QList<int>{100, 274, 275}
                                                << QStringLiteral("ab");
        // A surrogate pair is one character: no prefix ends between its halves.
        QTest::newRow("surrogate pair not split")
            << 96 << 300 << QStringLiteral("a\U0001F600b") << QList<int>{100, 274, 274, 300} << QStringLiteral("a\U0001F600");
        QList<int> onePixelEach(10000);
        std::iota(onePixelEach.begin(), onePixelEach.end(), 1);
        QTest::newRow("10000 characters, 274 fit") << 96 << 300 << QString(10000, QLatin1Char('x')) << onePixelEach
                                                   << QString(274, QLatin1Char('x'));
        // Left ÷ 0 is infinite: nothing fits, and the first character is printed.
        QTest::newRow("no screen density") << 0 << 20 << QStringLiteral("abc") << QList<int>{1, 2, 3} << QStringLiteral("a");
    }
    void fitCaption()
    {
        QFETCH(int, ppi);
        QFETCH(int, left);
        QFETCH(QString, caption);
        QFETCH(QList<int>, widths);
        QFETCH(QString, printed);
        QStringList measured;
        const auto width = [&](const QString &prefix) -> std::int64_t {
            measured << prefix;
            return widths.value(prefix.size() - 1, widths.last());
        };
        QCOMPARE(SheetLayout(600, 600, ppi, 0, 0).fitCaption(caption, left, width), printed);
        QVERIFY2(measured.size() <= 16, "the fit must halve, not measure every prefix");
        for (const QString &prefix : measured)
            QVERIFY2(!prefix.back().isHighSurrogate(), qPrintable(prefix));
    }
};

QTEST_GUILESS_MAIN(TestSheetLayout)
#include "test_sheetlayout.moc"
