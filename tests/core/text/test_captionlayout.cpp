// Captions laid out with a text setting: where the shaped glyphs land, read
// from their ink and their em cells in the box.
#include "PdfContents.h"
#include "card/TextSetting.h"
#include "sheet/FaceFallback.h"
#include "sheet/FontMapping.h"
#include "text/CaptionLayout.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>

#include <functional>

namespace {

constexpr int Em = 40;

QFont face(const QString &family = QStringLiteral("IPAMincho"))
{
    QFont font(family);
    font.setPixelSize(Em);
    font.setKerning(false);
    return font;
}

TextSetting verticalSetting(int tcy = TextSetting::DefaultTcy)
{
    TextSetting setting;
    setting.vertical = true;
    setting.tcy = tcy;
    return setting;
}

TextSetting aligned(TextAlign align)
{
    TextSetting setting;
    setting.align = align;
    return setting;
}

// What a case checks of its layout; a description of the fault, or empty.
using Check = std::function<QString(const CaptionLayout &)>;

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2 %3×%4)").arg(r.x(), 0, 'f', 1).arg(r.y(), 0, 'f', 1).arg(r.width(), 0, 'f', 1).arg(
        r.height(), 0, 'f', 1);
}

} // namespace

Q_DECLARE_METATYPE(TextSetting)
Q_DECLARE_METATYPE(Check)

class TestCaptionLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void shapedPositions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextSetting>("setting");
        QTest::addColumn<QSizeF>("box");
        QTest::addColumn<Check>("check");

        const QSizeF column(Em + 2, 400);
        QTest::newRow("vertical 。 in the upper right of its em")
            << QStringLiteral("あ。") << verticalSetting() << column << Check([](const CaptionLayout &laid) {
                   const QRectF em = laid.emOf(1);
                   const QRectF ink = laid.inkOf(1);
                   if (ink.isEmpty() || ink.center().x() <= em.center().x() || ink.center().y() >= em.center().y())
                       return QStringLiteral("。 ink %1 in em %2").arg(describe(ink), describe(em));
                   return QString();
               });
        QTest::newRow("vertical line runs down from the top right")
            << QStringLiteral("あい") << verticalSetting() << QSizeF(100, 400) << Check([](const CaptionLayout &laid) {
                   const QRectF first = laid.inkOf(0);
                   const QRectF second = laid.inkOf(1);
                   if (first.right() > 100 || first.left() < 100 - Em - 1 || second.top() < first.bottom()
                       || laid.emOf(0).top() != 0)
                       return QStringLiteral("あ %1, い %2").arg(describe(first), describe(second));
                   return QString();
               });
        QTest::newRow("vertical ー stands upright")
            << QStringLiteral("ラーメン") << verticalSetting() << column << Check([](const CaptionLayout &laid) {
                   const QRectF ink = laid.inkOf(1);
                   if (!(ink.height() > ink.width()))
                       return QStringLiteral("ー ink %1").arg(describe(ink));
                   return QString();
               });
        QTest::newRow("vertical Latin is turned")
            << QStringLiteral("ABC") << verticalSetting() << column << Check([](const CaptionLayout &laid) {
                   const QRectF a = laid.inkOf(0);
                   const QRectF b = laid.inkOf(1);
                   const QRectF all = laid.inkOf(0, 3);
                   // Turned clockwise: B below A, the word taller than wide.
                   if (!(all.height() > 1.5 * all.width()) || !(b.top() >= a.center().y()))
                       return QStringLiteral("ABC ink %1, A %2, B %3").arg(describe(all), describe(a), describe(b));
                   return QString();
               });
        QTest::newRow("縦中横: 10 side by side in one em")
            << QStringLiteral("令和10年") << verticalSetting(2) << column << Check([](const CaptionLayout &laid) {
                   // The pair is one character: its ink as wide as an em
                   // nearly, inside the em, and 年 in the next em.
                   const QRectF pair = laid.inkOf(2, 2);
                   const QRectF em = laid.emOf(2);
                   const QRectF year = laid.emOf(4);
                   if (laid.emOf(3) != em || pair.width() < 0.75 * Em || std::abs(em.height() - Em) > 0.5
                       || std::abs(year.top() - em.bottom()) > 0.5 || !em.adjusted(-1, -1, 1, 1).contains(pair))
                       return QStringLiteral("10 %1 in em %2, 年 in %3").arg(describe(pair), describe(em), describe(year));
                   return QString();
               });
        QTest::newRow("縦中横 off: digits turned, one below the other")
            << QStringLiteral("令和10年") << verticalSetting(0) << column << Check([](const CaptionLayout &laid) {
                   const QRectF one = laid.inkOf(2);
                   const QRectF zero = laid.inkOf(3);
                   if (!(zero.top() >= one.bottom() - 1))
                       return QStringLiteral("1 %1, 0 %2").arg(describe(one), describe(zero));
                   return QString();
               });
        QTest::newRow("縦中横 2: three digits are turned")
            << QStringLiteral("第100回") << verticalSetting(2) << column << Check([](const CaptionLayout &laid) {
                   const QRectF one = laid.inkOf(1);
                   const QRectF zero = laid.inkOf(2);
                   if (!(zero.top() >= one.bottom() - 1))
                       return QStringLiteral("1 %1, 0 %2").arg(describe(one), describe(zero));
                   return QString();
               });

        QTest::newRow("均等割付 over 200 pixels, even gaps")
            << QStringLiteral("山田太郎") << aligned(TextAlign::Justify) << QSizeF(200, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   QList<QRectF> ems;
                   for (int n = 0; n < 4; ++n)
                       ems << laid.emOf(n);
                   const QRectF ink = laid.inkOf(0, 4);
                   // Within the glyphs' side bearings of the edges.
                   if (ink.left() < 0 || ink.left() > 6 || ink.right() > 200 || ink.right() < 194)
                       return QStringLiteral("ink %1").arg(describe(ink));
                   for (int n = 1; n < 3; ++n) {
                       const qreal gap = ems[n + 1].left() - ems[n].right();
                       const qreal first = ems[1].left() - ems[0].right();
                       if (std::abs(gap - first) > 0.01 || std::abs(first - 40.0 / 3) > 0.01)
                           return QStringLiteral("gaps %1 and %2").arg(first).arg(gap);
                   }
                   return QString();
               });
        QTest::newRow("均等割付 keeps a Latin word together")
            << QStringLiteral("ABC山田") << aligned(TextAlign::Justify) << QSizeF(400, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   const qreal inWord = laid.emOf(1).left() - laid.emOf(0).right();
                   const qreal between = laid.emOf(4).left() - laid.emOf(3).right();
                   if (std::abs(inWord) > 0.01 || between < 20 || laid.emOf(4).right() < 399)
                       return QStringLiteral("in the word %1, between %2").arg(inWord).arg(between);
                   return QString();
               });
        QTest::newRow("均等割付 of one character stays at the start")
            << QStringLiteral("山") << aligned(TextAlign::Justify) << QSizeF(200, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   return laid.emOf(0).left() == 0 ? QString() : QStringLiteral("at %1").arg(laid.emOf(0).left());
               });
        QTest::newRow("centred")
            << QStringLiteral("山田") << aligned(TextAlign::Center) << QSizeF(200, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   const QRectF cells = laid.emOf(0).united(laid.emOf(1));
                   return std::abs(cells.center().x() - 100) < 0.01 ? QString() : describe(cells);
               });
        QTest::newRow("right-aligned")
            << QStringLiteral("山田") << aligned(TextAlign::Right) << QSizeF(200, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   return std::abs(laid.emOf(1).right() - 200) < 0.01 && std::abs(laid.lineEnd() - 200) < 0.01
                              ? QString()
                              : describe(laid.emOf(1));
               });
        QTest::newRow("vertical 均等割付 down the box")
            << QStringLiteral("山田") << [] {
                   TextSetting s = verticalSetting();
                   s.align = TextAlign::Justify;
                   return s;
               }() << QSizeF(Em + 2, 300)
            << Check([](const CaptionLayout &laid) {
                   return std::abs(laid.emOf(1).bottom() - 300) < 0.01 && laid.emOf(0).top() == 0
                              ? QString()
                              : describe(laid.emOf(1));
               });
        QTest::newRow("字間 1000 adds an em between characters")
            << QStringLiteral("山田") << [] {
                   TextSetting s;
                   s.spacing = 1000;
                   return s;
               }() << QSizeF(400, Em + 2)
            << Check([](const CaptionLayout &laid) {
                   const qreal gap = laid.emOf(1).left() - laid.emOf(0).right();
                   return std::abs(gap - Em) < 0.01 && std::abs(laid.lineEnd() - 3 * Em) < 0.01
                              ? QString()
                              : QStringLiteral("gap %1, end %2").arg(gap).arg(laid.lineEnd());
               });
    }
    void shapedPositions()
    {
        QFETCH(QString, text);
        QFETCH(TextSetting, setting);
        QFETCH(QSizeF, box);
        QFETCH(Check, check);
        const CaptionLayout laid = CaptionLayout::lay(text, face(), setting, box);
        QVERIFY(!laid.isEmpty());
        const QString fault = check(laid);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // 長体 and 平体 scale the ink, in either direction of writing.
    void charScale_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("scaleX");
        QTest::addColumn<int>("scaleY");
        QTest::newRow("長体 50") << false << 50 << 100;
        QTest::newRow("平体 50") << false << 100 << 50;
        QTest::newRow("wide 200") << false << 200 << 100;
        QTest::newRow("vertical 長体 50") << true << 50 << 100;
        QTest::newRow("vertical 平体 70") << true << 100 << 70;
    }
    void charScale()
    {
        QFETCH(bool, vertical);
        QFETCH(int, scaleX);
        QFETCH(int, scaleY);
        TextSetting plain;
        plain.vertical = vertical;
        TextSetting scaled = plain;
        scaled.scaleX = scaleX;
        scaled.scaleY = scaleY;
        const QString text = QStringLiteral("国際");
        const QSizeF box(400, 400);
        const QRectF before = CaptionLayout::lay(text, face(), plain, box).inkOf(0);
        const QRectF after = CaptionLayout::lay(text, face(), scaled, box).inkOf(0);
        QVERIFY(!before.isEmpty());
        QVERIFY2(std::abs(after.width() - before.width() * scaleX / 100) < 1, qPrintable(describe(after)));
        QVERIFY2(std::abs(after.height() - before.height() * scaleY / 100) < 1, qPrintable(describe(after)));
        // A vertical line keeps standing at the box's right edge.
        if (vertical)
            QVERIFY(after.right() <= box.width() && after.right() > box.width() - Em * scaleX / 100);
    }

    // A character the box's face lacks comes from the face its fallback
    // chain gives it, in either direction of writing.
    void missingGlyphsFromTheChain_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("horizontal") << false;
        QTest::newRow("vertical") << true;
    }
    void missingGlyphsFromTheChain()
    {
        QFETCH(bool, vertical);
        const QFont font = FontMapping::toQFont(BoxFont(QStringLiteral("ＭＳ 明朝"), -Em));
        const char32_t yoshi = U'\U00020BB7';   // 𠮷: not in the IPA faces
        const QRawFont chained = FaceFallback::rawFontFor(font, yoshi);
        if (!chained.isValid())
            QSKIP("no installed face has 𠮷 (fonts-ipamj-mincho)");
        const QString text = QString::fromUcs4(&yoshi, 1) + QStringLiteral("野家");
        TextSetting setting = aligned(TextAlign::Center);
        setting.vertical = vertical;
        const CaptionLayout laid = CaptionLayout::lay(text, font, setting, QSizeF(300, 300));
        QCOMPARE(laid.faceOf(0), chained.familyName());
        QCOMPARE(laid.faceOf(2), QRawFont::fromFont(font).familyName());
        QVERIFY(laid.faceOf(0) != laid.faceOf(2));
        QVERIFY(!laid.inkOf(0, 2).isEmpty());
    }

    // What is drawn lands where the layout says.
    void drawnWhereLaidOut()
    {
        TextSetting setting = verticalSetting();
        const CaptionLayout laid = CaptionLayout::lay(QStringLiteral("山田"), face(), setting, QSizeF(Em + 2, 200));
        QImage image(200, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            laid.draw(painter, QPointF(50, 20), Qt::black);
        }
        QRect inked;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    inked = inked.united(QRect(x, y, 1, 1));
        const QRectF expected = laid.inkOf(0, 2).translated(50, 20);
        QVERIFY2(expected.adjusted(-2, -2, 2, 2).contains(QRectF(inked)), qPrintable(describe(QRectF(inked))));
        QVERIFY(inked.height() > Em);
    }

    // An emboldened caption goes into a PDF as its glyphs' outlines, filled
    // and stroked a 24th of the em wide: the outlines widened into one path
    // made the page several times larger and slow to write. A raster device
    // fills the widened outline, which inks the same pixels.
    void emboldenedOutlinesInPdf()
    {
        QFont bold = face();
        bold.setBold(true);
        const QString text = QStringLiteral("代表取締役社長 山田太郎 ABC 123");
        for (const bool vertical : {false, true}) {
            TextSetting setting = vertical ? verticalSetting() : aligned(TextAlign::Justify);
            const CaptionLayout laid = CaptionLayout::lay(text, bold, setting, QSizeF(1200, 1200));
            const std::vector<PdfPage> pages = pdfPages(
                drawnPdf([&](QPainter &painter, QPdfWriter &) { laid.draw(painter, QPointF(100, 100), Qt::black); }));
            QVERIFY(!pages.empty());
            const QByteArray &content = pages.front().content;
            // Filled and stroked, not filled alone.
            QVERIFY2(content.contains("B\n") || content.contains("B*\n"), content.left(400).constData());
            // About 90 operators a glyph, each some 20 bytes; the widened
            // outline took more than three times as many.
            QVERIFY2(content.size() < text.size() * 2000, qPrintable(QString::number(content.size())));

            QImage image(1400, 1400, QImage::Format_RGB32);
            image.fill(Qt::white);
            QImage plain = image;
            {
                QPainter painter(&image);
                laid.draw(painter, QPointF(100, 100), Qt::black);
                QPainter plainPainter(&plain);
                CaptionLayout::lay(text, face(), setting, QSizeF(1200, 1200)).draw(plainPainter, QPointF(100, 100),
                                                                                  Qt::black);
            }
            qint64 inked[2] = {};
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    inked[0] += qGray(plain.pixel(x, y)) < 128;
                    inked[1] += qGray(image.pixel(x, y)) < 128;
                }
            QVERIFY2(inked[1] > inked[0] * 11 / 10, qPrintable(QStringLiteral("%1 %2").arg(inked[0]).arg(inked[1])));
        }
    }

    // No input makes the layout misbehave: empty text, lone surrogates,
    // controls, a long caption, extreme values.
    void awkwardText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("あ");
        QTest::newRow("controls") << QStringLiteral("a\tb\x01\u200Dc");
        // A character no face has: Qt gives no face for it (found by fuzzing).
        QTest::newRow("NUL and replacement characters")
            << QString::fromUtf8("\xe5\xb1\xe5\xff\xb1\xe7\x94\xb0 10\xb1\xe7\xb0\x31\xde\xde\xde\xde\x94 \xe5\x00", 29);
        QTest::newRow("combining marks") << QStringLiteral("e\u0301\u0301か\u3099");
        QTest::newRow("many digits") << QString(3000, QLatin1Char('7'));
        QTest::newRow("outside the basic plane") << QString::fromUcs4(U"\U00020BB7野家");
    }
    void awkwardText()
    {
        QFETCH(QString, text);
        for (const bool vertical : {false, true}) {
            TextSetting setting;
            setting.vertical = vertical;
            setting.align = TextAlign::Justify;
            setting.scaleX = TextSetting::MinScale;
            setting.scaleY = TextSetting::MaxScale;
            setting.spacing = TextSetting::MinSpacing;
            setting.tcy = TextSetting::MaxTcy;
            const CaptionLayout laid = CaptionLayout::lay(text, face(), setting, QSizeF(0, 0));
            QCOMPARE(laid.isEmpty(), text.isEmpty());
            QVERIFY(std::isfinite(laid.lineEnd()));
        }
    }
};

QTEST_MAIN(TestCaptionLayout)
#include "test_captionlayout.moc"
