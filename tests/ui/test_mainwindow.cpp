// The main window: sizes, start-up, menus, message boxes, the error guard and
// the movable boxes' handles.
#include "About.h"
#include "CardPanel.h"
#include "HelpViewer.h"
#include "TaveloError.h"
#include "UiTestSupport.h"

#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

namespace {
class ThrowingWidget : public QWidget
{
protected:
    void mousePressEvent(QMouseEvent *) override { throw TaveloError(QStringLiteral("壊れました.")); }
};
}

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardPanelSize_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QSize>("card");
        QTest::newRow("96") << 96 << QSize(344, 208);
        QTest::newRow("120") << 120 << QSize(430, 260);
    }
    void cardPanelSize()
    {
        QFETCH(int, ppi);
        QFETCH(QSize, card);
        TForm1 form(ppi);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.Panel1->size(), card);
        QCOMPARE(form.centralWidget()->size(), QSize(card.width(), card.height() + 33));
        QCOMPARE(form.Panel1->mapTo(form.centralWidget(), QPoint(0, 0)), QPoint(0, 33));
        QCOMPARE(form.document().screenPpi(), ppi);
        // A larger window keeps the card's size; the tool bar spans the window.
        form.resize(800, 600);
        QCoreApplication::processEvents();
        QCOMPARE(form.Panel1->size(), card);
        QCOMPARE(form.ToolBar->width(), form.centralWidget()->width());
    }

    void startUpRunsNewOnce()
    {
        RecordingPresenter presenter;
        TForm1 form(96);
        QCOMPARE(form.windowTitle(), QStringLiteral("Tavelo 2.0"));
        form.show();
        QTRY_COMPARE(form.windowTitle(), QStringLiteral("Tavelo 2.0 - 新規名刺.tvl"));
        const CardDocument &doc = form.document();
        QCOMPARE(doc.printSettings(), (PrintSettings{1, 0, 0}));
        QVERIFY(!doc.Modified());
        // Nothing to save yet: New and the close query ask nothing.
        form.MenuNewClick();
        QVERIFY(form.FormCloseQuery());

        form.document().AddTextBox();
        QTimer::singleShot(0, form.AboutBox, [&] { form.AboutBox->OKButton->click(); });
        form.MenuAboutClick();
        QCoreApplication::processEvents();
        QCOMPARE(form.document().textBoxCount(), 1);   // not reset again
        QVERIFY(presenter.infos.isEmpty());
    }

    // Every menu's items in order as shown ("-" a separator), and no access
    // key twice in one menu.
    void menuItems_data()
    {
        QTest::addColumn<QString>("menu");   // empty: the menu bar
        QTest::addColumn<QStringList>("items");
        QTest::newRow("bar") << QString() << QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "ﾍﾙﾌﾟ(&H)"};
        QTest::newRow("file") << "MenuFile"
                              << QStringList{"新規作成(&N)", "開く(&O)...", "上書き保存(&S)", "名前を付けて保存(&A)...", "-",
                                             "書式設定(&F)...", "印刷位置の補正(&C)...", "印刷プレビュー(&V)...", "印刷(&P)...",
                                             "差し込み印刷(&M)...", "最近使ったファイル(&R)", "-", "終了(&X)"};
        QTest::newRow("edit") << "MenuEdit"
                              << QStringList{"新規ﾃｷｽﾄﾎﾞｯｸｽ追加(&T)", "新規ｲﾒｰｼﾞﾎﾞｯｸｽ追加(&I)", "-", "元に戻す(&U)",
                                             "やり直し(&R)", "-", "切り取り(&X)", "コピー(&C)", "貼り付け(&P)", "複製(&L)",
                                             "削除(&D)", "QRコード追加(&Q)..."};
        QTest::newRow("help") << "MwnuHelp" << QStringList{"ﾄﾋﾟｯｸの検索(&H)...", "-", "ｼﾞｰｼﾞｮﾝ情報(&A)..."};
        QTest::newRow("text box") << "PopupMenu1"
                                  << QStringList{"フォント指定(&F)...", "現在のﾌｫﾝﾄでｻｲｽﾞを調節(&S)", "-", "このﾎﾞｯｸｽを削除(&D)",
                                                 "QRコードの編集(&Q)...", "差し込みフィールド挿入(&M)"};
        QTest::newRow("image box") << "PopupMenu2" << QStringList{"このボックスを削除(&D)"};
    }
    void menuItems()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        TForm1 form(96);
        QWidget *shown = menu.isEmpty() ? static_cast<QWidget *>(form.menuBar()) : form.findChild<QMenu *>(menu);
        QVERIFY(shown);
        QStringList captions, keys;
        for (QAction *a : shown->actions()) {
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
            if (amp >= 0) {
                QVERIFY2(!keys.contains(a->text().mid(amp + 1, 1).toUpper()), qPrintable(a->text()));
                keys << a->text().mid(amp + 1, 1).toUpper();
            }
        }
        QCOMPARE(captions, items);
    }

    void shortcuts()
    {
        // Exactly these items have keys; every other action has none.
        TForm1 form(96);
        const QMap<QString, QList<QKeySequence>> keys = {
            {QStringLiteral("MenuSave"), {QKeySequence(QStringLiteral("Ctrl+S"))}},
            {QStringLiteral("MenuUndo"), {QKeySequence(QStringLiteral("Ctrl+Z"))}},
            {QStringLiteral("MenuRedo"), {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}},
            {QStringLiteral("MenuCut"), {QKeySequence(QStringLiteral("Ctrl+X"))}},
            {QStringLiteral("MenuCopy"), {QKeySequence(QStringLiteral("Ctrl+C"))}},
            {QStringLiteral("MenuPaste"), {QKeySequence(QStringLiteral("Ctrl+V"))}},
            {QStringLiteral("MenuDuplicate"), {QKeySequence(QStringLiteral("Ctrl+D"))}},
            {QStringLiteral("MenuDeleteBox"), {QKeySequence(QStringLiteral("Del"))}},
        };
        QStringList withKeys;
        for (QAction *a : form.findChildren<QAction *>()) {
            QCOMPARE(a->shortcuts(), keys.value(a->objectName()));
            if (!a->shortcuts().isEmpty())
                withKeys << a->objectName();
        }
        withKeys.sort();
        QCOMPARE(withKeys, keys.keys());
        // Ctrl+S saves on the shown window; Ctrl+O is no key of the program.
        TestWindow w;
        QSignalSpy saves(w.form.MenuSave, &QAction::triggered);
        QTest::keyClick(&w.form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saves.count(), 1);
        QTest::keyClick(&w.form, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w.files.openRequests.size(), 0);
    }

    void toolBarButtons()
    {
        TForm1 form(96);
        const QStringList hints = {QStringLiteral("新規作成"), QStringLiteral("開く"), QStringLiteral("セーブ"),
                                   QStringLiteral("終了"), QStringLiteral("ﾃｷｽﾄﾎﾞｯｸｽ追加"), QStringLiteral("ｲﾒｰｼﾞﾎﾞｯｸｽ追加")};
        const int lefts[] = {8, 32, 56, 88, 136, 160};
        for (int i = 0; i < 6; ++i) {
            QToolButton *b = form.SpeedButtons[i];
            QCOMPARE(b->toolTip(), hints[i]);
            QCOMPARE(b->geometry(), QRect(lefts[i], 4, 25, 25));
            QCOMPARE(b->focusPolicy(), Qt::NoFocus);
        }
    }

    void informationBoxAnswers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        const int ync = int(MsgButtons(MsgButton::Yes | MsgButton::No | MsgButton::Cancel));
        QTest::newRow("YNC Esc") << ync << int(Qt::Key_Escape) << int(mrCancel);
        QTest::newRow("YNC Enter") << ync << int(Qt::Key_Return) << int(mrYes);
        QTest::newRow("YNC close box") << ync << 0 << int(mrCancel);
        QTest::newRow("OK Esc") << int(MsgButtons(MsgButton::Ok)) << int(Qt::Key_Escape) << int(mrOk);
        QTest::newRow("OK Enter") << int(MsgButtons(MsgButton::Ok)) << int(Qt::Key_Return) << int(mrOk);
        QTest::newRow("Yes close box") << int(MsgButtons(MsgButton::Yes)) << 0 << int(mrCancel);
        QTest::newRow("Yes No Esc") << int(MsgButtons(MsgButton::Yes | MsgButton::No)) << int(Qt::Key_Escape) << int(mrNo);
    }
    void informationBoxAnswers()
    {
        QFETCH(int, buttons);
        QFETCH(int, key);
        QFETCH(int, result);
        InformationBox box(nullptr, QStringLiteral("x"), MsgButtons::fromInt(buttons));
        QTimer::singleShot(0, &box, [&] {
            if (key)
                QTest::keyClick(&box, Qt::Key(key));
            else
                box.close();
        });
        QCOMPARE(box.exec(), result);
    }

    void informationBoxLayout()
    {
        InformationBox box(nullptr, QStringLiteral("x"), MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QCOMPARE(box.windowTitle(), QStringLiteral("情報"));
        QStringList captions;
        for (QPushButton *b : box.findChildren<QPushButton *>())
            captions << b->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("ｷｬﾝｾﾙ")}));
        QVERIFY(box.button(mrYes)->isDefault());
        InformationBox yesOnly(nullptr, QStringLiteral("x"), MsgButton::Yes);
        QCOMPARE(yesOnly.escapeResult(), 0);
    }

    void errorInHandlerReachesErrorBox()
    {
        RecordingPresenter presenter;
        ThrowingWidget widget;
        widget.resize(50, 50);
        widget.show();
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(presenter.errors, QStringList{QStringLiteral("壊れました..")});
        // The program goes on: the next event is delivered as usual.
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(presenter.errors.size(), 2);
    }

    void commandErrorReachesErrorBox()
    {
        RecordingPresenter presenter;
        TForm1 form(96);
        form.MenuDelete->trigger();   // no text box is current
        QCOMPARE(presenter.errors, QStringList{Msg::invalidTypecast() + QLatin1Char('.')});
    }

    void helpWithoutFileAndClosing()
    {
        RecordingPresenter presenter;
        auto *form = new TForm1(96);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
        QTRY_VERIFY(form->windowTitle().endsWith(QStringLiteral("新規名刺.tvl")));
        presenter.answers << mrNo;
        form->SearchforHelpOn1->trigger();
        HelpViewer *help = form->helpViewer();
        QVERIFY(help && help->isVisible());
        QVERIFY(!help->fileFound());   // no help file beside the test program
        QVERIFY(presenter.errors.isEmpty());
        form->document().AddTextBox();
        QPointer<HelpViewer> watch(help);
        QVERIFY(form->close());   // the close query agrees: the help window goes too
        QVERIFY(watch.isNull() || !watch->isVisible());
    }

    void hitTest_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("code");
        const QSize box(100, 20), small(15, 15);
        QTest::newRow("(10,10) move") << box << QPoint(10, 10) << int(HTCAPTION);
        QTest::newRow("(0,0) move") << box << QPoint(0, 0) << int(HTCAPTION);
        QTest::newRow("(11,5) client") << box << QPoint(11, 5) << int(HTCLIENT);
        QTest::newRow("(5,11) client") << box << QPoint(5, 11) << int(HTCLIENT);
        QTest::newRow("(90,10) size") << box << QPoint(90, 10) << int(HTBOTTOMRIGHT);
        QTest::newRow("(99,19) size") << box << QPoint(99, 19) << int(HTBOTTOMRIGHT);
        QTest::newRow("(89,15) client") << box << QPoint(89, 15) << int(HTCLIENT);
        QTest::newRow("small (5,8) move wins") << small << QPoint(5, 8) << int(HTCAPTION);
        QTest::newRow("small (8,12) size") << small << QPoint(8, 12) << int(HTBOTTOMRIGHT);
        QTest::newRow("small (12,12) size") << small << QPoint(12, 12) << int(HTBOTTOMRIGHT);
        QTest::newRow("left of the box") << box << QPoint(-30000, 5) << int(HTCAPTION);
    }
    void hitTest()
    {
        QFETCH(QSize, size);
        QFETCH(QPoint, point);
        QFETCH(int, code);
        QCOMPARE(int(TMovePanel::hitTest(size, point)), code);
    }
};

TAVELO_UI_TEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
