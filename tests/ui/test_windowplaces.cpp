// Where the windows open: the print settings dialog and the About box centred
// on the screen first and then where the user left them, the information box
// centred on the screen, the help window beside the main window.
#include "About.h"
#include "HelpViewer.h"
#include "UiTestSupport.h"
#include "WindowPlacement.h"

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
        QTest::newRow("narrower on the left") << screen << QRect(520, 165, 350, 300) << QRect(0, 165, 512, 420);
        QTest::newRow("no side has room: at the roomier edge")
            << QRect(0, 0, 800, 600) << QRect(200, 0, 400, 300) << QRect(160, 0, 640, 420);
        QTest::newRow("kept above the screen's bottom") << screen << QRect(0, 500, 350, 300)
                                                        << QRect(358, 348, 640, 420);
        QTest::newRow("second screen") << QRect(1024, 0, 1280, 1024) << QRect(1100, 50, 350, 300)
                                       << QRect(1458, 50, 640, 420);
        QTest::newRow("main window off the screen's top") << screen << QRect(0, -40, 350, 300)
                                                          << QRect(358, 0, 640, 420);
    }
    void beside()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, main);
        QFETCH(QRect, placed);
        const QRect got = WindowPlacement::beside(main, QSize(640, 420), screen);
        QCOMPARE(got, placed);
        QVERIFY(screen.contains(got));
        if (got.width() < 640)
            QVERIFY(!got.intersects(main));
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
        QVERIFY(!dialog->isVisible());
        // The main window moving does not take the dialog along.
        w.form.move(100, 120);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->frameGeometry().topLeft(), QPoint(30, 40));
        dialog->reject();
    }

    void informationBoxCentredOnScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::newRow("short, OK") << QStringLiteral("ボックスは20個までです") << int(MsgButton::Ok);
        QTest::newRow("save question") << QStringLiteral("新規名刺.tvl は更新されています。保存しますか？")
                                       << int(MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    }
    void informationBoxCentredOnScreen()
    {
        QFETCH(QString, text);
        QFETCH(int, buttons);
        CornerWindow w;
        InformationBox box(&w.form, text, MsgButtons::fromInt(buttons));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.frameGeometry().topLeft(), screenCentre(box.frameGeometry().size()));
        box.reject();
    }

    void helpWindowBesideTheMainWindow_data()
    {
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("room on the right") << QPoint(0, 0);
        QTest::newRow("room on the left") << QPoint(440, 20);
    }
    void helpWindowBesideTheMainWindow()
    {
        QFETCH(QPoint, mainAt);
        TestWindow w;
        w.form.move(mainAt);
        QTRY_COMPARE(w.form.frameGeometry().topLeft(), mainAt);
        w.form.SearchforHelpOn1->trigger();
        HelpViewer *help = w.form.helpViewer();
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        const QRect main = w.form.frameGeometry();
        const QRect frame = help->frameGeometry();
        QVERIFY2(!frame.intersects(main), qPrintable(QStringLiteral("help at %1,%2 %3x%4")
                                                        .arg(frame.x()).arg(frame.y())
                                                        .arg(frame.width()).arg(frame.height())));
        QVERIFY(screenArea().contains(frame));
        QCOMPARE(frame.top(), main.top());
        QVERIFY(frame.left() == main.right() + 1 + WindowPlacement::Gap
                || frame.right() == main.left() - 1 - WindowPlacement::Gap || frame.left() == screenArea().left());
        help->close();
    }

    void helpKeywordLabelHasItsAccessKey()
    {
        TestWindow w;
        w.form.SearchforHelpOn1->trigger();
        HelpViewer *help = w.form.helpViewer();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QCOMPARE(help->searchLabel()->text(), QStringLiteral("キーワード(&K):"));
        QCOMPARE(help->searchLabel()->buddy(), static_cast<QWidget *>(help->searchField()));
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
