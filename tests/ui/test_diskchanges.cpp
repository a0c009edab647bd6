// Two programs on one card: a save never writes over another program's
// change without asking, and a change on disk to a card not changed here is
// offered to be read again.
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"

#include <QFileSystemWatcher>

#include <cstdio>

namespace {

QByteArray cardWith(const QString &caption)
{
    return TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord(QStringLiteral("#0"), caption));
}

// A window with the card "mine.tvl" open, as the other program found it.
struct Window : TestWindow {
    QTemporaryDir dir;
    QString card = dir.filePath(QStringLiteral("mine.tvl"));
    Window()
    {
        TestFiles::writeFile(card, cardWith(QStringLiteral("元の名刺")));
        form.openCardFile(card);
    }
    // The other program saves the card as it saves: a new file renamed into place.
    void otherProgramSaves(const QString &caption)
    {
        QVERIFY(TestFiles::writeFile(card + ".tmp", cardWith(caption)));
        QVERIFY(std::rename(QFile::encodeName(card + ".tmp"), QFile::encodeName(card)) == 0);
    }
    void changeHere(const QString &caption) { history().setCaption(0, caption); }
    QByteArray savedHere() { return *CardFileBytes(doc()); }
};

}   // namespace

class TestDiskChanges : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The other program saved first; this one's Save asks. Overwrite writes
    // this card, Save As writes it elsewhere, Cancel writes nothing and says
    // so to whoever asked for the save.
    void aSaveOverAnotherProgramsChangeAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");
        QTest::newRow("overwrite") << int(mrOverwrite) << true;
        QTest::newRow("save as") << int(mrSaveAs) << true;
        QTest::newRow("cancel") << int(mrCancel) << false;
    }
    void aSaveOverAnotherProgramsChangeAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, saved);
        Window w;
        w.otherProgramSaves(QStringLiteral("他方の変更"));
        const QByteArray theirs = TestFiles::readFile(w.card);
        w.changeHere(QStringLiteral("こちらの変更"));
        const QByteArray mine = w.savedHere();
        const QString elsewhere = w.dir.filePath(QStringLiteral("elsewhere.tvl"));
        w.files.saveAnswers << elsewhere;
        w.presenter.answers << answer;
        QCOMPARE(w.form.SaveDocument(), saved);
        QCOMPARE(w.presenter.infos, QStringList{Msg::askOverwriteChanged(w.card)});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButton::Overwrite | MsgButton::SaveAs | MsgButton::Cancel);
        QCOMPARE(TestFiles::readFile(w.card), answer == mrOverwrite ? mine : theirs);
        QCOMPARE(QFile::exists(elsewhere), answer == mrSaveAs);
        QCOMPARE(w.doc().Modified(), !saved);
        QCOMPARE(w.doc().DocFileName(), answer == mrSaveAs ? elsewhere : w.card);

        // Once written (or declined), the next save asks again only when
        // the file changes again.
        if (saved) {
            w.changeHere(QStringLiteral("もう一度"));
            QVERIFY(w.form.SaveDocument());
            QCOMPARE(w.presenter.infos.size(), 1);
        }
    }

    // Its own saves, the card read again, and a file saved by someone with
    // the same bytes ask nothing.
    void noQuestionWithoutAnotherChange()
    {
        Window w;
        w.changeHere(QStringLiteral("一"));
        QVERIFY(w.form.SaveDocument());
        w.changeHere(QStringLiteral("二"));
        QVERIFY(w.form.SaveDocument());
        QVERIFY(TestFiles::writeFile(w.card, TestFiles::readFile(w.card)));
        w.changeHere(QStringLiteral("三"));
        QVERIFY(w.form.SaveDocument());
        QTest::qWait(400);   // the watcher's own look at the saves
        w.form.checkCardOnDisk();
        QCOMPARE(w.presenter.infos, QStringList());
    }

    // Closing with a save whose overwrite was cancelled keeps the window:
    // neither card is lost.
    void closeKeepsTheWindowWhenTheSaveIsCancelled()
    {
        Window w;
        w.otherProgramSaves(QStringLiteral("他方の変更"));
        w.changeHere(QStringLiteral("こちらの変更"));
        w.presenter.answers << mrYes << mrCancel;
        QVERIFY(!w.form.close());
        QVERIFY(w.form.isVisible() && w.doc().Modified());
        QCOMPARE(w.presenter.infos, (QStringList{w.card + Msg::askSave(), Msg::askOverwriteChanged(w.card)}));
        QCOMPARE(TestFiles::readFile(w.card), cardWith(QStringLiteral("他方の変更")));
    }

    // A card deleted or moved away by another program is not silently put
    // back either.
    void aDeletedCardAsksBeforeItIsSavedAgain_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(mrYes);
        QTest::newRow("cancel") << int(mrCancel);
    }
    void aDeletedCardAsksBeforeItIsSavedAgain()
    {
        QFETCH(int, answer);
        Window w;
        QVERIFY(QFile::remove(w.card));
        w.form.checkCardOnDisk();   // nothing to read again
        QCOMPARE(w.presenter.infos, QStringList());
        w.changeHere(QStringLiteral("こちらの変更"));
        w.presenter.answers << answer;
        QCOMPARE(w.form.SaveDocument(), answer == mrYes);
        QCOMPARE(w.presenter.infos, QStringList{Msg::askSaveVanished(w.card)});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButton::Yes | MsgButton::SaveAs | MsgButton::Cancel);
        QCOMPARE(QFile::exists(w.card), answer == mrYes);
    }

    // An unchanged card whose file another program saves is offered to be
    // read again, once for each change; a card changed here is not (its
    // save asks).
    void anUnchangedCardIsOfferedAgain()
    {
        Window w;
        w.otherProgramSaves(QStringLiteral("他方の変更"));
        w.presenter.answers << mrNo;
        w.form.checkCardOnDisk();
        QCOMPARE(w.presenter.infos, QStringList{Msg::askReloadChanged(w.card)});
        QCOMPARE(w.presenter.infoButtons.value(0), MsgButton::Yes | MsgButton::No);
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("元の名刺"));
        w.form.checkCardOnDisk();   // declined: not asked again for the same file
        QCOMPARE(w.presenter.infos.size(), 1);

        w.otherProgramSaves(QStringLiteral("三度目"));
        w.presenter.answers << mrYes;
        w.form.checkCardOnDisk();
        QCOMPARE(w.presenter.infos.size(), 2);
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("三度目"));
        QVERIFY(!w.doc().Modified());
        QCOMPARE(w.form.windowTitle(), Msg::titlePrefix() + w.card);
        QCOMPARE(w.history().stack().count(), 0);

        // Read again, it saves without a question.
        w.changeHere(QStringLiteral("こちらの変更"));
        QVERIFY(w.form.SaveDocument());
        w.otherProgramSaves(QStringLiteral("他方の変更"));
        w.changeHere(QStringLiteral("未保存"));
        w.form.checkCardOnDisk();
        QCOMPARE(w.presenter.infos.size(), 2);
    }

    // Watchers miss some changes (a file renamed into place on some file
    // systems, a network folder): coming back to the window checks as well.
    void activationNoticesAnotherProgramsSave()
    {
        Window w;
        auto *watcher = w.form.findChild<QFileSystemWatcher *>();
        QVERIFY(watcher);
        watcher->blockSignals(true);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        w.otherProgramSaves(QStringLiteral("他方の変更"));
        QTest::qWait(100);
        QCOMPARE(w.presenter.infos, QStringList());
        w.presenter.answers << mrYes;
        w.form.activateWindow();
        QTRY_COMPARE(w.presenter.infos, QStringList{Msg::askReloadChanged(w.card)});
        QCOMPARE(w.doc().TextBoxes(0)->Caption, QStringLiteral("他方の変更"));
    }

    // The file's watcher notices a save of the other program without the
    // window being activated, whether the file is written in place or
    // renamed into place, and again after it.
    void theWatcherNoticesAnotherProgramsSave()
    {
        Window w;
        w.presenter.answers << mrYes << mrYes;
        QVERIFY(TestFiles::writeFile(w.card, cardWith(QStringLiteral("上書きで保存"))));
        QTRY_COMPARE_WITH_TIMEOUT(w.doc().TextBoxes(0)->Caption, QStringLiteral("上書きで保存"), 10000);
        w.otherProgramSaves(QStringLiteral("名前を変えて保存"));
        QTRY_COMPARE_WITH_TIMEOUT(w.doc().TextBoxes(0)->Caption, QStringLiteral("名前を変えて保存"), 10000);
        QCOMPARE(w.presenter.infos, QStringList(2, Msg::askReloadChanged(w.card)));
    }
};

TAVELO_UI_TEST_MAIN(TestDiskChanges)
#include "test_diskchanges.moc"
