// Lines, rectangles and the background in the window: the Edit menu's items,
// the limit of twenty, a drag and the arrow keys on a shape, its handles and
// its frame, the shape's dialog, the background dialog, and the shapes shown
// in the bevelled view.
#include "ShapeFixtures.h"
#include "UiTestSupport.h"
#include "dialogs/BackgroundDialog.h"
#include "dialogs/ShapeDialog.h"
#include "widgets/CardPanel.h"
#include "window/EditActions.h"
#include "window/ShapeActions.h"
#include "window/ViewActions.h"

#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

#include <memory>

namespace {
ShapeActions &actions(TForm1 &form)
{
    return *form.findChild<ShapeActions *>(QStringLiteral("ShapeActions"));
}
} // namespace

class TestShapeActions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addUpToTwenty()
    {
        TestWindow w;
        ShapeActions &a = actions(w.form);
        for (int n = 0; n < CardSide::MaxShapes; ++n)
            (n % 2 ? a.MenuAddRectangle : a.MenuAddLine)->trigger();
        QCOMPARE(w.doc().shapes().size(), CardSide::MaxShapes);
        QCOMPARE(w.presenter.infos, QStringList());
        a.MenuAddLine->trigger();
        QCOMPARE(w.presenter.infos, QStringList{Msg::tooManyShapes(CardSide::MaxShapes)});
        QCOMPARE(w.doc().shapes().size(), CardSide::MaxShapes);
        QCOMPARE(w.history().stack().count(), CardSide::MaxShapes);
        QVERIFY(w.doc().Modified());
    }

    void dragAndKeys()
    {
        TestWindow w;
        actions(w.form).MenuAddRectangle->trigger();
        const CardShape before = w.doc().shapes().at(0);
        QCOMPARE(w.doc().CurrentBox(), BoxRef::shape(0));
        // A drag from inside the rectangle moves it by the pointer's way.
        QTest::mousePress(w.form.Panel1, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(w.form.Panel1, QPoint(60, 55));
        QTest::mouseMove(w.form.Panel1, QPoint(70, 60));
        QTest::mouseRelease(w.form.Panel1, Qt::LeftButton, {}, QPoint(70, 60));
        QCOMPARE(w.doc().shapes().at(0), before.movedBy(20, 10));
        QCOMPARE(w.history().stack().count(), 2);   // added, moved
        w.form.setFocus();
        QTest::keyClick(&w.form, Qt::Key_Right);
        QTest::keyClick(&w.form, Qt::Key_Right);
        QCOMPARE(w.doc().shapes().at(0), before.movedBy(22, 10));
        w.history().stack().undo();
        QCOMPARE(w.doc().shapes().at(0), before.movedBy(20, 10));
        w.history().stack().undo();
        QCOMPARE(w.doc().shapes().at(0), before);
    }

    // Which shape a press takes: what is drawn under the pointer first, the
    // inside of a rectangle without fill last.
    void shapeAt_data()
    {
        QTest::addColumn<bool>("bandOnTop");
        QTest::addColumn<QPoint>("card");
        QTest::addColumn<int>("expected");   // -1: none
        // 0: a rule at y 120; 1: a frame without fill around the card; 2: a band at the top, filled.
        QTest::newRow("rule within the frame") << false << QPoint(200, 121) << 0;
        QTest::newRow("frame's middle") << false << QPoint(200, 160) << 1;
        QTest::newRow("frame's border") << false << QPoint(7, 100) << 1;
        QTest::newRow("band over the frame") << false << QPoint(200, 10) << 2;
        QTest::newRow("outside everything") << false << QPoint(343, 207) << -1;
        QTest::newRow("filled band over the rule") << true << QPoint(200, 121) << 2;
    }

    void shapeAt()
    {
        QFETCH(bool, bandOnTop);
        QFETCH(QPoint, card);
        QFETCH(int, expected);
        CardDocument doc;
        const CardShape rule = lineShape(LineDirection::Horizontal, {20, 120}, {324, 120}, 3);
        const CardShape frame = rectangleShape({6, 32}, {338, 202}, std::nullopt, 3);
        CardShape band = frame;
        band.y1 = 0;
        band.y2 = bandOnTop ? 140 : 26;
        band.fill = 0x804020;
        doc.addShape(rule);
        doc.addShape(frame);
        doc.addShape(band);
        QCOMPARE(ShapeActions::shapeAt(doc, card, 1).value_or(-1), expected);
    }

    // A handle dragged with the mouse at 100 % and 200 %: a rule's end keeps
    // its row, a rectangle's corner takes the pointer; one step, undone whole.
    void handleDrags_data()
    {
        QTest::addColumn<bool>("rectangle");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("handle");   // card pixels
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("expected");   // x1, y1 to x2, y2
        QTest::newRow("rule's end") << false << 100 << QPoint(324, 104) << QPoint(300, 140)
                                    << QRect(QPoint(20, 104), QPoint(300, 104));
        QTest::newRow("rule's start at 200 %") << false << 200 << QPoint(20, 104) << QPoint(60, 90)
                                               << QRect(QPoint(60, 104), QPoint(324, 104));
        QTest::newRow("frame's corner") << true << 100 << QPoint(120, 80) << QPoint(200, 150)
                                        << QRect(QPoint(20, 20), QPoint(200, 150));
        QTest::newRow("frame's corner at 200 %") << true << 200 << QPoint(20, 20) << QPoint(40, 10)
                                                 << QRect(QPoint(40, 10), QPoint(120, 80));
    }

    void handleDrags()
    {
        QFETCH(bool, rectangle);
        QFETCH(int, zoom);
        QFETCH(QPoint, handle);
        QFETCH(QPoint, to);
        QFETCH(QRect, expected);
        TestWindow w;
        w.form.View->setZoom(zoom);
        ShapeActions &a = actions(w.form);
        (rectangle ? a.MenuAddRectangle : a.MenuAddLine)->trigger();
        const CardShape before = w.doc().shapes().at(0);
        const auto screen = [zoom](QPoint card) { return card * zoom / 100; };
        QTest::mousePress(w.form.Panel1, Qt::LeftButton, {}, screen(handle));
        QTest::mouseMove(w.form.Panel1, (screen(handle) + screen(to)) / 2);
        QTest::mouseMove(w.form.Panel1, screen(to));
        QTest::mouseRelease(w.form.Panel1, Qt::LeftButton, {}, screen(to));
        const CardShape after = w.doc().shapes().at(0);
        QCOMPARE(QRect(QPoint(after.x1, after.y1), QPoint(after.x2, after.y2)), expected);
        QCOMPARE(w.history().stack().count(), 2);   // added, reshaped
        QCOMPARE(w.history().stack().undoText(), Msg::stepResize());
        w.history().stack().undo();
        QCOMPARE(w.doc().shapes().at(0), before);
    }

    // The current shape shows its frame and handles; another shape clicked
    // takes them, Escape and a press on the empty card leave them.
    void frameOfTheCurrentShape()
    {
        TestWindow w;
        ShapeActions &a = actions(w.form);
        a.MenuAddRectangle->trigger();   // 20, 20 to 120, 80
        a.MenuAddLine->trigger();        // 20, 104 to 324, 104
        const QRgb mark = w.form.Panel1->palette().color(QPalette::Highlight).rgb();
        const auto markedAt = [&](QPoint p) { return w.form.Panel1->grab().toImage().pixel(p) == mark; };
        QCOMPARE(w.doc().CurrentBox(), BoxRef::shape(1));
        QVERIFY(markedAt(QPoint(324, 104)));
        QVERIFY(!markedAt(QPoint(120, 80)));
        QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(70, 50));
        QCOMPARE(w.doc().CurrentBox(), BoxRef::shape(0));
        QVERIFY(markedAt(QPoint(120, 80)));
        QVERIFY(markedAt(QPoint(20, 20)));
        QVERIFY(!markedAt(QPoint(324, 104)));
        QCOMPARE(w.history().stack().count(), 2);   // a click is no step
        w.form.setFocus();
        QTest::keyClick(&w.form, Qt::Key_Escape);
        QCOMPARE(w.doc().CurrentBox(), BoxRef());
        QVERIFY(!markedAt(QPoint(120, 80)));
        QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(200, 104));
        QCOMPARE(w.doc().CurrentBox(), BoxRef::shape(1));
        QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(250, 170));
        QCOMPARE(w.doc().CurrentBox(), BoxRef());
        QVERIFY(!markedAt(QPoint(324, 104)));
        // The pointer tells a handle before the press.
        a.MenuAddRectangle->trigger();
        QTest::mouseMove(w.form.Panel1, QPoint(120, 80));
        QCOMPARE(w.form.Panel1->cursor().shape(), Qt::SizeFDiagCursor);
        QTest::mouseMove(w.form.Panel1, QPoint(60, 60));
        QCOMPARE(w.form.Panel1->cursor().shape(), Qt::ArrowCursor);
    }

    // The window goes while a handle is held: the drag ends with nothing left
    // to record into (the sanitizer build sees any use of the gone history).
    void windowClosedDuringADrag()
    {
        auto w = std::make_unique<TestWindow>();
        actions(w->form).MenuAddRectangle->trigger();
        QTest::mousePress(w->form.Panel1, Qt::LeftButton, {}, QPoint(120, 80));
        QTest::mouseMove(w->form.Panel1, QPoint(140, 90));
        QVERIFY(w->history().inStep());
        w.reset();
    }

    void clipboardAndDelete()
    {
        TestWindow w;
        actions(w.form).MenuAddLine->trigger();
        EditActions &edit = *w.form.Edit;
        edit.MenuDuplicate->trigger();
        QCOMPARE(w.doc().shapes().size(), 2);
        QCOMPARE(w.doc().shapes().at(1), w.doc().shapes().at(0).movedBy(10, 10));
        QCOMPARE(w.doc().CurrentBox(), BoxRef::shape(1));
        edit.MenuCut->trigger();
        QCOMPARE(w.doc().shapes().size(), 1);
        edit.MenuPaste->trigger();
        QCOMPARE(w.doc().shapes().size(), 2);
        edit.MenuDeleteBox->trigger();
        QCOMPARE(w.doc().shapes().size(), 1);
        const int steps = w.history().stack().count();
        for (int n = 0; n < steps; ++n)
            w.history().stack().undo();
        QVERIFY(w.doc().shapes().isEmpty());
    }

    void shapeDialog()
    {
        TestWindow w;
        actions(w.form).MenuAddLine->trigger();
        ShapeDialog dialog(w.doc().shapes().at(0));
        dialog.findChild<QSpinBox *>(QStringLiteral("width"))->setValue(50);
        dialog.findChild<QComboBox *>(QStringLiteral("style"))->setCurrentIndex(1);
        dialog.findChild<QComboBox *>(QStringLiteral("direction"))->setCurrentIndex(1);
        const CardShape edited = dialog.shape();
        QCOMPARE(edited.widthTenths, 50);
        QCOMPARE(edited.style, StrokeStyle::Dashed);
        QCOMPARE(edited.direction, LineDirection::Vertical);
        QCOMPARE(edited.x2, edited.x1);   // turned vertical, its length kept
        QCOMPARE(edited.y2 - edited.y1, 304);
    }

    void backgroundDialog()
    {
        TestWindow w;
        QVERIFY(runModal<BackgroundDialog>(actions(w.form).MenuBackground, [](BackgroundDialog &d) {
            d.findChild<QRadioButton *>(QStringLiteral("colored"))->setChecked(true);
            d.accept();
        }));
        QCOMPARE(w.doc().background().color, std::optional<std::int32_t>(0xffffff));
        QCOMPARE(w.history().stack().count(), 1);
        w.history().stack().undo();
        QVERIFY(w.doc().background().isEmpty());
    }

    void shownInBevelledView()
    {
        TestWindow w;
        CardShape band;
        band.kind = ShapeKind::Rectangle;
        band.x2 = 344;
        band.y2 = 20;
        band.widthTenths = 0;
        band.fill = 0x0000ff;   // red
        w.history().addShape(band);
        const QImage panel = w.form.Panel1->grab().toImage();
        QCOMPARE(panel.pixel(100, 10), qRgb(255, 0, 0));
        QVERIFY(panel.pixel(100, 100) != qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestShapeActions)
#include "test_shapeactions.moc"
