// The View menu: the print view over the design surface, zoom in both views,
// drags at a zoom saved as card pixels, and the window growing with the card.
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"
#include "widgets/BoxPanels.h"
#include "widgets/CardPanel.h"
#include "widgets/InlineEditor.h"
#include "window/ViewActions.h"

#include <QLabel>
#include <QMenuBar>
#include <QToolButton>

namespace {
// The card panel as the screen shows it.
QImage shown(QWidget *panel)
{
    return panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
}

class TestPrintView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The new menu stands before Help; the menus before it keep their places.
    void menuAndButton()
    {
        TestWindow w;
        QStringList titles;
        for (const QAction *menu : w.form.menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
        ViewActions &view = *w.form.View;
        QStringList items;
        for (const QAction *item : qobject_cast<QWidget *>(view.MenuPrintView->parent())->actions())
            items << item->text();
        QCOMPARE(items, (QStringList{"印刷イメージ(&P)", "安全線(&S)", "", "拡大(&I)", "縮小(&O)", "実寸(&A)", "", "表面(&F)",
                                     "裏面(&B)", "裏面を削除(&D)"}));
        QVERIFY(view.PrintViewButton->x() > w.form.SpeedButtons.back()->geometry().right());
        QCOMPARE(view.PrintViewButton->toolTip(), QStringLiteral("印刷イメージ"));
        QVERIFY(!view.printView());   // the bevelled view is the default
    }

    // Zoom in steps, by the keys; the card panel, its boxes and the editor
    // follow; the status names the zoom when it is not 100 %.
    void zoomSteps()
    {
        TestWindow w;
        const int slot = w.textBox(QStringLiteral("営業部"), {10, 20, 100, 20});
        const QSize card = w.form.Panel1->size();
        QCOMPARE(card, QSize(344, 208));
        const QList<QPair<QKeySequence, int>> steps = {
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), 150}, {QKeySequence(Qt::CTRL | Qt::Key_Equal), 200},
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), 300}, {QKeySequence(Qt::CTRL | Qt::Key_Plus), 400},
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), 400}, {QKeySequence(Qt::CTRL | Qt::Key_Minus), 300},
            {QKeySequence(Qt::CTRL | Qt::Key_0), 100}};
        for (const auto &[keys, zoom] : steps) {
            QTest::keySequence(&w.form, keys);
            QCOMPARE(w.form.View->zoom(), zoom);
            QCOMPARE(w.form.textPanel(slot)->geometry(), ViewScale(zoom).toScreen(w.doc().TextBoxes(slot)->bounds));
            QCOMPARE(w.form.View->Status->text(), zoom == 100 ? QString() : QStringLiteral("%1%").arg(zoom));
        }
        QCOMPARE(w.form.Panel1->size(), card);
        w.form.View->setZoom(200);
        QCOMPARE(w.form.Panel1->size(), QSize(688, 416));
        w.form.MovePanelClick(slot);
        QCOMPARE(w.form.Edit1->geometry(), QRect(20, 40, 200, 40));   // the editor covers its box
        w.form.closeEditor();
        w.form.View->setZoom(100);
    }

    // A drag at 300 % moves and sizes in whole card pixels, and the card file
    // keeps them; the handles keep their screen size.
    void dragAtZoomSavedAsCardPixels()
    {
        TestWindow w;
        const int slot = w.textBox(QStringLiteral("営業部"), {10, 20, 100, 20});
        w.form.View->setZoom(300);
        TMovePanel *panel = w.form.textPanel(slot);
        QCOMPARE(panel->geometry(), QRect(30, 60, 300, 60));
        // Size handle: 10 screen pixels from the corner at every zoom.
        const QPoint grip(panel->width() - 5, panel->height() - 5);
        TestWindow::drag(panel, grip, grip + QPoint(31, 14));
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, (BoxBounds{10, 20, 110, 25}));
        QCOMPARE(panel->geometry(), QRect(30, 60, 330, 75));
        TestWindow::drag(panel, QPoint(3, 3), QPoint(3 + 8, 3 - 7));
        QCOMPARE(w.doc().TextBoxes(slot)->bounds, (BoxBounds{13, 18, 110, 25}));
        QVERIFY(CardFileBytes(w.doc())->contains("\r\n13\r\n18\r\n110\r\n25\r\n"));
        w.form.View->setZoom(100);
    }

    // The print view draws the card as printed under boxes that show only
    // outlines; the bevelled view comes back exactly as it was.
    void printViewOverTheBevelledView()
    {
        TestWindow w;
        w.textBox(QStringLiteral("株式会社サンプル商事"), {250, 20, 60, 20});
        const QImage bevelled = shown(w.form.Panel1);
        ViewActions &view = *w.form.View;
        view.setPrintView(true);
        QVERIFY(view.PrintViewButton->isChecked());
        const int margin = ViewActions::pasteboard(96);
        QCOMPARE(w.form.Panel1->size(), QSize(344 + 2 * margin, 208 + 2 * margin));
        QCOMPARE(w.form.textPanel(0)->pos(), QPoint(250 + margin, 20 + margin));
        QVERIFY(w.form.textPanel(0)->printView());
        const QImage printed = shown(w.form.Panel1);
        // White paper where the bevelled panel was grey, grey pasteboard around.
        QCOMPARE(printed.pixel(margin + 5, margin + 150), qRgb(255, 255, 255));
        QVERIFY(qGray(printed.pixel(2, 2)) > 100 && qGray(printed.pixel(2, 2)) < 160);
        view.setPrintView(false);
        QCOMPARE(w.form.Panel1->size(), QSize(344, 208));
        QCOMPARE(shown(w.form.Panel1), bevelled);
    }
};

TAVELO_UI_TEST_MAIN(TestPrintView)
#include "test_printview.moc"
