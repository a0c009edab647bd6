// Recovery copies: which copies a starting program may take, and when the
// autosave writes, keeps and removes the copy of the card.
#include "OpenFileLimit.h"
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

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

bool setModified(const QString &path, const QDateTime &when)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
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

// What a crash at every start for weeks leaves: count copies, one every ten
// minutes back from now (the newest "copy-0000"), their locks held by no one.
QDateTime manyCopiesTime(const QDateTime &now, int i) { return now.addSecs(-600 * i - 300); }

void leaveManyCopies(const QString &folder, int count, const QDateTime &now)
{
    for (int i = 0; i < count; ++i) {
        const QString base = folder + QStringLiteral("/copy-%1").arg(i, 4, 10, QLatin1Char('0'));
        QVERIFY(TestFiles::writeFile(base + ".tvl", "Tavelo DataFile\r\n") && TestFiles::writeFile(base + ".lock", ""));
        QVERIFY(setModified(base + ".tvl", manyCopiesTime(now, i)));
    }
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

    // Thousands of left copies cost a start no more descriptors than the few
    // it offers, and the newest comes first.
    void thousandsOfCopiesHoldFewDescriptors()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        leaveManyCopies(dir.path(), 5000, now);
        RecoverySession session(dir.path());
        OpenFileLimit limit(64);
        QVERIFY(limit.ok());
        const int before = ProcessUsage::openFileCount();
        const std::vector<LeftCopy> &claimed = session.claimLeftCopies();
        QCOMPARE(int(claimed.size()), RecoverySession::MaxClaimedCopies);
        QCOMPARE(claimed.front().id, QStringLiteral("copy-0000"));
        QCOMPARE(claimed.back().id, QStringLiteral("copy-0004"));
        QVERIFY(ProcessUsage::openFileCount() <= before + RecoverySession::MaxClaimedCopies);

        const QDateTime cutoff = now.addDays(-RecoverySession::StaleAfterDays);
        int stale = 0;
        for (int i = 0; i < 5000; ++i)
            stale += manyCopiesTime(now, i) < cutoff;
        QVERIFY(stale > 600 && stale < 700);
        QCOMPARE(session.countStale(cutoff), stale);
        QCOMPARE(session.deleteStale(cutoff), stale);
        QCOMPARE(session.countStale(cutoff), 0);
        // Declined: every copy goes, claimed or not.
        session.deleteLeftCopies();
        QCOMPARE(filesIn(dir.path()), QStringList{session.id() + ".lock"});
        QVERIFY(ProcessUsage::openFileCount() <= before);
    }

    // A copy that could not be read back is kept aside: never offered again,
    // never deleted with the declined ones, only when old.
    void aCopySetAsideIsKeptButNotOffered()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        leaveCopy(dir.path(), "100-bad", "no card", QStringLiteral("/a/名刺.tvl"), now);
        leaveCopy(dir.path(), "200-old", "old card", QStringLiteral("/a/古い.tvl"), now.addDays(-40));
        auto running = std::make_unique<RecoverySession>(dir.path());
        running->write("running card", QStringLiteral("/a/今.tvl"));
        QVERIFY(setModified(running->cardPath(), now.addDays(-40)));

        RecoverySession session(dir.path());
        QCOMPARE(idsOf(session.claimLeftCopies(1)), QStringList{"100-bad"});
        const QString kept = session.setAsideClaimed("100-bad");
        QCOMPARE(kept, dir.filePath("100-bad.tvl.bad"));
        QCOMPARE(TestFiles::readFile(kept), QByteArray("no card"));
        QVERIFY(QFile::exists(dir.filePath("100-bad.name.bad")));
        QCOMPARE(idsOf(session.claimLeftCopies()), QStringList{"200-old"});
        session.releaseClaimed();
        session.deleteLeftCopies();
        QVERIFY(QFile::exists(kept));

        // Old: the set-aside copy once it is; never a running program's copy.
        const QDateTime cutoff = now.addDays(-RecoverySession::StaleAfterDays);
        QCOMPARE(session.countStale(cutoff), 0);
        QVERIFY(setModified(kept, now.addDays(-31)));
        QCOMPARE(session.deleteStale(cutoff), 1);
        QVERIFY(!QFile::exists(kept) && !QFile::exists(dir.filePath("100-bad.name.bad")));
        QVERIFY(running->hasCopy());
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
