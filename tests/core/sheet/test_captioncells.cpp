// The white under a caption's character cells: a page looks the same whether
// the cells over untouched paper are filled or left out, and a PDF leaves
// out those that cover nothing.
#include "PdfContents.h"
#include "SheetImages.h"
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"
#include "sheet/FontMapping.h"
#include "view/CardView.h"

#include <QPainter>
#include <QTest>

#include <functional>

namespace {

using Setup = std::function<void(CardDocument &)>;

constexpr std::int32_t FileRed = 0x0000ff;

int addTextBox(CardDocument &doc, QPoint at, const QString &caption, int points = 10, FontStyles style = {})
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, {at.x(), at.y(), 120, 20});
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setHeight(-points * 96 / 72);
    font.setStyle(style);
    doc.setTextFont(slot, font);
    return slot;
}

CardShape horizontalRule(int y)
{
    CardShape rule;
    rule.direction = LineDirection::Horizontal;
    rule.x1 = 0;
    rule.x2 = 200;
    rule.y1 = rule.y2 = y;
    rule.widthTenths = 5;
    return rule;
}

// Every caption cell filled while drawing, as the program drew them before.
class EveryCellFilled
{
public:
    EveryCellFilled() { CardSheet::setEveryCaptionCellFilled(true); }
    ~EveryCellFilled() { CardSheet::setEveryCaptionCellFilled(false); }
    EveryCellFilled(const EveryCellFilled &) = delete;
    EveryCellFilled &operator=(const EveryCellFilled &) = delete;
};

// The standard sheet at 150 dpi (its cards touch, the guides' arms reach
// into them) on white, as the program draws it and with every cell filled.
std::pair<QImage, QImage> sheetBothWays(const CardDocument &doc)
{
    const QSize a4(1240, 1754);
    SheetImages::drawnSheet(doc, a4, 150);   // the glyphs' first drawing fills Qt's caches and differs a little
    const QImage drawn = SheetImages::drawnSheet(doc, a4, 150);
    const EveryCellFilled filled;
    return {drawn, SheetImages::drawnSheet(doc, a4, 150)};
}

// The print view: the card at 300 dpi on its white, a grey pasteboard around.
QImage printView(const CardDocument &doc)
{
    constexpr int dpi = 300;
    constexpr int margin = 60;
    const QSize card = CardView::cardSize(dpi);
    QImage view(card + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    view.fill(QColor(160, 160, 160));
    QPainter painter(&view);
    CardView().draw(painter, doc, dpi, margin);
    return view;
}

// The rectangles a PDF of the sheet fills white: the cells drawn white
// (each colour set is followed by its rectangles, then the fill).
int whiteCellsInPdf(const CardDocument &doc)
{
    const QByteArray pdf = drawnPdf([&](QPainter &painter, QPdfWriter &writer) { CardSheet(doc, writer).draw(painter); });
    const std::vector<PdfPage> pages = pdfPages(pdf);
    if (pages.size() != 1)
        return -1;
    const QByteArray &content = pages.front().content;
    int cells = 0;
    for (qsizetype at = content.indexOf("1 1 1 scn"); at >= 0; at = content.indexOf("1 1 1 scn", at + 1)) {
        const qsizetype fill = content.indexOf("\nf\n", at);
        cells += int(content.mid(at, fill < 0 ? -1 : fill + 1 - at).count(" re\n"));
    }
    return cells;
}

int cellsOf(const CardDocument &doc)
{
    const QImage device = SheetImages::drawnSheet(CardDocument(), QSize(1, 1), 600);
    const CardSheet sheet(doc, device);
    return sheet.layout().columns() * sheet.layout().rows();
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestCaptionCells : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    // A card and how many of its captions' cells a PDF fills white.
    void sameOnPaper_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("filledPerCard");

        QTest::newRow("captions apart") << Setup([](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 14);
            addTextBox(doc, {20, 60}, QStringLiteral("営業部 TEL 03-1234-5678"));
        }) << 0;
        QTest::newRow("a caption over a picture") << Setup([](CardDocument &doc) {
            const int slot = doc.AddImageBox();
            doc.setImageBounds(slot, {10, 10, 60, 30});
            doc.setImagePicture(slot, SheetImages::noise(QSize(60, 30), 3));
            addTextBox(doc, {30, 20}, QStringLiteral("株式会社"));
            addTextBox(doc, {30, 120}, QStringLiteral("東京都"));
        }) << 1;
        QTest::newRow("a caption over the one before") << Setup([](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 20);
            addTextBox(doc, {20, 40}, QStringLiteral("やまだ たろう"), 8);
        }) << 1;
        QTest::newRow("a bold caption over the one before") << Setup([](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 20, FontStyle::Bold);
            addTextBox(doc, {20, 44}, QStringLiteral("やまだ たろう"), 8);
        }) << 1;
        QTest::newRow("an underlined caption over the one before") << Setup([](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("Yamada Taro"), 12, FontStyle::Underline);
            addTextBox(doc, {20, 37}, QStringLiteral("yamada@example.jp"), 8);
        }) << 1;
        QTest::newRow("a caption over a rule") << Setup([](CardDocument &doc) {
            doc.addShape(horizontalRule(30));
            addTextBox(doc, {20, 22}, QStringLiteral("営業部"));
            addTextBox(doc, {20, 80}, QStringLiteral("企画課"));
        }) << 1;
        QTest::newRow("a caption over a QR code") << Setup([](CardDocument &doc) {
            const int qr = addTextBox(doc, {10, 10}, QStringLiteral("QR:https://example.com"));
            doc.setTextBounds(qr, {10, 10, 80, 80});
            addTextBox(doc, {40, 40}, QStringLiteral("山田 太郎"));
            addTextBox(doc, {120, 120}, QStringLiteral("営業部"));
        }) << 2;   // the code's own white, and the caption's over it
        QTest::newRow("captions on a coloured card") << Setup([](CardDocument &doc) {
            CardBackground background;
            background.color = FileRed;
            doc.setBackground(background);
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"));
            addTextBox(doc, {20, 80}, QStringLiteral("営業部"));
        }) << 2;
        QTest::newRow("captions at the corners, over the guides' arms") << Setup([](CardDocument &doc) {
            doc.setPrintSettings({1, 0, 0});
            addTextBox(doc, {0, 0}, QStringLiteral("左上"));
            addTextBox(doc, {100, 100}, QStringLiteral("中央"));
        }) << 1;
        QTest::newRow("a caption past the card's edge") << Setup([](CardDocument &doc) {
            addTextBox(doc, {-12, 20}, QStringLiteral("はみ出し"));
            addTextBox(doc, {20, -6}, QStringLiteral("上へ"));
            addTextBox(doc, {100, 100}, QStringLiteral("中央"));
        }) << 2;
        // Each card's white reaches into the card on its left, over the
        // end of that card's caption, drawn before it.
        QTest::newRow("a long caption from past the card's left edge") << Setup([](CardDocument &doc) {
            addTextBox(doc, {-40, 40}, QStringLiteral("株式会社山田商事 東京本社 営業本部 第一営業部"), 14);
        }) << 1;
        QTest::newRow("vertical captions side by side") << Setup([](CardDocument &doc) {
            TextSetting vertical;
            vertical.vertical = true;
            for (int n = 0; n < 3; ++n) {
                const int slot = addTextBox(doc, {100 + 16 * n, 20}, QStringLiteral("縦書きの見出し"), 12);
                doc.setTextSetting(slot, vertical);
            }
        }) << 2;
    }
    void sameOnPaper()
    {
        QFETCH(Setup, setup);
        QFETCH(int, filledPerCard);
        CardDocument doc;
        setup(doc);

        const auto [drawn, filled] = sheetBothWays(doc);
        QVERIFY(drawn == filled);
        printView(doc);   // the glyphs' first drawing fills Qt's caches and differs a little
        const QImage view = printView(doc);
        {
            const EveryCellFilled everyCell;
            QVERIFY(view == printView(doc));
        }
        QCOMPARE(whiteCellsInPdf(doc), filledPerCard * cellsOf(doc));
    }
};

QTEST_MAIN(TestCaptionCells)
#include "test_captioncells.moc"
