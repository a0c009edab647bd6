// The print view: the card drawn as the sheet prints one card, pixel for
// pixel, and the zoom's mapping between card and screen pixels.
#include "SheetImages.h"
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"
#include "sheet/FontMapping.h"
#include "view/CardView.h"
#include "view/ViewScale.h"

#include <QPainter>
#include <QTest>

namespace {
int addText(CardDocument &doc, const QString &caption, const BoxBounds &bounds, const QString &face, int height,
            FontStyles style = {}, std::int32_t color = 0)
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, bounds);
    doc.setTextCaption(slot, caption);
    doc.setTextFont(slot, BoxFont(face, height, color, style));
    return slot;
}

// A card with a caption in each style and face, a caption longer than the
// card, a picture, a QR code and a picture past the card's right edge.
void fillCard(CardDocument &doc)
{
    const QString mincho = QStringLiteral("ＭＳ Ｐ明朝"), gothic = QStringLiteral("ＭＳ Ｐゴシック");
    addText(doc, QStringLiteral("株式会社サンプル"), {10, 6, 160, 20}, gothic, -16, FontStyle::Bold, 0x800000);
    addText(doc, QStringLiteral("名刺 太郎"), {10, 40, 160, 36}, mincho, -30, FontStyle::Bold);
    addText(doc, QStringLiteral("Taro Meishi"), {10, 80, 160, 16}, gothic, -12, FontStyle::Italic, 0x808080);
    addText(doc, QStringLiteral("TEL 03-1234-5678"), {10, 100, 200, 14}, gothic, -11, FontStyle::Underline, 0xff);
    addText(doc, QStringLiteral("取り消し"), {10, 116, 100, 14}, mincho, -11, FontStyle::StrikeOut);
    addText(doc, QStringLiteral("〒100-0001 東京都千代田区丸の内1-2-3 サンプルビル 12階"), {180, 140, 160, 14}, mincho, -13);
    addText(doc, QStringLiteral("QR:https://example.jp/"), {260, 10, 60, 60}, gothic, -10);
    const int logo = doc.AddImageBox();
    doc.setImageBounds(logo, {200, 80, 40, 30});
    doc.setImagePicture(logo, SheetImages::noise(QSize(64, 48), 7));
    const int past = doc.AddImageBox();
    doc.setImageBounds(past, {310, 170, 80, 30});
    doc.setImagePicture(past, SheetImages::noise(QSize(80, 30), 9));
}

QImage drawnView(const CardDocument &doc, QSize size, int dpi, int origin)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(0xffffffff);
    QPainter painter(&image);
    CardView view;
    view.draw(painter, doc, dpi, origin);
    return image;
}

// The ink of an image: how far its pixels are from white, summed.
qint64 ink(const QImage &image)
{
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += 255 - qGray(image.pixel(x, y));
    return sum;
}
}

class TestCardView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    // Inside the card the print view has the sheet's pixels: the first cell
    // of the standard sheet at the same density, which stands 10 pixels from
    // the corner.
    void viewIsTheSheetsCard_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("dpi");
        QTest::newRow("96 ppi, 100 %") << 96 << 96;
        QTest::newRow("120 ppi, 100 %") << 120 << 120;
        QTest::newRow("96 ppi, 300 %") << 96 << 288;
    }
    void viewIsTheSheetsCard()
    {
        QFETCH(int, ppi);
        QFETCH(int, dpi);
        CardDocument doc;
        doc.setScreenPpi(ppi);
        doc.setPrintSettings(PrintSettings(0, 0, 0));
        fillCard(doc);
        const QSize card = CardView::cardSize(dpi);
        const QRect cell(QPoint(SheetLayout::StandardSheetOffset, SheetLayout::StandardSheetOffset), card);
        const QImage sheet = SheetImages::drawnSheet(doc, QSize(3 * card.width(), 2 * card.height()), dpi);
        const QImage view = drawnView(doc, sheet.size(), dpi, SheetLayout::StandardSheetOffset);
        QCOMPARE(view.copy(cell), sheet.copy(cell));
        // What crosses the right edge is drawn beyond it, as the sheet does.
        const QRect beyond(cell.right() + 1, cell.top(), 8, cell.height());
        QCOMPARE(view.copy(beyond), sheet.copy(beyond));
    }

    // A bold box in a face without a bold style prints emboldened at every
    // size, as the screen shows it; a caption of the same face and size
    // without bold draws clearly less ink.
    void boldWithoutBoldFaceIsEmboldened_data()
    {
        QTest::addColumn<int>("height");
        QTest::newRow("small") << -14;
        QTest::newRow("large, drawn as outlines") << -90;
    }
    void boldWithoutBoldFaceIsEmboldened()
    {
        QFETCH(int, height);
        qint64 drawn[2] = {};
        for (const bool bold : {false, true}) {
            CardDocument doc;
            doc.setScreenPpi(96);
            addText(doc, QStringLiteral("名刺太郎"), {0, 0, 340, -height + 10}, QStringLiteral("ＭＳ Ｐ明朝"), height,
                    bold ? FontStyles(FontStyle::Bold) : FontStyles());
            drawn[bold] = ink(drawnView(doc, CardView::cardSize(96), 96, 0));
        }
        QVERIFY2(drawn[1] > drawn[0] * 11 / 10, qPrintable(QStringLiteral("%1 %2").arg(drawn[0]).arg(drawn[1])));
    }

    void scaleMapsCardPixels_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("screen");
        QTest::newRow("100 %") << 100 << 37 << 37;
        QTest::newRow("150 %, ties to even") << 150 << 3 << 4;
        QTest::newRow("150 %, up") << 150 << 5 << 8;
        QTest::newRow("150 %, negative") << 150 << -3 << -4;
        QTest::newRow("300 %") << 300 << 344 << 1032;
        QTest::newRow("400 %, far corner") << 400 << 2147483647 << 0;   // screen: only that it does not overflow
    }
    void scaleMapsCardPixels()
    {
        QFETCH(int, percent);
        QFETCH(int, card);
        QFETCH(int, screen);
        const ViewScale scale(percent);
        if (screen != 0)
            QCOMPARE(scale.toScreen(card), std::int64_t(screen));
        QCOMPARE(scale.toCard(scale.toScreen(card)), std::int64_t(card));
    }

    // At every zoom a card pixel survives the way to the screen and back, a
    // dragged box keeps its card size when moved and its card position when
    // resized, and every size stays at least one pixel.
    void dragsComeBackAsCardPixels()
    {
        for (const int percent : ViewScale::Steps) {
            const ViewScale scale(percent, QPoint(19, 19));
            for (int v = -40; v <= 400; ++v)
                QCOMPARE(scale.toCard(scale.toScreen(v)), std::int64_t(v));
            const BoxBounds box{20, 30, 101, 17};
            const QRect shown = scale.toScreen(box);
            const BoxBounds moved = scale.moved(box, shown.translated(percent / 50, -percent / 100));
            QCOMPARE(moved.Width, box.Width);
            QCOMPARE(moved.Height, box.Height);
            const BoxBounds resized = scale.resized(box, QRect(shown.topLeft(), QSize(shown.width() + percent / 25, 1)));
            QCOMPARE(resized.Left, box.Left);
            QCOMPARE(resized.Top, box.Top);
            QCOMPARE(resized.Width, box.Width + 4);
            QCOMPARE(resized.Height, 1);
        }
        QCOMPARE(ViewScale(300, QPoint(10, 10)).toCard(QPoint(10 + 301, 10 - 4)), QPoint(100, -1));
    }

    void zoomSteps()
    {
        QList<int> up{100};
        while (up.size() < 7)
            up << ViewScale::zoomedIn(up.last());
        QCOMPARE(up, (QList<int>{100, 150, 200, 300, 400, 400, 400}));
        QCOMPARE(ViewScale::zoomedOut(400), 300);
        QCOMPARE(ViewScale::zoomedOut(100), 100);
        QCOMPARE(ViewScale(250).percent(), 200);
        QCOMPARE(ViewScale(10).percent(), 100);
    }
};

QTEST_MAIN(TestCardView)
#include "test_cardview.moc"
