// Undo and redo, the arrow keys, the clipboard and the focus frame, driven by
// mouse and key events on the window.
#include "SheetImages.h"
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"
#include "widgets/InlineEditor.h"
#include "window/EditActions.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QSignalSpy>

Q_DECLARE_METATYPE(BoxBounds)

namespace {

struct Window : TestWindow {
    QByteArray bytes() { return CardFileBytes(doc()).value_or(QByteArrayLiteral("refused")); }
    // A key goes where the window system would send it: to the widget with
    // the focus, or to the window.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &form, Qt::Key(key), modifiers);
    }
    QUndoStack &stack() { return form.history().stack(); }
    EditActions &edit() { return *form.Edit; }
};

QImage grabbed(QWidget *w)
{
    return w->grab().toImage();
}

// The card as printed, on a white sheet.
QImage sheet(const CardDocument &doc)
{
    return SheetImages::drawnSheet(doc, QSize(800, 1200), 96);
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->clear(); }

    // The move handle moves the box, the size handle its bottom-right corner
    // (the font follows the height). A whole drag is one step; undone, the
    // card is as before. Presses in a handle raise no click or mouse-down.
    void dragIsOneStep_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QString>("label");
        QTest::addColumn<BoxBounds>("after");
        QTest::addColumn<int>("fontHeight");
        // The moves are given on the panel, which follows: 4 + 8 + ... + 20 pixels right.
        QTest::newRow("move handle") << QPoint(3, 3) << Msg::stepMove() << BoxBounds{110, 80, 100, 20} << -13;
        QTest::newRow("size handle") << QPoint(95, 15) << Msg::stepResize() << BoxBounds{50, 50, 120, 30} << -28;
    }
    void dragIsOneStep()
    {
        QFETCH(QPoint, press);
        QFETCH(QString, label);
        QFETCH(BoxBounds, after);
        QFETCH(int, fontHeight);
        Window w;
        const int slot = w.textBox(QStringLiteral("abc"), {50, 50, 100, 20});
        w.doc().SetCurrentBox(BoxRef::text(slot));
        const QByteArray before = w.bytes();
        TMovePanel *panel = w.form.textPanel(slot);
        QSignalSpy clicks(panel, &TMovePanel::clicked);
        QSignalSpy downs(panel, &TMovePanel::mouseDown);
        QTest::mousePress(panel, Qt::LeftButton, {}, press);
        for (int step = 1; step <= 5; ++step) {
            QTest::mouseMove(panel, press + QPoint(4 * step, 2 * step));
            // Keys pressed during the drag change nothing.
            w.edit().MenuUndo->trigger();
            w.key(Qt::Key_Left);
            w.edit().MenuDeleteBox->trigger();
        }
        QTest::mouseRelease(panel, Qt::LeftButton, {}, press + QPoint(20, 10));
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, after);
        QCOMPARE(w.doc().TextBoxes(slot)->Font.height(), fontHeight);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(downs.count(), 0);
        QCOMPARE(w.stack().count(), 2);
        QCOMPARE(w.edit().MenuUndo->text(), Msg::withStep(Msg::menuUndo(), label));
        w.edit().MenuUndo->trigger();
        QCOMPARE(w.bytes(), before);
    }

    // With the editor open the keys act on its text, never on boxes.
    void keysInsideTheEditor_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("undo takes back the typing") << QKeySequence(QKeySequence::Undo) << QString();
        QTest::newRow("cut and paste back") << QKeySequence(QStringLiteral("Ctrl+A, Ctrl+X, Ctrl+V, Ctrl+V"))
                                            << QStringLiteral("abcabc");
        QTest::newRow("arrows and delete") << QKeySequence(QStringLiteral("Left, Left, Del, Up, Down"))
                                           << QStringLiteral("ac");
    }
    void keysInsideTheEditor()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, text);
        Window w;
        const int slot = w.textBox(QStringLiteral("xy"), {50, 50, 100, 20});
        QTest::mouseClick(w.form.textPanel(slot), Qt::LeftButton, {}, QPoint(50, 10));
        QVERIFY(w.form.editorOpen());
        w.form.Edit1->setFocus();
        w.form.Edit1->clear();
        QTest::keyClicks(w.form.Edit1, QStringLiteral("abc"));
        const int steps = w.stack().count();
        const BoxBounds bounds = w.doc().TextBoxes(slot)->bounds;
        for (int i = 0; i < keys.count(); ++i)
            QTest::keySequence(w.form.Edit1, QKeySequence(keys[i]));
        QCOMPARE(w.form.Edit1->text(), text);
        QCOMPARE(w.stack().count(), steps);
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, bounds);
        QCOMPARE(w.doc().TextBoxes(slot)->Caption, QStringLiteral("xy"));
    }

    // With the editor closed the arrows move the current box: 1 pixel, 10
    // with Shift (how presses group into steps is the history's test).
    void arrowKeys_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QPoint>("moved");
        QTest::addColumn<int>("steps");
        QTest::newRow("right, shift up twice") << QKeySequence(QStringLiteral("Right, Shift+Up, Shift+Up")) << QPoint(1, -20) << 2;
        QTest::newRow("ctrl arrow is no move") << QKeySequence(QStringLiteral("Ctrl+Right")) << QPoint(0, 0) << 0;
    }
    void arrowKeys()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QPoint, moved);
        QFETCH(int, steps);
        Window w;
        const int slot = w.textBox(QStringLiteral("abc"), {50, 50, 100, 20});
        w.boxMenu(w.form.textPanel(slot), QPoint(50, 10));
        w.stack().clear();
        for (int i = 0; i < keys.count(); ++i)
            w.key(keys[i].key(), keys[i].keyboardModifiers());
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, (BoxBounds{50 + moved.x(), 50 + moved.y(), 100, 20}));
        QCOMPARE(w.stack().count(), steps);
    }

    // Copy in one window, paste in another: the box arrives with its text,
    // font and colour (its slot and place are the history's test).
    void pasteBetweenWindows()
    {
        Window from;
        const int slot = from.textBox(QStringLiteral("株式会社"), {30, 40, 120, 24});
        BoxFont font(QStringLiteral("ＭＳ ゴシック"), -22, 0x00FF00, FontStyle::Italic);
        from.history().setFont(slot, font);
        from.doc().SetCurrentBox(BoxRef::text(slot));
        from.edit().MenuCopyClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("株式会社"));

        Window to;
        to.textBox(QStringLiteral("x"), {0, 0, 10, 10});
        to.edit().MenuPaste->trigger();
        QVERIFY(to.doc().TextBoxes(1));
        QCOMPARE(to.doc().TextBoxes(1)->Font, font);
        QCOMPARE(to.doc().TextBoxes(1)->Caption, QStringLiteral("株式会社"));
        QCOMPARE(to.edit().MenuUndo->text(), Msg::withStep(Msg::menuUndo(), Msg::stepPaste()));
    }

    // Duplicate, cut and delete, each one step that undo takes back whole.
    void boxCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("boxesAfter");
        QTest::addColumn<QString>("label");
        QTest::newRow("duplicate") << QStringLiteral("MenuDuplicate") << 2 << Msg::stepDuplicate();
        QTest::newRow("cut") << QStringLiteral("MenuCut") << 0 << Msg::stepCut();
    }
    void boxCommands()
    {
        QFETCH(QString, item);
        QFETCH(int, boxesAfter);
        QFETCH(QString, label);
        Window w;
        w.doc().setPrintSettings({1, 0, 0});
        const int slot = w.history().addImageBox();
        w.doc().setImagePath(slot, QStringLiteral(TAVELO_TEST_DATA "/logo24.bmp"));
        w.boxMenu(w.form.imageControl(slot), QPoint(30, 30));
        w.stack().clear();
        const QByteArray before = w.bytes();
        w.form.findChild<QAction *>(item)->trigger();
        QCOMPARE(w.doc().imageBoxCount(), boxesAfter);
        QCOMPARE(w.stack().count(), 1);
        QCOMPARE(w.stack().undoText(), label);
        w.stack().undo();
        QCOMPARE(w.bytes(), before);
    }

    // On a full card a new box is refused with the message, and nothing
    // else changes: no step, no dialog, the editor left open on its box.
    void fullCardRefusesNewBoxes_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("editing");
        QTest::newRow("paste") << "MenuPaste" << false;
        QTest::newRow("new text box while editing") << "MenuNewBox" << true;
    }
    void fullCardRefusesNewBoxes()
    {
        QFETCH(QString, item);
        QFETCH(bool, editing);
        Window w;
        const int slot = w.textBox(QStringLiteral("a"), {0, 0, 50, 20});
        w.doc().SetCurrentBox(BoxRef::text(slot));
        w.edit().MenuCopyClick();
        for (int n = 1; n < CardDocument::SlotCount; ++n)
            w.doc().AddTextBox();
        w.form.closeEditor();
        if (editing)
            QTest::mouseClick(w.form.textPanel(5), Qt::LeftButton, {}, QPoint(50, 10));
        const int steps = w.stack().count();
        QVERIFY(!runModal<QDialog>(w.form.findChild<QAction *>(item), [](QDialog &d) { d.reject(); }));
        QCOMPARE(w.presenter.infos, QStringList{Msg::tooManyBoxes()});
        QCOMPARE(w.stack().count(), steps);
        QCOMPARE(w.doc().textBoxCount(), int(CardDocument::SlotCount));
        QCOMPARE(w.form.editorOpen(), editing);
        if (editing)
            QCOMPARE(w.doc().CurrentBox(), BoxRef::text(5));
    }

    // The current box shows a frame and its two handle squares on screen,
    // never on the printed card; over a handle the pointer takes the move or
    // the size shape, on text boxes and over the picture of image boxes alike.
    void focusFrameAndPointer_data()
    {
        QTest::addColumn<bool>("image");
        QTest::newRow("text box") << false;
        QTest::newRow("image box") << true;
    }
    void focusFrameAndPointer()
    {
        QFETCH(bool, image);
        Window w;
        const BoxBounds bounds{10, 10, 100, 60};
        int slot = 0;
        if (image)
            w.doc().setImageBounds(slot = w.history().addImageBox(), bounds);
        else
            slot = w.textBox(QStringLiteral("abc"), bounds);
        TMovePanel *panel = image ? w.form.imagePanel(slot) : w.form.textPanel(slot);
        w.doc().SetCurrentBox({});
        const QImage plainPanel = grabbed(panel);
        const QImage plainSheet = sheet(w.doc());
        w.doc().SetCurrentBox(image ? BoxRef::image(slot) : BoxRef::text(slot));
        const QImage framed = grabbed(panel);
        const QRgb mark = panel->palette().color(QPalette::Highlight).rgb();
        for (const QRect &square : {TMovePanel::moveHandleMark(panel->size()), TMovePanel::sizeHandleMark(panel->size())})
            for (const QPoint &corner : {square.topLeft(), square.bottomRight()}) {
                QCOMPARE(framed.pixel(corner), mark);
                QVERIFY(plainPanel.pixel(corner) != mark);
            }
        QCOMPARE(sheet(w.doc()), plainSheet);

        const QList<QPair<QPoint, Qt::CursorShape>> shapes{
            {{5, 5}, Qt::SizeAllCursor}, {{95, 55}, Qt::SizeFDiagCursor}, {{50, 30}, Qt::ArrowCursor}};
        for (const auto &[point, shape] : shapes) {
            QWidget *under = panel->childAt(point) ? panel->childAt(point) : panel;
            QCOMPARE(under == panel, !image);
            QTest::mouseMove(under, under->mapFrom(panel, point));
            QCOMPARE(under->cursor().shape(), shape);
        }
    }
};

TAVELO_UI_TEST_MAIN(TestEditing)
#include "test_editing.moc"
