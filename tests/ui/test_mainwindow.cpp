// The main window: sizes, start-up, menus, message boxes, the error guard and
// the movable boxes' handles.
#include "UiTestSupport.h"
#include "base/TaveloError.h"
#include "dialogs/HelpViewer.h"
#include "widgets/CardPanel.h"

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
        QCOMPARE(form.Panel1->mapTo(form.centralWidget(), QPoint(0, 0)), QPoint(0, 33));
        // A larger window keeps the card's size.
        form.resize(800, 600);
        QCoreApplication::processEvents();
        QCOMPARE(form.Panel1->size(), card);
    }

    void startUpRunsNewOnce()
    {
        RecordingPresenter presenter;
        TForm1 form(96);
        QCOMPARE(form.windowTitle(), QStringLiteral("Tavelo 2.0"));
        form.show();
        QTRY_COMPARE(form.windowTitle(), QStringLiteral("Tavelo 2.0 - 新規名刺.tvl"));
        // Nothing to save yet: New and the close query ask nothing.
        form.MenuNewClick();
        QVERIFY(form.FormCloseQuery());
        QVERIFY(presenter.infos.isEmpty());
    }

    // Every menu's items in order as shown ("-" a separator).
    void menuItems_data()
    {
        QTest::addColumn<QString>("menu");   // empty: the menu bar
        QTest::addColumn<QStringList>("items");
        QTest::newRow("bar") << QString() << QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"};
        QTest::newRow("file") << "MenuFile"
                              << QStringList{"新規作成(&N)", "開く(&O)...", "上書き保存(&S)", "名前を付けて保存(&A)...", "-",
                                             "書式設定(&F)...", "印刷位置の補正(&C)...", "印刷プレビュー(&V)...", "印刷(&P)...",
                                             "差し込み印刷(&M)...", "入稿用PDFの書き出し(&E)...", "名刺をまとめて保存(&K)...", "最近使ったファイル(&R)", "-",
                                             "終了(&X)"};
        QTest::newRow("edit") << "MenuEdit"
                              << QStringList{"新規ﾃｷｽﾄﾎﾞｯｸｽ追加(&T)", "新規ｲﾒｰｼﾞﾎﾞｯｸｽ追加(&I)", "-", "元に戻す(&U)",
                                             "やり直し(&R)", "-", "切り取り(&X)", "コピー(&C)", "貼り付け(&P)", "複製(&L)",
                                             "削除(&D)", "QRコード追加(&Q)...", "背景(&G)...", "線の追加(&K)",
                                             "四角形の追加(&S)"};
        QTest::newRow("view") << "MenuView"
                              << QStringList{"印刷イメージ(&P)", "安全線(&S)", "-", "拡大(&I)", "縮小(&O)", "実寸(&A)",
                                             "-", "表面(&F)", "裏面(&B)", "裏面を削除(&D)"};
        QTest::newRow("help") << "MwnuHelp" << QStringList{"ﾄﾋﾟｯｸの検索(&H)...", "-", "ｼﾞｰｼﾞｮﾝ情報(&A)..."};
        QTest::newRow("text box") << "PopupMenu1"
                                  << QStringList{"フォント指定(&F)...", "現在のﾌｫﾝﾄでｻｲｽﾞを調節(&S)", "-", "このﾎﾞｯｸｽを削除(&D)",
                                                 "QRコードの編集(&Q)...", "差し込みフィールド挿入(&M)",
                                                 "文字の配置(&L)..."};
        QTest::newRow("image box") << "PopupMenu2" << QStringList{"このボックスを削除(&D)"};
        QTest::newRow("shape") << "PopupMenu3"
                               << QStringList{"図形のプロパティ(&P)...", "最前面へ(&F)", "最背面へ(&B)", "-", "削除(&D)"};
    }
    void menuItems()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        TForm1 form(96);
        QWidget *shown = menu.isEmpty() ? static_cast<QWidget *>(form.menuBar()) : form.findChild<QMenu *>(menu);
        QVERIFY(shown);
        QStringList captions;
        for (QAction *a : shown->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, items);
    }

    // Exactly these items have keys; Ctrl+S saves on the shown window, Ctrl+O
    // is no key of the program.
    void shortcuts()
    {
        const QMap<QString, QString> keys = {{"MenuSave", "Ctrl+S"}, {"MenuUndo", "Ctrl+Z"},
                                             {"MenuRedo", "Ctrl+Y; Ctrl+Shift+Z"}, {"MenuCut", "Ctrl+X"},
                                             {"MenuCopy", "Ctrl+C"}, {"MenuPaste", "Ctrl+V"},
                                             {"MenuDuplicate", "Ctrl+D"}, {"MenuDeleteBox", "Del"},
                                             {"MenuZoomIn", "Ctrl++; Ctrl+="}, {"MenuZoomOut", "Ctrl+-"},
                                             {"MenuActualSize", "Ctrl+0"}, {"MenuOtherSide", "Ctrl+Tab"}};
        TestWindow w;
        for (QAction *a : w.form.findChildren<QAction *>())
            QCOMPARE(QKeySequence::listToString(a->shortcuts()), keys.value(a->objectName()));
        QSignalSpy saves(w.form.MenuSave, &QAction::triggered);
        QTest::keyClick(&w.form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saves.count(), 1);
        QTest::keyClick(&w.form, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w.files.openRequests.size(), 0);
    }

    void toolBarButtons()
    {
        TForm1 form(96);
        const QStringList hints = {"新規作成", "開く", "セーブ", "終了", "ﾃｷｽﾄﾎﾞｯｸｽ追加", "ｲﾒｰｼﾞﾎﾞｯｸｽ追加"};
        const int lefts[] = {8, 32, 56, 88, 136, 160};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(form.SpeedButtons[i]->toolTip(), hints[i]);
            QCOMPARE(form.SpeedButtons[i]->geometry(), QRect(lefts[i], 4, 25, 25));
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
        QCOMPARE(captions, (QStringList{"はい(&Y)", "いいえ(&N)", "ｷｬﾝｾﾙ"}));
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
        QPointer<HelpViewer> watch(form->helpViewer());
        QVERIFY(watch && watch->isVisible());   // no help file beside the test program, and no error
        QVERIFY(presenter.errors.isEmpty());
        form->document().AddTextBox();
        QVERIFY(form->close());   // the close query agrees: the help window goes too
        QVERIFY(watch.isNull() || !watch->isVisible());
    }

    void hitTest_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("code");
        const QSize box(100, 20), small(15, 15);
        QTest::newRow("(0,0) move") << box << QPoint(0, 0) << int(HTCAPTION);
        QTest::newRow("(11,5) client") << box << QPoint(11, 5) << int(HTCLIENT);
        QTest::newRow("(99,19) size") << box << QPoint(99, 19) << int(HTBOTTOMRIGHT);
        QTest::newRow("small (5,8) move wins") << small << QPoint(5, 8) << int(HTCAPTION);
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
