// The card sheet's arithmetic on the values a file may bring, the printer
// font height and the caption fit. Positions on the sheet are read off the
// drawn sheet in test_cardsheet.
#include "SheetLayout.h"

#include <QTest>

#include <limits>

namespace {
constexpr int IntMax = std::numeric_limits<int>::max();
constexpr int IntMin = std::numeric_limits<int>::min();

SheetLayout layout600(int marginLeft = 0, int marginTop = 0)
{
    return SheetLayout(600, 600, 96, marginLeft, marginTop);
}

// Widths of the prefixes of a caption, by their length in characters of the
// string; unlisted lengths are as wide as the longest listed one.
SheetLayout::TextWidth widthsByLength(QList<int> widths, QStringList *measured = nullptr)
{
    return [widths, measured](const QString &prefix) -> std::int64_t {
        if (measured)
            *measured << prefix;
        const int n = int(prefix.size());
        return widths.value(n - 1, widths.isEmpty() ? 0 : widths.last());
    };
}
} // namespace

class TestSheetLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Values a card file or a command line may bring: nothing overflows, far
    // positions saturate instead of wrapping to the other side of the page.
    void extremeValues_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("margin");
        QTest::addColumn<qint64>("px");
        QTest::addColumn<int>("pageX");
        QTest::newRow("margin 1e9 mm") << 600 << 96 << 1000000000 << qint64(20) << IntMax;
        QTest::newRow("margin -1e9 mm") << 600 << 96 << -1000000000 << qint64(20) << IntMin + 10;
        QTest::newRow("largest margin and density") << IntMax << 96 << IntMax << qint64(IntMax) << IntMax;
        QTest::newRow("far edge beyond 32 bits") << 600 << 96 << 0 << qint64(IntMax) + IntMax << IntMax;
        QTest::newRow("most negative everything") << IntMin << 1 << IntMin << qint64(IntMin) * 2 << IntMax;
        QTest::newRow("screen density 0, positive") << 600 << 0 << 0 << qint64(20) << IntMax;
        QTest::newRow("screen density 0, at 0 (0 / 0)") << 600 << 0 << 0 << qint64(0) << 10;
        QTest::newRow("negative screen density") << 600 << -96 << 0 << qint64(20) << -115;
    }
    void extremeValues()
    {
        QFETCH(int, dpi);
        QFETCH(int, ppi);
        QFETCH(int, margin);
        QFETCH(qint64, px);
        QFETCH(int, pageX);
        const SheetLayout layout(dpi, dpi, ppi, margin, margin);
        QCOMPARE(layout.pageX(0, px), pageX);
        QCOMPARE(layout.pageY(0, px), pageX);
    }

    void printerFontHeight_data()
    {
        QTest::addColumn<int>("screenPpi");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<int>("boxHeight");
        QTest::addColumn<int>("printerHeight");
        QTest::newRow("-13 at 96 is 10 pt: -83 at 600") << 96 << 600 << -13 << -83;
        QTest::newRow("same density: copied unchanged") << 96 << 96 << -13 << -13;
        // 10.5 pt rounds to 11, which would come back as -15.
        QTest::newRow("same density keeps -14") << 96 << 96 << -14 << -14;
        QTest::newRow("-16 at 120 is 10 pt") << 120 << 600 << -16 << -83;
        QTest::newRow("screen density 0") << 0 << 600 << -13 << -8;
    }
    void printerFontHeight()
    {
        QFETCH(int, screenPpi);
        QFETCH(int, dpiY);
        QFETCH(int, boxHeight);
        QFETCH(int, printerHeight);
        QCOMPARE(SheetLayout(600, dpiY, screenPpi, 0, 0).printerFontHeight(boxHeight), printerHeight);
    }

    void fitCaption_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QString>("printed");
        // At 600 dpi the card is 2149.606 pixels wide; Left 300 starts at 1875.
        QTest::newRow("274 fits, 275 does not") << 300 << QStringLiteral("abc") << QList<int>{100, 274, 275}
                                                << QStringLiteral("ab");
        QTest::newRow("whole caption fits") << 300 << QStringLiteral("abc") << QList<int>{100, 200, 274}
                                            << QStringLiteral("abc");
        QTest::newRow("nothing fits: first character") << 300 << QStringLiteral("abc") << QList<int>{275, 300, 400}
                                                       << QStringLiteral("a");
        QTest::newRow("empty caption") << 300 << QString() << QList<int>{} << QString();
        QTest::newRow("box at the card's left edge") << 0 << QStringLiteral("abc") << QList<int>{2149, 2150, 2151}
                                                     << QStringLiteral("a");
        QTest::newRow("double-byte text by characters")
            << 300 << QStringLiteral("営業部長") << QList<int>{83, 166, 249, 332} << QStringLiteral("営業部");
        // A surrogate pair is one character: no prefix ends between its halves.
        QTest::newRow("surrogate pair not split")
            << 300 << QStringLiteral("a\U0001F600b") << QList<int>{100, 274, 274, 300} << QStringLiteral("a\U0001F600");
        QTest::newRow("first character is a surrogate pair")
            << 300 << QStringLiteral("\U0001F600b") << QList<int>{900, 900, 900} << QStringLiteral("\U0001F600");
        QTest::newRow("box beyond the card") << 500 << QStringLiteral("abc") << QList<int>{1, 2, 3}
                                             << QStringLiteral("a");
        QTest::newRow("box left of the card") << -100 << QStringLiteral("abc") << QList<int>{2500, 2700, 2900}
                                              << QStringLiteral("ab");
    }
    void fitCaption()
    {
        QFETCH(int, left);
        QFETCH(QString, caption);
        QFETCH(QList<int>, widths);
        QFETCH(QString, printed);
        QStringList measured;
        QCOMPARE(layout600().fitCaption(caption, left, widthsByLength(widths, &measured)), printed);
        for (const QString &prefix : measured)
            QVERIFY2(!prefix.back().isHighSurrogate(), qPrintable(prefix));
    }

    void longCaptionCutQuickly()
    {
        // Ten thousand characters one pixel each, from 1875: 274 of them fit.
        QStringList measured;
        const auto onePixelEach = [&](const QString &prefix) -> std::int64_t {
            measured << prefix;
            return prefix.size();
        };
        QCOMPARE(layout600().fitCaption(QString(10000, QLatin1Char('x')), 300, onePixelEach).size(), 274);
        QVERIFY2(measured.size() <= 16, qPrintable(QString::number(measured.size())));
    }

    void fitCaptionWithoutScreenDensity()
    {
        // Left ÷ 0 is infinite (or undefined at 0): no prefix fits, the first is printed.
        const SheetLayout layout(600, 600, 0, 0, 0);
        QCOMPARE(layout.fitCaption(QStringLiteral("abc"), 20, widthsByLength({1, 2, 3})), QStringLiteral("a"));
        QCOMPARE(layout.fitCaption(QStringLiteral("abc"), 0, widthsByLength({1, 2, 3})), QStringLiteral("a"));
        QCOMPARE(layout.fitCaption(QStringLiteral("abc"), -20, widthsByLength({1, 2, 3})), QStringLiteral("abc"));
    }
};

QTEST_GUILESS_MAIN(TestSheetLayout)
#include "test_sheetlayout.moc"
