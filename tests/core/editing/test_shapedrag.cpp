// Reshaping lines and rectangles by their handles and dragging them, without
// a window: where each handle may go, and a whole drag as one undo step.
#include "CardFixture.h"
#include "base/Messages.h"
#include "editing/CardHistory.h"
#include "editing/ShapeDrag.h"

#include <QTest>

#include <optional>

namespace {

CardShape line(LineDirection direction, int x1, int y1, int x2, int y2)
{
    CardShape shape;
    shape.direction = direction;
    shape.x1 = x1;
    shape.y1 = y1;
    shape.x2 = x2;
    shape.y2 = y2;
    return shape;
}

CardShape rectangle(int x1, int y1, int x2, int y2)
{
    CardShape shape = line(LineDirection::Free, x1, y1, x2, y2);
    shape.kind = ShapeKind::Rectangle;
    shape.fill = 0x00ff00;
    shape.radiusTenths = 20;
    return shape;
}

QByteArray cardBytes(const CardDocument &doc)
{
    return CardFileBytes(doc).value_or(QByteArrayLiteral("refused"));
}

constexpr int Max = CardShape::MaxCoordinate;

} // namespace

Q_DECLARE_METATYPE(CardShape)
Q_DECLARE_METATYPE(std::optional<int>)

class TestShapeDrag : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void handles_data()
    {
        QTest::addColumn<CardShape>("shape");
        QTest::addColumn<int>("handle");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<CardShape>("expected");
        const CardShape rule = line(LineDirection::Horizontal, 20, 104, 324, 104);
        QTest::newRow("horizontal end keeps its row") << rule << 1 << QPoint(300, 150)
                                                      << line(LineDirection::Horizontal, 20, 104, 300, 104);
        QTest::newRow("horizontal start past the end") << rule << 0 << QPoint(400, 10)
                                                       << line(LineDirection::Horizontal, 400, 104, 324, 104);
        QTest::newRow("horizontal end onto the start stays") << rule << 1 << QPoint(20, 3) << rule;
        const CardShape post = line(LineDirection::Vertical, 50, 10, 50, 100);
        QTest::newRow("vertical end keeps its column") << post << 1 << QPoint(90, 180)
                                                       << line(LineDirection::Vertical, 50, 10, 50, 180);
        QTest::newRow("vertical start") << post << 0 << QPoint(-5, -30)
                                        << line(LineDirection::Vertical, 50, -30, 50, 100);
        const CardShape free = line(LineDirection::Free, 10, 10, 100, 50);
        QTest::newRow("free end anywhere") << free << 1 << QPoint(-40, 200)
                                           << line(LineDirection::Free, 10, 10, -40, 200);
        QTest::newRow("free end onto the start stays") << free << 1 << QPoint(10, 10) << free;
        QTest::newRow("line end past the limit") << free << 0 << QPoint(3 * Max, -3 * Max)
                                                 << line(LineDirection::Free, Max, -Max, 100, 50);
        QTest::newRow("line has no third handle") << free << 2 << QPoint(0, 0) << free;
        QTest::newRow("negative handle") << free << -1 << QPoint(0, 0) << free;

        const CardShape frame = rectangle(20, 20, 120, 80);
        QTest::newRow("bottom-right grows") << frame << 2 << QPoint(150, 90) << rectangle(20, 20, 150, 90);
        QTest::newRow("top-left shrinks") << frame << 0 << QPoint(30, 40) << rectangle(30, 40, 120, 80);
        QTest::newRow("top-right") << frame << 1 << QPoint(200, 0) << rectangle(20, 0, 200, 80);
        QTest::newRow("bottom-left") << frame << 3 << QPoint(0, 100) << rectangle(0, 20, 120, 100);
        QTest::newRow("corner stops a pixel before the opposite one")
            << frame << 0 << QPoint(500, 500) << rectangle(119, 79, 120, 80);
        QTest::newRow("far corner stops a pixel after") << frame << 2 << QPoint(-50, 20) << rectangle(20, 20, 21, 21);
        QTest::newRow("corners stored right to left keep their order")
            << rectangle(120, 80, 20, 20) << 2 << QPoint(130, 90) << rectangle(130, 90, 20, 20);
        QTest::newRow("corner past the limit") << frame << 2 << QPoint(4 * Max, 4 * Max)
                                               << rectangle(20, 20, Max, Max);
        QTest::newRow("no room left at the limit")
            << rectangle(Max, 0, Max, 10) << 2 << QPoint(Max + 50, 5) << rectangle(Max, 0, Max, 10);
        QTest::newRow("rectangle has no fifth handle") << frame << 4 << QPoint(0, 0) << frame;
    }

    void handles()
    {
        QFETCH(CardShape, shape);
        QFETCH(int, handle);
        QFETCH(QPoint, to);
        QFETCH(CardShape, expected);
        const CardShape moved = shape.withHandleAt(handle, to.x(), to.y());
        QCOMPARE(moved, expected.normalized());
        // Where a handle could follow, it stands under the pointer's point.
        if (moved != shape && moved.isLine())
            QCOMPARE(moved.handle(handle), expected.handle(handle));
    }

    // A drag by the body or a handle: the document follows every step of the
    // pointer, the whole drag is one step, undo gives back the card's bytes.
    void dragIsOneStep_data()
    {
        QTest::addColumn<CardShape>("shape");
        QTest::addColumn<std::optional<int>>("handle");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<CardShape>("expected");
        QTest::addColumn<QString>("label");
        const CardShape rule = line(LineDirection::Horizontal, 20, 104, 324, 104);
        const CardShape frame = rectangle(20, 20, 120, 80);
        QTest::newRow("move a rule") << rule << std::optional<int>() << QPoint(100, 104)
                                     << QList<QPoint>{{110, 110}, {130, 90}} << rule.movedBy(30, -14)
                                     << Msg::stepMove();
        QTest::newRow("move past the limit and back")
            << frame << std::optional<int>() << QPoint(50, 50) << QList<QPoint>{{3 * Max, 50}, {55, 50}}
            << frame.movedBy(5, 0) << Msg::stepMove();
        // The press need not be on the handle's very pixel: the handle keeps its offset.
        QTest::newRow("rule's end") << rule << std::optional<int>(1) << QPoint(322, 106)
                                    << QList<QPoint>{{350, 120}, {342, 130}}
                                    << line(LineDirection::Horizontal, 20, 104, 344, 104) << Msg::stepResize();
        QTest::newRow("frame's corner through the opposite one")
            << frame << std::optional<int>(2) << QPoint(120, 80) << QList<QPoint>{{0, 0}, {100, 60}}
            << rectangle(20, 20, 100, 60) << Msg::stepResize();
    }

    void dragIsOneStep()
    {
        QFETCH(CardShape, shape);
        QFETCH(std::optional<int>, handle);
        QFETCH(QPoint, press);
        QFETCH(QList<QPoint>, path);
        QFETCH(CardShape, expected);
        QFETCH(QString, label);
        CardFixture card;
        CardHistory history(card.doc);
        card.doc.addShape(line(LineDirection::Free, 0, 0, 30, 30));
        card.doc.addShape(shape);
        const QByteArray before = cardBytes(card.doc);
        {
            ShapeDrag drag(history, 1, handle, press);
            for (const QPoint &point : path)
                drag.moveTo(point);
            QCOMPARE(history.stack().count(), 0);   // nothing recorded until the button is up
        }
        QCOMPARE(card.doc.shapes().at(1), expected.normalized());
        QCOMPARE(card.doc.shapes().at(0), line(LineDirection::Free, 0, 0, 30, 30));
        QCOMPARE(history.stack().count(), 1);
        QCOMPARE(history.stack().undoText(), label);
        const QByteArray after = cardBytes(card.doc);
        history.stack().undo();
        QCOMPARE(cardBytes(card.doc), before);
        history.stack().redo();
        QCOMPARE(cardBytes(card.doc), after);
    }

    void dragThatChangesNothingIsNoStep()
    {
        CardFixture card;
        CardHistory history(card.doc);
        card.doc.addShape(rectangle(20, 20, 120, 80));
        {
            ShapeDrag drag(history, 0, 0, QPoint(20, 20));
            drag.moveTo(QPoint(60, 60));
            drag.moveTo(QPoint(20, 20));
        }
        {
            ShapeDrag gone(history, 5, std::nullopt, QPoint(20, 20));   // no shape there
            gone.moveTo(QPoint(60, 60));
        }
        QCOMPARE(history.stack().count(), 0);
        QCOMPARE(card.doc.shapes().at(0), rectangle(20, 20, 120, 80).normalized());
    }
};

QTEST_GUILESS_MAIN(TestShapeDrag)
#include "test_shapedrag.moc"
