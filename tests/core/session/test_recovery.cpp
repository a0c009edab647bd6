// Recovery copies: which copies a starting program may take, and when the
// autosave writes, keeps and removes the copy of the card.
#include "RecordingSink.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "session/CardAutosave.h"
#include "session/RecoveryCopies.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <memory>

namespace {
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// What a program that was killed leaves: a card, its name and a lock file nobody holds.
void leaveCopy(const QString &folder, const QString &id, const QByteArray &card, const QString &name, const QDateTime &when)
{
    const QString base = folder + "/" + id;
    QVERIFY(TestFiles::writeFile(base + ".tvl", card) && TestFiles::writeFile(base + ".name", name.toUtf8())
            && TestFiles::writeFile(base + ".lock", "12345\n"));
    QFile file(base + ".tvl");
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime));
}

QStringList idsOf(const std::vector<LeftCopy> &copies)
{
    QStringList ids;
    for (const LeftCopy &copy : copies)
        ids << copy.id;
    return ids;
}
}

class TestRecovery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A running program's copy is never taken; the lock of a program that
    // left no copy is cleaned away.
    void aRunningProgramsCopyIsNeverTaken()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath("300-x.lock"), "300\n"));
        auto running = std::make_unique<RecoverySession>(dir.path());
        running->write("card", QStringLiteral("/home/me/名刺.tvl"));
        RecoverySession starting(dir.path());
        QVERIFY(starting.claimLeftCopies().empty());
        // Closed cleanly: nothing of it stays.
        running.reset();
        QVERIFY(starting.claimLeftCopies().empty());
        QCOMPARE(filesIn(dir.path()), QStringList{starting.id() + ".lock"});
    }

    // A killed program's copies go, newest first, to one starting program
    // only; the ones it does not take are left for a later start.
    void leftCopiesAreTakenByOneProgramOnly()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        leaveCopy(dir.path(), "100-old", "older card", QStringLiteral("/a/古い.tvl"), now.addSecs(-60));
        leaveCopy(dir.path(), "200-new", "newer card", QStringLiteral("/a/新しい.tvl"), now);
        RecoverySession first(dir.path());
        const std::vector<LeftCopy> &claimed = first.claimLeftCopies();
        QCOMPARE(idsOf(claimed), (QStringList{"200-new", "100-old"}));
        QCOMPARE(claimed.front().docFileName, QStringLiteral("/a/新しい.tvl"));
        QCOMPARE(TestFiles::readFile(claimed.front().cardPath), QByteArray("newer card"));
        RecoverySession second(dir.path());
        QVERIFY(second.claimLeftCopies().empty());
        first.deleteClaimed("200-new");
        first.releaseClaimed();
        QCOMPARE(idsOf(second.claimLeftCopies()), QStringList{"100-old"});
        second.deleteClaimed();
        QStringList locks{first.id() + ".lock", second.id() + ".lock"};
        locks.sort();
        QCOMPARE(filesIn(dir.path()), locks);
    }

    void theCopyFollowsTheCard()
    {
        QTemporaryDir dir;
        RecordingSink sink;
        CardDocument doc;
        doc.setMessageSink(&sink);
        doc.SetDocFileName(QStringLiteral("/home/me/card.tvl"));
        QUndoStack history;
        RecoverySession session(dir.path());
        CardAutosave autosave(doc, &history, session);
        autosave.setDelays(20, 20);
        autosave.cardMatchesFile();

        const int slot = doc.AddTextBox();
        doc.setTextCaption(slot, QStringLiteral("営業部"));
        QTRY_VERIFY(session.hasCopy());
        QCOMPARE(TestFiles::readFile(session.cardPath()), *CardFileBytes(doc));
        QCOMPARE(TestFiles::readFile(dir.filePath(session.id() + ".name")), QByteArray("/home/me/card.tvl"));

        doc.setTextCaption(slot, QStringLiteral("総務部"));
        QTRY_COMPARE(TestFiles::readFile(session.cardPath()), *CardFileBytes(doc));

        // Saved, then changed and changed back to what the file holds: no copy needed.
        autosave.cardMatchesFile();
        QVERIFY(!session.hasCopy());
        doc.setTextCaption(slot, QStringLiteral("人事部"));
        QTRY_VERIFY(session.hasCopy());
        doc.setTextCaption(slot, QStringLiteral("総務部"));
        QTRY_VERIFY(!session.hasCopy());
        QVERIFY(sink.told.isEmpty());

        doc.setTextCaption(slot, QStringLiteral("人事部"));
        autosave.stop();
        QTest::qWait(60);
        QVERIFY(!session.hasCopy());
    }

    void failedCopiesAreRetriedAndToldOnce()
    {
        QTemporaryDir dir;
        // A folder below a plain file cannot be made, whoever runs the test.
        QVERIFY(TestFiles::writeFile(dir.filePath("file"), "x"));
        RecordingSink sink;
        CardDocument doc;
        doc.setMessageSink(&sink);
        RecoverySession session(dir.filePath("file/recovery"));
        CardAutosave autosave(doc, nullptr, session);
        autosave.setDelays(10, 10);
        autosave.cardMatchesFile();
        doc.AddTextBox();
        QTRY_VERIFY(autosave.failures() >= CardAutosave::FailuresBeforeMessage + 2);
        QCOMPARE(sink.infos.size(), 1);
        QVERIFY(sink.infos.first().contains(dir.filePath("file/recovery")));
        autosave.stop();
    }

    // A file where the recovery folder, or a folder above it, should be is
    // named, not told as a bare error number.
    void aFileInTheFolderPlaceIsNamed_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("named");
        QTest::newRow("the folder is a file") << "file" << "file";
        QTest::newRow("a folder above is a file") << "file/tavelo/recovery" << "file";
    }
    void aFileInTheFolderPlaceIsNamed()
    {
        QFETCH(QString, folder);
        QFETCH(QString, named);
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath("file"), "x"));
        RecoverySession session(dir.filePath(folder));
        QString message;
        try {
            session.write("Tavelo DataFile\r\n", QString());
        } catch (const TaveloError &e) {
            message = e.message();
        }
        QCOMPARE(message, Msg::notAFolder(dir.filePath(named)));
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
