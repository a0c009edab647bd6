// Glyph runs drawn as batches: the same pixels as drawn one by one, and one
// text object in a PDF for runs that may share it.
#include "PdfContents.h"
#include "sheet/FontMapping.h"
#include "sheet/GlyphBatch.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextLayout>

#include <vector>

namespace {

struct Placed {
    QGlyphRun run;
    QPointF origin;
    QColor color;
};
using Runs = std::vector<Placed>;

QList<QGlyphRun> shaped(const QString &text, int pixels, bool underline = false)
{
    QFont font(QStringLiteral("IPAPMincho"));
    font.setPixelSize(pixels);
    font.setUnderline(underline);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

Runs runs(const QString &text, int pixels, const QList<QPointF> &origins, const QColor &color, bool underline = false)
{
    Runs placed;
    for (const QPointF &origin : origins)
        for (const QGlyphRun &run : shaped(text, pixels, underline))
            placed.push_back({run, origin, color});
    return placed;
}

void drawBatched(QPainter &painter, const Runs &placed)
{
    GlyphBatch batch(painter);
    for (const Placed &p : placed)
        batch.add(p.run, p.origin, p.color);
    batch.flush();
}

QImage drawn(const Runs &placed, bool batched)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (batched) {
        drawBatched(painter, placed);
    } else {
        for (const Placed &p : placed) {
            painter.setPen(p.color);
            painter.drawGlyphRun(p.origin, p.run);
        }
    }
    return image;
}

qsizetype textObjectsInPdf(const Runs &placed)
{
    const std::vector<PdfPage> pages = pdfPages(drawnPdf([&](QPainter &painter, QPdfWriter &) { drawBatched(painter, placed); }));
    return pages.size() == 1 ? pages.front().content.count("BT\n") : -1;
}

Runs operator+(Runs a, const Runs &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

Q_DECLARE_METATYPE(Runs)

class TestGlyphBatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void samePixels_data()
    {
        QTest::addColumn<Runs>("placed");
        QTest::addColumn<int>("textObjects");
        const QList<QPointF> cards{{10.5, 40}, {210, 40}, {10, 190.25}, {210, 190}};
        QTest::newRow("one caption in four cards") << runs(QStringLiteral("山田 太郎"), 30, cards, Qt::black) << 1;
        QTest::newRow("two sizes") << runs(QStringLiteral("山田"), 30, {{10, 40}}, Qt::black)
                                          + runs(QStringLiteral("営業部"), 14, {{10, 80}}, Qt::black)
                                          + runs(QStringLiteral("山田"), 30, {{210, 40}}, Qt::black)
                                   << 3;
        QTest::newRow("two colours") << runs(QStringLiteral("山田"), 30, {{10, 40}}, Qt::black)
                                            + runs(QStringLiteral("山田"), 30, {{210, 40}}, Qt::red)
                                     << 2;
        QTest::newRow("an underlined caption between") << runs(QStringLiteral("山田"), 30, {{10, 40}}, Qt::black)
                                                              + runs(QStringLiteral("下線"), 30, {{10, 120}}, Qt::black, true)
                                                              + runs(QStringLiteral("山田"), 30, {{210, 40}}, Qt::black)
                                                       << 3;
        QTest::newRow("nothing") << Runs() << 0;
    }
    void samePixels()
    {
        QFETCH(Runs, placed);
        QFETCH(int, textObjects);
        drawn(placed, false);   // the glyphs' first drawing fills Qt's caches and differs a little
        QVERIFY(drawn(placed, true) == drawn(placed, false));
        QCOMPARE(textObjectsInPdf(placed), textObjects);
    }
};

QTEST_MAIN(TestGlyphBatch)
#include "test_glyphbatch.moc"
