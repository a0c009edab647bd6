// Lines, rectangles and the background in the window: the Edit menu's items,
// the limit of twenty, a drag and the arrow keys on a shape, the shape's
// dialog, the background dialog, and the shapes shown in the bevelled view.
#include "UiTestSupport.h"
#include "dialogs/BackgroundDialog.h"
#include "dialogs/ShapeDialog.h"
#include "widgets/CardPanel.h"
#include "window/EditActions.h"
#include "window/ShapeActions.h"

#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

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
