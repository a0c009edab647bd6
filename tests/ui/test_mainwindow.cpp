// The main window: sizes, start-up, menus, message boxes, the error guard and
// the movable boxes' handles.
#include "About.h"
#include "CardPanel.h"
#include "ErrorGuard.h"
#include "HelpViewer.h"
#include "Main.h"
#include "MessageBoxes.h"
#include "Messages.h"
#include "MovePanel.h"
#include "TaveloError.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
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
    }

    void enlargingKeepsTheCard()
    {
        TForm1 form(96);
        form.show();
        form.resize(800, 600);
        QCoreApplication::processEvents();
        QCOMPARE(form.Panel1->size(), QSize(344, 208));
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

        form.document().AddTextBox();
        QTimer::singleShot(0, form.AboutBox, [&] { form.AboutBox->OKButton->click(); });
        form.MenuAboutClick();
        QCoreApplication::processEvents();
        QCOMPARE(form.document().textBoxCount(), 1);   // not reset again
        QVERIFY(presenter.infos.isEmpty());
    }

    void menusAndShortcut()
    {
        TForm1 form(96);
        const QList<QPair<QAction *, QString>> items = {
            {form.MenuNew, QStringLiteral("新規作成(&N)")},
            {form.MenuOpen, QStringLiteral("開く(&O)...")},
            {form.MenuSave, QStringLiteral("上書き保存(&S)")},
            {form.MenuSaveAs, QStringLiteral("名前を付けて保存(&A)...")},
            {form.MenuPrintOption, QStringLiteral("書式設定(&F)...")},
            {form.MenuPrint, QStringLiteral("印刷(&P)...")},
            {form.MenuExit, QStringLiteral("終了(&X)")},
            {form.MenuNewBox, QStringLiteral("新規ﾃｷｽﾄﾎﾞｯｸｽ追加(&T)")},
            {form.MenuNewImage, QStringLiteral("新規ｲﾒｰｼﾞﾎﾞｯｸｽ追加(&I)")},
            {form.SearchforHelpOn1, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)...")},
            {form.MenuAbout, QStringLiteral("ｼﾞｰｼﾞｮﾝ情報(&A)...")},
            {form.MenuFont, QStringLiteral("フォント指定(&F)...")},
            {form.MenuSize, QStringLiteral("現在のﾌｫﾝﾄでｻｲｽﾞを調節(&S)")},
            {form.MenuDelete, QStringLiteral("このﾎﾞｯｸｽを削除(&D)")},
            {form.MenuImageDelete, QStringLiteral("このボックスを削除(&D)")},
        };
        for (const auto &item : items)
            QCOMPARE(item.first->text(), item.second);
        QStringList titles;
        for (QAction *a : form.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("ﾍﾙﾌﾟ(&H)")}));

        // Exactly these items have keys; every other action has none.
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
        const auto actions = form.findChildren<QAction *>();
        for (QAction *a : actions) {
            QCOMPARE(a->shortcuts(), keys.value(a->objectName()));
            if (!a->shortcuts().isEmpty())
                withKeys << a->objectName();
        }
        withKeys.sort();
        QStringList expected = keys.keys();
        expected.sort();
        QCOMPARE(withKeys, expected);
    }

    // The Edit menu: the two items, a separator, undo and redo, a separator,
    // the clipboard items; and in every menu no access key twice.
    void editMenuAndAccessKeys()
    {
        TForm1 form(96);
        QMenu *edit = form.menuBar()->findChild<QMenu *>(QStringLiteral("MenuEdit"));
        QVERIFY(edit);
        QStringList names;
        for (QAction *a : edit->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(names.mid(0, 11), (QStringList{QStringLiteral("MenuNewBox"), QStringLiteral("MenuNewImage"), QStringLiteral("-"),
                                                QStringLiteral("MenuUndo"), QStringLiteral("MenuRedo"), QStringLiteral("-"),
                                                QStringLiteral("MenuCut"), QStringLiteral("MenuCopy"), QStringLiteral("MenuPaste"),
                                                QStringLiteral("MenuDuplicate"), QStringLiteral("MenuDeleteBox")}));
        QList<QMenu *> menus = form.findChildren<QMenu *>();
        for (QMenu *menu : menus) {
            QStringList seen;
            for (QAction *a : menu->actions()) {
                const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
                if (a->isSeparator() || amp < 0)
                    continue;
                const QString key = a->text().mid(amp + 1, 1).toUpper();
                QVERIFY2(!seen.contains(key), qPrintable(menu->objectName() + QLatin1Char(' ') + a->text()));
                seen << key;
            }
        }
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

    void ctrlSRunsSave()
    {
        RecordingPresenter presenter;
        ScriptedFileDialogs dialogs;
        TForm1 form(96);
        form.setFileDialogs(&dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.windowTitle().endsWith(QStringLiteral("新規名刺.tvl")));
        form.activateWindow();
        QSignalSpy saves(form.MenuSave, &QAction::triggered);
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saves.count(), 1);
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.openRequests.size(), 0);
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

    void dragHandles()
    {
        RecordingPresenter presenter;
        TForm1 form(96);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.windowTitle().endsWith(QStringLiteral("新規名刺.tvl")));
        CardDocument &doc = form.document();
        const int slot = doc.AddTextBox();
        doc.setTextBounds(slot, {50, 50, 100, 20});
        form.closeEditor();
        doc.SetModified(false);
        TMovePanel *panel = form.textPanel(slot);
        QSignalSpy clicks(panel, &TMovePanel::clicked);
        QSignalSpy downs(panel, &TMovePanel::mouseDown);

        // Move handle: the box follows and keeps its size; a move is a change.
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseMove(panel, QPoint(23, 13));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(23, 13));
        QCOMPARE(doc.TextBoxes(slot)->bounds, (BoxBounds{70, 60, 100, 20}));
        QVERIFY(doc.Modified());

        // Size handle: bottom-right corner follows; the font follows the height.
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(95, 15));
        QTest::mouseMove(panel, QPoint(105, 25));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(105, 25));
        QCOMPARE(doc.TextBoxes(slot)->bounds, (BoxBounds{70, 60, 110, 30}));
        QCOMPARE(doc.TextBoxes(slot)->Font.height(), -28);
        QVERIFY(doc.Modified());

        // Presses in a handle, with either button, raise no click or mouse-down.
        QTest::mouseClick(panel, Qt::RightButton, {}, QPoint(2, 2));
        QTest::mouseClick(panel, Qt::RightButton, {}, QPoint(105, 25));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(downs.count(), 0);
    }
};

int main(int argc, char **argv)
{
    TaveloApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_mainwindow.moc"
