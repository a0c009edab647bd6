// The background and the shapes in the card file: their lines read and
// written, bad lines told and skipped, the back's own lines, pictures loaded
// for the background, and SVG pictures through the picture loader.
#include "CardFixture.h"
#include "ShapeFixtures.h"
#include "base/Messages.h"
#include "cardfile/ShapeLines.h"
#include "editing/BoxClipboard.h"
#include "editing/CardHistory.h"
#include "picture/PictureLoader.h"
#include "picture/SvgPicture.h"

#include <QImage>
#include <QTest>

namespace {

const QByteArray Header = "Tavelo DataFile\r\n0\r\n0\r\n0\r\n";

CardShape rule()
{
    CardShape shape = lineShape(LineDirection::Horizontal, {10, 100}, {330, 100}, 3);
    shape.color = 0x996633;
    return shape;
}

CardShape frame()
{
    CardShape shape = rectangleShape({4, 4}, {340, 204}, 0xffffff, 5);
    shape.style = StrokeStyle::Dotted;
    shape.radiusTenths = 30;
    return shape;
}

} // namespace

class TestShapeLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void values_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("good");
        QTest::newRow("horizontal rule") << QByteArray("hline,10,100,330,100,3,10040115,solid") << true;
        QTest::newRow("free line") << QByteArray("line,-5,0,40,30,50,0,dash") << true;
        QTest::newRow("vertical line") << QByteArray("vline,7,0,7,30,1,0,dot") << true;
        QTest::newRow("rectangle") << QByteArray("rect,0,0,344,30,0,0,solid,16711680,0") << true;
        QTest::newRow("rectangle without fill") << QByteArray("rect,0,0,344,30,5,-2147483648,dot,none,275") << true;
        QTest::newRow("horizontal line not level") << QByteArray("hline,10,100,330,101,3,0,solid") << false;
        QTest::newRow("vertical line slanted") << QByteArray("vline,7,0,8,30,1,0,dot") << false;
        QTest::newRow("line too thin") << QByteArray("line,0,0,1,1,0,0,solid") << false;
        QTest::newRow("line too wide") << QByteArray("line,0,0,1,1,51,0,solid") << false;
        QTest::newRow("radius too large") << QByteArray("rect,0,0,1,1,1,0,solid,none,276") << false;
        QTest::newRow("point off any card") << QByteArray("line,100001,0,1,1,1,0,solid") << false;
        QTest::newRow("colour past 32 bits") << QByteArray("line,0,0,1,1,1,4294967296,solid") << false;
        QTest::newRow("unknown style") << QByteArray("line,0,0,1,1,1,0,wavy") << false;
        QTest::newRow("unknown kind") << QByteArray("ellipse,0,0,1,1,1,0,solid") << false;
        QTest::newRow("field missing") << QByteArray("line,0,0,1,1,1,0") << false;
        QTest::newRow("field too many") << QByteArray("line,0,0,1,1,1,0,solid,none") << false;
        QTest::newRow("space in a number") << QByteArray("line, 0,0,1,1,1,0,solid") << false;
        QTest::newRow("plus sign") << QByteArray("line,+0,0,1,1,1,0,solid") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("minus alone") << QByteArray("line,-,0,1,1,1,0,solid") << false;
    }
    void values()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, good);
        const std::optional<CardShape> shape = ShapeLines::parseShape(value);
        QCOMPARE(bool(shape), good);
        if (shape)
            QCOMPARE(ShapeLines::formatShape(*shape), value);
    }

    void roundTripBothSides()
    {
        CardFixture card;
        CardBackground background;
        background.color = 0x00ccff;
        background.picturePath = card.path(QStringLiteral("帯 #1.png"));
        background.fit = BackgroundFit::Fill;
        QImage band(20, 10, QImage::Format_RGB32);
        band.fill(Qt::darkBlue);
        QVERIFY(band.save(background.picturePath));
        card.doc.setBackground(background);
        card.doc.addShape(rule());
        card.doc.addShape(frame());
        card.doc.showSide(Side::Back);
        CardBackground back;
        back.color = 0;
        card.doc.setBackground(back);
        card.doc.addShape(frame());
        card.doc.showSide(Side::Front);
        QCOMPARE(card.save(card.path()), QString());
        const QByteArray bytes = TestFiles::readFile(card.path());
        // Every new line is a property line a reader of the old format skips.
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.startsWith("Shape=") || line.startsWith("Background") || line.startsWith("BackShape=")
                || line.startsWith("BackBackground"))
                QVERIFY2(!line.contains('#') && !line.contains('$'), line.constData());
        }
        QVERIFY(bytes.contains("\r\nBackground=52479\r\n"));
        QVERIFY(bytes.contains("\r\nShape=hline,10,100,330,100,3," + QByteArray::number(0x996633) + ",solid\r\nShape=rect,"));
        QVERIFY(bytes.contains("\r\nBackShape=rect,"));
        QVERIFY(bytes.contains("\r\nBackgroundFit=fill\r\n"));

        CardFixture again;
        QCOMPARE(again.load(card.path()), QString());
        QCOMPARE(again.sink.told, QStringList());
        QCOMPARE(again.doc.shapes(), (QList<CardShape>{rule(), frame()}));
        QCOMPARE(again.doc.background().picturePath, background.picturePath);
        QCOMPARE(again.doc.background().picture.size(), QSize(20, 10));
        QCOMPARE(again.doc.side(Side::Back).shapes, QList<CardShape>{frame()});
        QCOMPARE(again.doc.side(Side::Back).background.color, std::optional<std::int32_t>(0));
        QVERIFY(again.doc.hasBack());
        QCOMPARE(again.save(again.path()), QString());
        QCOMPARE(TestFiles::readFile(again.path()), bytes);
    }

    void badLinesTold_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("shapes");
        QTest::newRow("bad shape")
            << QByteArray("Shape=line,0,0,1,1,1,0,solid\r\nShape=oval\r\n")
            << QStringList{Msg::badShapeLine(6, QStringLiteral("Shape=oval"))} << 1;
        QTest::newRow("bad colour") << QByteArray("Background=red\r\n")
                                    << QStringList{Msg::badBackgroundLine(5, QStringLiteral("Background=red"))} << 0;
        QTest::newRow("bad fit") << QByteArray("BackgroundFit=tile\r\n")
                                 << QStringList{Msg::badBackgroundLine(5, QStringLiteral("BackgroundFit=tile"))}
                                 << 0;
        QByteArray many;
        for (int n = 0; n < 21; ++n)
            many += "Shape=line,0,0," + QByteArray::number(n) + ",1,1,0,solid\r\n";
        QTest::newRow("one shape past twenty")
            << many << QStringList{Msg::badShapeLine(25, QStringLiteral("Shape=line,0,0,20,1,1,0,solid"))} << 20;
    }
    void badLinesTold()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, messages);
        QFETCH(int, shapes);
        CardFixture card;
        // A text box after the lines is still read.
        QCOMPARE(card.loadBytes(Header + lines + "#\r\nname\r\n0\r\n0\r\n100\r\n20\r\n\r\n-13\r\n0\r\n\r\n"), QString());
        QCOMPARE(card.sink.infos, messages);
        QCOMPARE(card.doc.shapes().size(), shapes);
        QVERIFY(card.doc.TextBoxes(0));
    }

    void backgroundPictureMessages()
    {
        // A background picture that cannot be loaded gets the loader's
        // message; the path stays, so saving keeps it.
        CardFixture card;
        const QString missing = card.path(QStringLiteral("gone.png"));
        const QString broken = card.path(QStringLiteral("broken.svg"));
        QVERIFY(TestFiles::writeFile(broken, "<svg xmlns='http://www.w3.org/2000/svg'><rect"));
        QCOMPARE(card.loadBytes(Header + "BackgroundPicture=" + missing.toUtf8() + "\r\nBackBackgroundPicture="
                                + broken.toUtf8() + "\r\n"),
                 QString());
        QCOMPARE(card.sink.picturePaths, (QStringList{missing, broken}));
        QCOMPARE(card.sink.errors.at(1), Msg::invalidBitmap());
        QCOMPARE(card.doc.background().picturePath, missing);
        QVERIFY(card.doc.background().picture.isNull());
    }

    void svgPictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");   // invalid: refused
        QTest::newRow("width and height")
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='120' height='45'><rect width='9' "
                          "height='9'/></svg>")
            << QSize(120, 45);
        QTest::newRow("millimetres at 96 dpi")
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='25.4mm' height='12.7mm'/>") << QSize(96, 48);
        QTest::newRow("viewBox only")
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 30 20'/>") << QSize(30, 20);
        QTest::newRow("not closed") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='3'") << QSize();
        QTest::newRow("no svg") << QByteArray("<html><body/></html>") << QSize();
        QTest::newRow("a PNG named .svg") << QByteArray("\x89PNG\r\n\x1a\n") << QSize();
        QTest::newRow("no size") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='0' height='0'/>")
                                 << QSize();
        QTest::newRow("too large at 96 dpi")
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='100000' height='100000'/>") << QSize();
    }
    void svgPictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QImage picture;
        const QString message =
            thrownMessage([&] { picture = PictureLoader::loadFromBytes(bytes, QStringLiteral("logo.svg")); });
        if (!size.isValid()) {
            QVERIFY(!message.isEmpty());
            return;
        }
        QCOMPARE(message, QString());
        QCOMPARE(picture.size(), size);
        QVERIFY(SvgPicture::isVector(picture));
        // Printed larger, it is drawn anew at that size, not enlarged pixels.
        const QImage printed = pictureForPrint(picture, size * 10);
        QCOMPARE(printed.size(), size * 10);
    }

    void undoEveryShapeOperation()
    {
        CardDocument doc;
        CardHistory history(doc);
        const auto state = [&] { return qMakePair(doc.shapes(), doc.background()); };
        QList<QPair<QList<CardShape>, CardBackground>> states{state()};
        QCOMPARE(history.addShape(rule()), 0);
        states << state();
        QCOMPARE(history.addShape(frame()), 1);
        states << state();
        CardShape moved = frame();
        moved.radiusTenths = 0;
        history.setShape(1, moved);
        states << state();
        history.lowerShape(1);
        states << state();
        history.raiseShape(0);
        states << state();
        history.moveByKey(BoxRef::shape(0), Qt::Key_Left, -1, 0);
        history.moveByKey(BoxRef::shape(0), Qt::Key_Left, -1, 0);   // one step with the one before
        states << state();
        QCOMPARE(doc.shapes().at(0).x1, rule().x1 - 2);
        QCOMPARE(history.pasteShape(doc.shapes().at(1), Msg::stepAddShape()), 2);
        states << state();
        CardBackground background;
        background.color = 0xff;
        history.setBackground(background);
        states << state();
        history.deleteBox(BoxRef::shape(0));
        states << state();
        QCOMPARE(history.stack().count(), states.size() - 1);
        for (qsizetype n = states.size() - 1; n > 0; --n) {
            QCOMPARE(state(), states.at(n));
            history.stack().undo();
        }
        QCOMPARE(state(), states.at(0));
        for (qsizetype n = 1; n < states.size(); ++n) {
            history.stack().redo();
            QCOMPARE(state(), states.at(n));
        }
    }

    // A shape copied and pasted: the same shape, 10 pixels right and down.
    void clipboardCarriesShapes()
    {
        CardFixture card;
        card.doc.addShape(rule());
        card.doc.addShape(frame());
        const std::optional<QByteArray> bytes = BoxClipboard::encodeBytes(card.doc, BoxRef::shape(1));
        QVERIFY(bytes);
        const std::optional<ClipBox> back = BoxClipboard::decodeBytes(*bytes, 96, &card.sink);
        QVERIFY(back && back->shape && !back->text && !back->image);
        QCOMPARE(*back->shape, frame());
        CardHistory history(card.doc);
        QCOMPARE(history.pasteBox(*back, Msg::stepPaste()), 2);
        QCOMPARE(card.doc.shapes().at(2), frame().movedBy(10, 10));
        history.stack().undo();
        QCOMPARE(card.doc.shapes().size(), 2);
    }

    void twentyShapesAtMost()
    {
        CardFixture card;
        for (int n = 0; n < CardSide::MaxShapes; ++n)
            QCOMPARE(card.doc.addShape(rule()), n);
        QCOMPARE(card.doc.addShape(rule()), -1);
        QCOMPARE(card.sink.infos, QStringList{Msg::tooManyShapes(CardSide::MaxShapes)});
        // The back has twenty of its own.
        card.doc.showSide(Side::Back);
        QCOMPARE(card.doc.addShape(frame()), 0);
    }
};

QTEST_MAIN(TestShapeLines)
#include "test_shapelines.moc"
