// Where the windows open: the print settings dialog and the About box centred
// on the screen first and then where the user left them, the information box
// centred on the screen, the help window beside the main window.
#include "UiTestSupport.h"
#include "dialogs/About.h"
#include "dialogs/HelpViewer.h"
#include "widgets/WindowPlacement.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QWindow>

namespace {
QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Where a frame of size stands when centred on the screen.
QPoint screenCentre(const QSize &size)
{
    const QRect area = screenArea();
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2};
}

// The main window in the screen's top-left corner, so that a window centred
// over it would not stand at the screen's centre.
struct CornerWindow : TestWindow {
    CornerWindow()
    {
        form.move(0, 0);
        QTRY_COMPARE(form.frameGeometry().topLeft(), QPoint(0, 0));
    }
};

// As the window manager moves a window when the user drags its title bar.
void dragTo(QWidget *window, QPoint pos)
{
    window->windowHandle()->setFramePosition(pos);
    QTRY_COMPARE(window->frameGeometry().topLeft(), pos);
}
}

class TestWindowPlaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void beside_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("right") << screen << QRect(0, 100, 350, 300) << QRect(358, 100, 640, 420);
        QTest::newRow("left when the right is short") << screen << QRect(660, 100, 350, 300)
                                                      << QRect(12, 100, 640, 420);
        QTest::newRow("narrower on the right") << screen << QRect(162, 165, 350, 300) << QRect(520, 165, 504, 420);
        QTest::newRow("no side has room: at the roomier edge")
            << QRect(0, 0, 800, 600) << QRect(200, 0, 400, 300) << QRect(160, 0, 640, 420);
        QTest::newRow("kept above the screen's bottom") << screen << QRect(0, 500, 350, 300)
                                                        << QRect(358, 348, 640, 420);
    }
    void beside()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, main);
        QFETCH(QRect, placed);
        QCOMPARE(WindowPlacement::beside(main, QSize(640, 420), screen), placed);
    }

    void dialogsCentredThenWhereLeft_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("print settings") << false;
        QTest::newRow("about box") << true;
    }
    void dialogsCentredThenWhereLeft()
    {
        QFETCH(bool, about);
        CornerWindow w;
        QDialog *dialog = about ? static_cast<QDialog *>(w.form.AboutBox) : w.form.PrintSet;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->frameGeometry().topLeft(), screenCentre(dialog->frameGeometry().size()));
        dragTo(dialog, QPoint(30, 40));
        dialog->reject();
        // The main window moving does not take the dialog along.
        w.form.move(100, 120);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->frameGeometry().topLeft(), QPoint(30, 40));
        dialog->reject();
    }

    void informationBoxCentredOnScreen()
    {
        CornerWindow w;
        InformationBox box(&w.form, QStringLiteral("新規名刺.tvl は更新されています。保存しますか？"),
                           MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.frameGeometry().topLeft(), screenCentre(box.frameGeometry().size()));
        box.reject();
    }

    // The help window opens beside the main window, and Alt+K takes the
    // focus to its keyword field.
    void helpWindow()
    {
        CornerWindow w;
        w.form.SearchforHelpOn1->trigger();
        HelpViewer *help = w.form.helpViewer();
        QVERIFY(help && QTest::qWaitForWindowExposed(help));
        const QRect main = w.form.frameGeometry(), frame = help->frameGeometry();
        QCOMPARE(frame.topLeft(), QPoint(main.right() + 1 + WindowPlacement::Gap, main.top()));
        QCOMPARE(help->searchLabel()->text(), QStringLiteral("キーワード(&K):"));
        help->activateWindow();
        QTRY_VERIFY(help->isActiveWindow());
        help->index()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(help->index()));
        QTest::keyClick(help->index(), Qt::Key_K, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(help->searchField()));
        help->close();
    }
};

QTEST_MAIN(TestWindowPlaces)
#include "test_windowplaces.moc"
