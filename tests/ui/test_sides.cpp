// The front and the back in the window: switching shows the side's own
// boxes, the title says when the back is shown, one undo history goes back
// to the side a step changed, and removing the back is undone whole.
#include "UiTestSupport.h"
#include "widgets/BoxPanels.h"
#include "widgets/InlineEditor.h"
#include "window/SideActions.h"

#include <QTest>
#include <QUndoStack>

class TestSides : public QObject
{
    Q_OBJECT
private:
    static int shownTextPanels(TForm1 &form)
    {
        int count = 0;
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot)
            count += form.textPanel(slot) ? 1 : 0;
        return count;
    }

private Q_SLOTS:
    void switchingSides()
    {
        TestWindow w;
        const QString frontTitle = w.form.windowTitle();
        w.textBox(QStringLiteral("表"), {10, 10, 100, 20});
        QVERIFY(!w.form.Sides->MenuRemoveBack->isEnabled());   // a new card has no back
        QTest::keyClick(&w.form, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w.doc().shownSide(), Side::Back);
        QVERIFY(w.form.Sides->MenuShowBack->isChecked());
        QCOMPARE(w.form.windowTitle(), frontTitle + Msg::backShownSuffix());
        QCOMPARE(shownTextPanels(w.form), 0);
        w.textBox(QStringLiteral("裏"), {20, 20, 100, 20});
        w.textBox(QStringLiteral("English"), {20, 50, 100, 20});
        QCOMPARE(shownTextPanels(w.form), 2);
        QVERIFY(w.form.Sides->MenuRemoveBack->isEnabled());
        w.form.Sides->MenuShowFront->trigger();
        QCOMPARE(w.doc().shownSide(), Side::Front);
        QCOMPARE(w.form.windowTitle(), frontTitle);
        QCOMPARE(shownTextPanels(w.form), 1);
        QCOMPARE(w.doc().side(Side::Back).textBoxCount(), 2);

        // Undo goes to the side the step changed.
        w.history().stack().undo();
        QCOMPARE(w.doc().shownSide(), Side::Back);
        QCOMPARE(w.doc().textBoxCount(), 1);
        w.history().stack().redo();
        QCOMPARE(w.doc().textBoxCount(), 2);

        // Removing the back: one step, the front shown, undone whole.
        w.form.Sides->MenuRemoveBack->trigger();
        QCOMPARE(w.doc().shownSide(), Side::Front);
        QVERIFY(!w.doc().hasBack());
        QVERIFY(!w.form.Sides->MenuRemoveBack->isEnabled());
        w.history().stack().undo();
        QCOMPARE(w.doc().shownSide(), Side::Back);
        QCOMPARE(w.doc().textBoxCount(), 2);
        QCOMPARE(w.doc().TextBoxes(1)->Caption, QStringLiteral("English"));
        w.history().stack().redo();
        QVERIFY(!w.doc().hasBack());
        QCOMPARE(shownTextPanels(w.form), 1);
    }

    // An edit open on one side is committed before the other is shown.
    void editorCommittedOnSwitch()
    {
        TestWindow w;
        w.form.MenuNewBox->trigger();   // opens the editor over the new box
        const int slot = w.doc().CurrentBox().slot;
        QVERIFY(w.form.editorOpen());
        QTest::sendKeyEvent(QTest::Click, w.form.Edit1, Qt::Key_unknown, QStringLiteral("山田"), Qt::NoModifier);
        w.form.Sides->MenuShowBack->trigger();
        QVERIFY(!w.form.editorOpen());
        QCOMPARE(w.doc().side(Side::Front).TextBoxes(slot)->Caption, QStringLiteral("山田"));
        QVERIFY(w.doc().side(Side::Front).TextBoxes(slot)->Visible);
    }
};

QTEST_MAIN(TestSides)
#include "test_sides.moc"
