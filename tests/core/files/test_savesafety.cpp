// Saving never costs the user the card already on disk: a save that fails at
// any byte, or a program killed while it saves, leaves the old file or the
// new one whole, never a mix and never an empty file; a folder or a file that
// may not be written is told and changes nothing.
#include "TestFiles.h"
#include "Thrown.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "files/AtomicFile.h"
#include "files/UniqueFd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// A card of some size, with captions in kanji and kana.
QByteArray cardBytes(int captionLength)
{
    CardDocument doc;
    for (int i = 0; i < 6; ++i)
        doc.setTextCaption(doc.AddTextBox(), QStringLiteral("株式会社ﾀﾍﾞﾛ 営業部 %1 ").arg(i).repeated(captionLength));
    return CardFileBytes(doc).value_or(QByteArray());
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QString replaceCatching(const QString &path, const QByteArray &content, const AtomicFile::SystemCalls &calls = {})
{
    return thrownMessage([&] { AtomicFile::replace(path, content, calls); });
}

// A write that the disk lets through up to a given byte of the file, then
// fails with the given error, as a disk that fills up or breaks down does.
AtomicFile::SystemCalls failingAt(qsizetype offset, int error)
{
    auto written = std::make_shared<qsizetype>(0);
    AtomicFile::SystemCalls calls;
    calls.write = [=](int fd, const void *bytes, size_t size) -> ssize_t {
        const qsizetype room = offset - *written;
        if (room <= 0) {
            errno = error;
            return -1;
        }
        const ssize_t n = ::write(fd, bytes, std::min(size, size_t(room)));
        if (n > 0)
            *written += n;
        return n;
    };
    return calls;
}

// Runs work in a child process without the superuser's rights, which would
// write through any permission; returns what work returned, or a null string
// when the rights cannot be dropped.
QString asUnprivilegedUser(const std::function<QString()> &work)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        QByteArray answer = "\x01";   // could not drop the rights
        if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0))
            answer = work().toUtf8();
        const ssize_t n = ::write(channel[1], answer.constData(), size_t(answer.size()));
        ::_exit(n == answer.size() ? 0 : 1);
    }
    ::close(channel[1]);
    UniqueFd reading(channel[0]);
    QByteArray answer;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(reading.get(), buffer, sizeof buffer)) > 0)
        answer.append(buffer, qsizetype(n));
    int status = 0;
    ::waitpid(child, &status, 0);
    if (answer == "\x01")
        return QString();
    return QString::fromUtf8(answer);
}

} // namespace

class TestSaveSafety : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Whichever call fails, at whichever byte: the old file stays whole, the
    // temporary file is gone, and the message names the failure.
    void failingCall_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("disk fills up at every byte") << QStringLiteral("write") << ENOSPC << Msg::diskFull();
        QTest::newRow("sync fails") << QStringLiteral("fsync") << EIO << Msg::otherIoError(EIO);
        QTest::newRow("rename refused") << QStringLiteral("rename") << EACCES << Msg::accessDenied();
    }
    void failingCall()
    {
        QFETCH(QString, call);
        QFETCH(int, error);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        const QByteArray oldCard = cardBytes(1);
        const QByteArray newCard = cardBytes(2);
        QVERIFY(TestFiles::writeFile(path, oldCard));

        std::vector<qsizetype> offsets{newCard.size()};
        if (call == QLatin1String("write")) {
            offsets.clear();
            for (qsizetype offset = 0; offset < newCard.size(); ++offset)
                offsets.push_back(offset);
        }
        for (qsizetype offset : offsets) {
            AtomicFile::SystemCalls calls = call == QLatin1String("write") ? failingAt(offset, error) : AtomicFile::SystemCalls();
            if (call == QLatin1String("fsync"))
                calls.fsync = [=](int) { errno = error; return -1; };
            if (call == QLatin1String("rename"))
                calls.rename = [=](const char *, const char *) { errno = error; return -1; };
            QCOMPARE(replaceCatching(path, newCard, calls), message);
            QVERIFY2(TestFiles::readFile(path) == oldCard, qPrintable(QStringLiteral("at byte %1").arg(offset)));
            QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("card.tvl")});
        }
    }

    // A disk that takes a byte at a time still gets the whole card.
    void shortWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(path, "old"));
        const QByteArray newCard = cardBytes(2);
        AtomicFile::SystemCalls calls;
        calls.write = [](int fd, const void *bytes, size_t) { return ::write(fd, bytes, 1); };
        QCOMPARE(replaceCatching(path, newCard, calls), QString());
        QCOMPARE(TestFiles::readFile(path), newCard);
    }

    // The program killed at any moment of a save: the card on disk is the
    // old one or the new one, whole.
    void killedWhileSaving()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        const QByteArray oldCard = cardBytes(1500);
        const QByteArray newCard = cardBytes(2000);   // a quarter of a megabyte: the write takes a while
        // The kills are spread over the time one save takes, and a little past it.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(replaceCatching(dir.filePath(QStringLiteral("timing.tvl")), newCard), QString());
        const long saveMicroseconds = long(clock.nsecsElapsed() / 1000);
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("timing.tvl"))));
        const int rounds = 40;
        for (int round = 0; round < rounds; ++round) {
            QVERIFY(TestFiles::writeFile(path, oldCard));
            const pid_t child = ::fork();
            if (child == 0)
                ::_exit(replaceCatching(path, newCard).isEmpty() ? 0 : 1);
            QVERIFY(child > 0);
            QThread::usleep((unsigned long)(saveMicroseconds * round / (rounds - 8)));
            ::kill(child, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            const QByteArray onDisk = TestFiles::readFile(path);
            QVERIFY2(onDisk == oldCard || onDisk == newCard, qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(onDisk.size())));
        }
    }

    // A save removes the temporary files of saves that were killed, and
    // nothing else: not one another save holds locked, not a file that only
    // looks a little like one.
    void strayTemporaries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("locked");   // by another save
        QTest::addColumn<bool>("kept");
        QTest::newRow("left by a killed save") << QStringLiteral(".tavelo-save-1f2e3d4c.tmp") << false << false;
        QTest::newRow("another save writing") << QStringLiteral(".tavelo-save-1f2e3d4c.tmp") << true << true;
        QTest::newRow("not hexadecimal") << QStringLiteral(".tavelo-save-notes.tmp") << false << true;
    }
    void strayTemporaries()
    {
        QFETCH(QString, name);
        QFETCH(bool, locked);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString stray = dir.filePath(name);
        QVERIFY(TestFiles::writeFile(stray, "half a card"));
        // A lock on an open file of its own stands for another process's.
        UniqueFd holder(::open(QFile::encodeName(stray).constData(), O_RDONLY | O_CLOEXEC));
        QVERIFY(holder.isOpen());
        if (locked)
            QCOMPARE(::flock(holder.get(), LOCK_EX), 0);
        QCOMPARE(replaceCatching(dir.filePath(QStringLiteral("card.tvl")), cardBytes(1)), QString());
        QStringList expected{QStringLiteral("card.tvl")};
        if (kept)
            expected << name;
        expected.sort();
        QCOMPARE(folderEntries(dir.path()), expected);
        if (kept)
            QCOMPARE(TestFiles::readFile(stray), QByteArray("half a card"));
    }

    // A read-only card is not replaced, though its folder would allow it.
    // The superuser writes through permissions, so the save runs in a child
    // without those rights.
    void readOnlyFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(path, "the old card"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        // A folder that anyone may write to: the file alone says no.
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        const QString message = asUnprivilegedUser([&] {
            const CardDocument doc;
            const QString failed = thrownMessage([&] { WriteCardFile(doc, path); });
            return failed.isEmpty() ? QStringLiteral("saved") : failed;
        });
        if (message.isNull())
            QSKIP("cannot run as an unprivileged user here");
        QCOMPARE(message, Msg::accessDenied());
        QCOMPARE(TestFiles::readFile(path), QByteArray("the old card"));
        QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("card.tvl")});
    }

    // A folder that takes no new file is named: the card's name alone does
    // not tell the user where the save was refused.
    void readOnlyFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("read-only"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("read-only")));
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        const QString message = asUnprivilegedUser([&] {
            const CardDocument doc;
            const QString failed = thrownMessage([&] { WriteCardFile(doc, folder + QStringLiteral("/card.tvl")); });
            return failed.isEmpty() ? QStringLiteral("saved") : failed;
        });
        if (message.isNull())
            QSKIP("cannot run as an unprivileged user here");
        QCOMPARE(message, Msg::cannotWriteInFolder(folder, Msg::accessDenied()));
        QCOMPARE(folderEntries(folder), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSaveSafety)
#include "test_savesafety.moc"
