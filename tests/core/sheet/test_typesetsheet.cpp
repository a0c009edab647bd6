// Boxes with a text setting on the printed card: where their ink lands at
// 600 dpi, the card's edges that no line passes, and text kept as text in PDF.
#include "SheetImages.h"
#include "TestFiles.h"
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"
#include "sheet/FontMapping.h"
#include "sheet/SheetPrinter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Dpi = 600;
constexpr int Origin = 100;
// The card at 600 dpi: 91 × 55 mm.
const QRect CardOnPage(Origin, Origin, 2150, 1299);

QRect pageRect(const BoxBounds &b)
{
    const auto at = [](std::int64_t px) { return int(Origin + px * Dpi / 96); };
    return QRect(QPoint(at(b.Left), at(b.Top)), QPoint(at(std::int64_t(b.Left) + b.Width) - 1, at(std::int64_t(b.Top) + b.Height) - 1));
}

int addBox(CardDocument &doc, const BoxBounds &bounds, const QString &caption, const TextSetting &setting,
           std::int32_t fontHeight = -28)
{
    const int slot = doc.AddTextBox();
    doc.setTextSetting(slot, setting);
    doc.setTextBounds(slot, bounds);
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setName(QStringLiteral("ＭＳ 明朝"));
    font.setHeight(fontHeight);
    doc.setTextFont(slot, font);
    return slot;
}

// The one card printed on a page larger than it, the card's corner at Origin.
QImage printedCard(const CardDocument &doc)
{
    QImage image(CardOnPage.right() + Origin + 400, CardOnPage.bottom() + Origin + 600, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(0xff808080);
    QPainter painter(&image);
    CardSheet::singleCard(doc, image, Dpi, Origin).draw(painter);
    return image;
}

// The area of dark pixels.
QRect inked(const QImage &image, const QRect &within = QRect())
{
    QRect found;
    const QRect r = within.isNull() ? image.rect() : within.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 64)
                found = found.united(QRect(x, y, 1, 1));
    return found;
}

TextSetting make(TextAlign align, bool vertical, int scaleX = 100)
{
    TextSetting setting;
    setting.align = align;
    setting.vertical = vertical;
    setting.scaleX = scaleX;
    return setting;
}

} // namespace

Q_DECLARE_METATYPE(TextSetting)
Q_DECLARE_METATYPE(BoxBounds)

class TestTypesetSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    // A box's ink stays in the box, and a line that would pass the card's
    // edge is cut at the last whole character before it.
    void inkOnTheCard_data()
    {
        QTest::addColumn<BoxBounds>("bounds");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<TextSetting>("setting");
        QTest::addColumn<bool>("fitsBox");
        QTest::newRow("vertical, top right of the box") << BoxBounds{300, 20, 30, 180} << QStringLiteral("山田太郎")
                                                        << make(TextAlign::Left, true) << true;
        QTest::newRow("vertical justified") << BoxBounds{200, 10, 30, 190} << QStringLiteral("山田太郎")
                                            << make(TextAlign::Justify, true) << true;
        QTest::newRow("horizontal centred 長体") << BoxBounds{20, 20, 250, 30} << QStringLiteral("株式会社サンプル")
                                                 << make(TextAlign::Center, false, 60) << true;
        QTest::newRow("vertical past the bottom edge") << BoxBounds{300, 120, 30, 300}
                                                       << QStringLiteral("東京都港区芝公園四丁目二番八号") << make(TextAlign::Left, true)
                                                       << false;
        QTest::newRow("right-aligned past the right edge") << BoxBounds{250, 20, 200, 30} << QStringLiteral("山田太郎")
                                                           << make(TextAlign::Right, false) << false;
        QTest::newRow("justified past the right edge") << BoxBounds{250, 60, 200, 30} << QStringLiteral("山田太郎")
                                                       << make(TextAlign::Justify, false) << false;
        QTest::newRow("vertical justified past the bottom edge") << BoxBounds{10, 100, 30, 300} << QStringLiteral("山田太郎")
                                                                 << make(TextAlign::Justify, true) << false;
    }
    void inkOnTheCard()
    {
        QFETCH(BoxBounds, bounds);
        QFETCH(QString, caption);
        QFETCH(TextSetting, setting);
        QFETCH(bool, fitsBox);
        CardDocument doc;
        addBox(doc, bounds, caption, setting);
        const QImage image = printedCard(doc);
        const QRect ink = inked(image);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(CardOnPage.contains(ink), qPrintable(QStringLiteral("ink at %1,%2 %3×%4")
                                                          .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        if (fitsBox)
            QVERIFY(pageRect(bounds).contains(ink));
        // A vertical line is a column: taller than wide.
        if (setting.vertical)
            QVERIFY(ink.height() > 2 * ink.width());
    }

    // A cut vertical line still holds what fits of it.
    void verticalCutKeepsWhatFits()
    {
        CardDocument doc;
        addBox(doc, {300, 100, 30, 400}, QStringLiteral("国国国国国国国国国国"), make(TextAlign::Left, true));
        const QImage image = printedCard(doc);
        const QRect ink = inked(image);
        // 108 screen pixels to the card's bottom: three characters of 28, inked over more than two and a half.
        QVERIFY(ink.bottom() <= CardOnPage.bottom());
        QVERIFY(ink.height() > 5 * 28 * Dpi / 96 / 2);
    }

    // Text set with a setting is still text in a PDF.
    void pdfKeepsText()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        CardDocument doc;
        addBox(doc, {20, 20, 250, 30}, QStringLiteral("株式会社サンプル"), make(TextAlign::Center, false, 80));
        addBox(doc, {20, 80, 250, 30}, QStringLiteral("営業部"), make(TextAlign::Right, false));
        const QString path = dir.filePath(QStringLiteral("card.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(doc, {1, Dpi, QPageSize(QPageSize::A4), {}}, path, &error), qPrintable(error));
        QProcess reader;
        reader.start(pdftotext, {QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(60000));
        const QString text = QString::fromUtf8(reader.readAllStandardOutput()).remove(QLatin1Char(' '));
        QVERIFY2(text.contains(QStringLiteral("株式会社サンプル")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("営業部")), qPrintable(text));
    }
};

QTEST_MAIN(TestTypesetSheet)
#include "test_typesetsheet.moc"
