// New, Open, Save, Save As and closing, with the save question answered by
// the test and file dialogs that answer from a script.
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"
#include "widgets/InlineEditor.h"

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
    // first, No goes on, Cancel stops.
    void saveQuestion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::newRow("new: yes") << "new" << int(mrYes);
        QTest::newRow("open: no") << "open" << int(mrNo);
        QTest::newRow("close: cancel") << "close" << int(mrCancel);
    }
    void saveQuestion()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        const bool goesOn = answer != mrCancel, isNew = command == QLatin1String("new");
        Window w;
        w.addBox(QStringLiteral("営業部"));
        w.doc().setPrintSettings({0, 5, 5});
        const QString card = w.card(QStringLiteral("c.tvl"), QStringLiteral("theirs"));
        w.presenter.answers << answer;
        w.files.saveAnswers << w.path(QStringLiteral("card.tvl"));
        const QString question = w.question();
        w.files.openAnswers << card;
        if (command == QLatin1String("close"))
            QCOMPARE(w.form.close(), goesOn);
        else
            (isNew ? w.form.MenuNew : w.form.MenuOpen)->trigger();
        QCOMPARE(w.presenter.infos, QStringList{question});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QCOMPARE(QFile::exists(w.path(QStringLiteral("card.tvl"))), answer == mrYes);
        QCOMPARE(w.doc().Modified(), !goesOn);
        if (!goesOn)
            QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("営業部"));
        else if (isNew)
            QCOMPARE(w.doc().printSettings(), (PrintSettings{1, 0, 0}));
        else
            QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("theirs"));
        QCOMPARE(w.doc().textBoxCount(), isNew && goesOn ? 0 : 1);
        QCOMPARE(w.doc().DocFileName(), goesOn && !isNew ? card : kNewName);
    }

    void saveClearsModified()
    {
        Window w;
        w.addBox(QStringLiteral("A"));
        w.form.MenuSave->trigger();   // Save As cancelled: nothing written, no name
        QVERIFY(QDir(w.dir.path()).isEmpty() && w.doc().DocFileName() == kNewName);
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

    // Right after a card was opened, the close query asks once the user
    // has clicked a box, not when a box was only chosen.
    void closeQueryAsksAfterAClick()
    {
        Window w;
        w.files.openAnswers << w.card(QStringLiteral("c.tvl"), QStringLiteral("名前"));
        w.form.MenuOpen->trigger();
        w.doc().SetCurrentBox(BoxRef::text(0));
        QVERIFY(w.form.FormCloseQuery());
        w.form.MovePanelClick(0);
        w.form.closeEditor();
        w.presenter.answers << mrCancel;
        QVERIFY(!w.form.FormCloseQuery());
        QCOMPARE(w.presenter.infos, QStringList{w.question()});
    }

    void openReadsCard()
    {
        Window w;
        const QString card = w.card(QStringLiteral("b.tvl"), QStringLiteral("読み込み"));
        w.files.openAnswers << card << card;
        w.form.MenuOpen->trigger();
        QCOMPARE(w.files.openRequests.at(0).initialFile, kNewName);
        QCOMPARE(w.form.Edit1->text(), QStringLiteral("読み込み"));
        w.form.MenuOpen->trigger();   // the same file again: the message, nothing else
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
