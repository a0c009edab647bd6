// New, Open, Save, Save As and closing, with the save question answered by
// the test and file dialogs that answer from a script.
#include "CardFile.h"
#include "InlineEditor.h"
#include "UiTestSupport.h"

#include <QUndoStack>

using WindowAction = std::function<void(TForm1 &)>;
Q_DECLARE_METATYPE(WindowAction)

namespace {
const QString kNewName = QStringLiteral("新規名刺.tvl");

struct Window : TestWindow {
    QTemporaryDir dir;
    QString path(const QString &name) { return dir.filePath(name); }
    void addBox(const QString &caption)
    {
        const int slot = doc().AddTextBox();
        doc().setTextCaption(slot, caption);
    }
    // A card file on disk with one text box.
    QString card(const QString &name, const QString &caption)
    {
        return writeCard(path(name), caption, TestFiles::fixedLines(0, 7, 9));
    }
    QString question() { return form.document().DocFileName() + Msg::askSave(); }
};
}

class TestDocumentCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // New, Open and closing ask whether to save a changed card: Yes saves
    // first (and stops when Save As is cancelled), No goes on, Cancel stops.
    void saveQuestion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveAsChoice");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("new: yes, saved") << "new" << int(mrYes) << true << true;
        QTest::newRow("new: yes, Save As cancelled") << "new" << int(mrYes) << false << false;
        QTest::newRow("open: no") << "open" << int(mrNo) << false << true;
        QTest::newRow("close: cancel") << "close" << int(mrCancel) << false << false;
    }
    void saveQuestion()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, saveAsChoice);
        QFETCH(bool, goesOn);
        Window w;
        w.addBox(QStringLiteral("営業部"));
        w.doc().setPrintSettings({0, 5, 5});
        const QString card = w.card(QStringLiteral("c.tvl"), QStringLiteral("theirs"));
        w.presenter.answers << answer;
        if (saveAsChoice)
            w.files.saveAnswers << w.path(QStringLiteral("card.tvl"));
        const QString question = w.question();
        w.files.openAnswers << card;
        if (command == QLatin1String("close"))
            QCOMPARE(w.form.close(), goesOn);
        else
            (command == QLatin1String("new") ? w.form.MenuNew : w.form.MenuOpen)->trigger();
        QCOMPARE(w.presenter.infos, QStringList{question});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QCOMPARE(QFile::exists(w.path(QStringLiteral("card.tvl"))), saveAsChoice);
        QCOMPARE(w.doc().Modified(), !goesOn);
        if (!goesOn)
            QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("営業部"));
        else if (command == QLatin1String("open"))
            QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("theirs"));
        else
            QCOMPARE(w.doc().printSettings(), (PrintSettings{1, 0, 0}));
        QCOMPARE(w.doc().textBoxCount(), command == QLatin1String("new") && goesOn ? 0 : 1);
        QCOMPARE(w.doc().DocFileName(), goesOn && command == QLatin1String("open") ? card : kNewName);
    }

    void saveClearsModified()
    {
        Window w;
        w.addBox(QStringLiteral("A"));
        w.form.MenuSave->trigger();   // Save As cancelled: nothing written, no name
        QCOMPARE(w.doc().DocFileName(), kNewName);
        QVERIFY(w.dir.isValid() && QDir(w.dir.path()).isEmpty());
        w.files.saveAnswers << w.path(QStringLiteral("a.tvl"));
        w.form.MenuSave->trigger();   // unnamed: Save As
        QCOMPARE(w.files.saveRequests.size(), 2);
        QCOMPARE(w.files.saveRequests.at(0).filter, QStringLiteral("名刺 files (*.tvl)|*.tvl"));
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Tavelo 2.0 - ") + w.path(QStringLiteral("a.tvl")));
        QVERIFY(!w.doc().Modified());
        w.doc().setTextCaption(0, QStringLiteral("B"));
        w.form.MenuSave->trigger();   // named now: no dialog
        QCOMPARE(w.files.saveRequests.size(), 2);
        QVERIFY(!w.doc().Modified());
    }

    // Right after a card was opened, the close query asks exactly when the
    // user did something to the card.
    void closeQueryAsksAfterAChange_data()
    {
        QTest::addColumn<WindowAction>("action");
        QTest::addColumn<bool>("asks");
        const auto row = [](const char *name, WindowAction action, bool asks) { QTest::newRow(name) << action << asks; };
        row("a box clicked and left unchanged", [](TForm1 &f) { f.MovePanelClick(0); f.closeEditor(); }, true);
        row("print settings kept", [](TForm1 &f) { f.history().setPrintSettings(f.document().printSettings()); }, false);
        row("a change undone", [](TForm1 &f) { f.history().setPrintSettings({1, 2, 3}); f.history().stack().undo(); }, true);
        row("a change saved", [](TForm1 &f) { f.history().setPrintSettings({1, 2, 3}); f.MenuSave->trigger(); }, false);
        row("the current box chosen", [](TForm1 &f) { f.document().SetCurrentBox(BoxRef::text(0)); }, false);
    }
    void closeQueryAsksAfterAChange()
    {
        QFETCH(WindowAction, action);
        QFETCH(bool, asks);
        Window w;
        w.files.openAnswers << w.card(QStringLiteral("c.tvl"), QStringLiteral("名前"));
        w.form.MenuOpen->trigger();
        action(w.form);
        w.presenter.answers << mrCancel;
        QCOMPARE(w.form.FormCloseQuery(), !asks);
        QCOMPARE(w.presenter.infos, asks ? QStringList{w.question()} : QStringList());
    }

    void openReadsCard()
    {
        Window w;
        const QString card = w.card(QStringLiteral("b.tvl"), QStringLiteral("読み込み"));
        w.files.openAnswers << card;
        w.form.MenuOpen->trigger();
        QCOMPARE(w.files.openRequests.at(0).initialFile, kNewName);
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Tavelo 2.0 - ") + card);
        QCOMPARE(w.form.Edit1->text(), QStringLiteral("読み込み"));
        // The same file again: the message, nothing else.
        w.files.openAnswers << card;
        w.form.MenuOpen->trigger();
        QCOMPARE(w.presenter.infos, QStringList{card + Msg::nowEditing()});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButtons(MsgButton::Yes));
        QCOMPARE(w.doc().textBoxCount(), 1);
        // A missing file: the error, and the window takes the name all the same.
        const QString missing = w.path(QStringLiteral("none.tvl"));
        w.files.openAnswers << missing;
        w.form.MenuOpen->trigger();
        QCOMPARE(w.presenter.errors, QStringList{Msg::fileNotFound() + QLatin1Char('.')});
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Tavelo 2.0 - ") + missing);
    }

    void failedSaveKeepsOldFile()
    {
        Window w;
        const QString card = w.card(QStringLiteral("keep.tvl"), QStringLiteral("old"));
        const QByteArray before = TestFiles::readFile(card);
        w.files.openAnswers << card;
        w.form.MenuOpen->trigger();
        // A font name the file cannot hold: the save is refused with a message.
        BoxFont font = w.doc().TextBoxes(0)->Font;
        font.setName(QStringLiteral("Font €"));
        w.doc().setTextFont(0, font);
        w.presenter.answers << mrOk << mrYes;   // the refusal, then the save question
        w.form.MenuSave->trigger();
        QCOMPARE(w.presenter.infos.size(), 1);
        QCOMPARE(TestFiles::readFile(card), before);
        w.form.MenuNew->trigger();   // Yes, but the save fails: nothing is reset
        QCOMPARE(w.doc().textBoxCount(), 1);
    }
};

TAVELO_UI_TEST_MAIN(TestDocumentCommands)
#include "test_documentcommands.moc"
