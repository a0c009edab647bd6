// Where a save or a print job writes: through a symbolic link only where the
// system's protected-symlinks rule would follow it, never over a device or a
// pipe; a job's output goes into a device, a pipe or an open file as a stream.
// The hostile files are made here: links planted by another user in a sticky
// folder everyone may write to, FIFOs, a device node.
#include "FifoReader.h"
#include "TestFiles.h"
#include "Thrown.h"
#include "base/Messages.h"
#include "files/AtomicFile.h"
#include "files/UniqueFd.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Another user: the links and pipes they plant are theirs.
constexpr uid_t OtherUser = 65534;

bool isRoot() { return ::geteuid() == 0; }

QByteArray native(const QString &path) { return QFile::encodeName(path); }

bool makeFolder(const QString &path, mode_t mode, uid_t owner)
{
    return ::mkdir(native(path).constData(), 0700) == 0 && ::chmod(native(path).constData(), mode) == 0
           && (owner == ::geteuid() || ::chown(native(path).constData(), owner, gid_t(-1)) == 0);
}

bool makeLink(const QString &link, const QString &target, uid_t owner)
{
    return ::symlink(native(target).constData(), native(link).constData()) == 0
           && (owner == ::geteuid() || ::lchown(native(link).constData(), owner, gid_t(-1)) == 0);
}

mode_t typeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestWriteTarget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A save through a link in the folder "shared": followed or refused by
    // the link's owner, the folder's owner and mode. The card the link
    // points to lies outside it.
    void linkRule_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<bool>("otherOwnsFolder");
        QTest::addColumn<bool>("otherOwnsLink");
        QTest::addColumn<QString>("how");   // "file": a link to the card; "chain": an own link to that link; "folder": a link to its folder
        QTest::addColumn<bool>("followed");
        QTest::newRow("own link, sticky folder for all") << 01777 << false << false << "file" << true;
        QTest::newRow("own folder link, sticky folder for all") << 01777 << false << false << "folder" << true;
        QTest::newRow("other's link, sticky folder for all") << 01777 << false << true << "file" << false;
        QTest::newRow("other's link reached by an own link") << 01777 << false << true << "chain" << false;
        QTest::newRow("other's link to a folder on the way") << 01777 << false << true << "folder" << false;
        QTest::newRow("other's link, the folder theirs too") << 01777 << true << true << "file" << true;
        QTest::newRow("other's link, ordinary folder") << 0755 << false << true << "file" << true;
        QTest::newRow("other's link, sticky folder not for all") << 01775 << false << true << "file" << true;
        QTest::newRow("other's link, folder for all without sticky") << 0777 << false << true << "file" << true;
    }
    void linkRule()
    {
        QFETCH(int, folderMode);
        QFETCH(bool, otherOwnsFolder);
        QFETCH(bool, otherOwnsLink);
        QFETCH(QString, how);
        QFETCH(bool, followed);
        if ((otherOwnsFolder || otherOwnsLink) && !isRoot())
            QSKIP("giving a link to another user needs the superuser");
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("real.tvl"));
        const QString shared = dir.filePath(QStringLiteral("shared"));
        QVERIFY(TestFiles::writeFile(real, "the old card"));
        QVERIFY(makeFolder(shared, mode_t(folderMode), otherOwnsFolder ? OtherUser : ::geteuid()));
        const uid_t linkOwner = otherOwnsLink ? OtherUser : ::geteuid();
        QString saved = shared + QStringLiteral("/card.tvl");
        QString refusedLink = saved;
        if (how == QLatin1String("folder")) {
            QVERIFY(makeLink(shared + QStringLiteral("/cards"), dir.path(), linkOwner));
            saved = shared + QStringLiteral("/cards/real.tvl");
            refusedLink = shared + QStringLiteral("/cards");
        } else if (how == QLatin1String("chain")) {
            QVERIFY(makeLink(shared + QStringLiteral("/hop.tvl"), real, linkOwner));
            QVERIFY(makeLink(saved, QStringLiteral("hop.tvl"), ::geteuid()));
            refusedLink = shared + QStringLiteral("/hop.tvl");
        } else {
            QVERIFY(makeLink(saved, QStringLiteral("../real.tvl"), linkOwner));
        }
        const QStringList sharedBefore = entries(shared);

        const QString message = thrownMessage([&] { AtomicFile::replace(saved, "the new card"); });
        QCOMPARE(message, followed ? QString() : Msg::linkNotFollowed(refusedLink));
        QCOMPARE(TestFiles::readFile(real), followed ? QByteArray("the new card") : QByteArray("the old card"));
        QCOMPARE(typeOf(real), mode_t(S_IFREG));
        QCOMPARE(entries(shared), sharedBefore);   // the links stay links, no file is left beside them
        QCOMPARE(entries(dir.path()), (QStringList{"real.tvl", "shared"}));
    }

    // A save never puts a file in the place of a pipe or a device, nor writes
    // into one: the card would be gone. A print job's output is written into
    // them, and they stay what they were.
    void pipesAndDevices_data()
    {
        QTest::addColumn<mode_t>("type");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("FIFO") << mode_t(S_IFIFO) << false;
        QTest::newRow("link to a FIFO") << mode_t(S_IFIFO) << true;
        QTest::newRow("device") << mode_t(S_IFCHR) << false;
        QTest::newRow("link to a device") << mode_t(S_IFCHR) << true;
    }
    void pipesAndDevices()
    {
        QFETCH(mode_t, type);
        QFETCH(bool, throughLink);
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("node"));
        // The device is a null device of the test's own, so that a fault
        // cannot reach the system's /dev/null.
        if (::mknod(native(node).constData(), type | 0666, type == S_IFCHR ? makedev(1, 3) : 0) != 0)
            QSKIP("cannot make the node here (a device needs the superuser)");
        QString path = node;
        if (throughLink) {
            path = dir.filePath(QStringLiteral("out.pdf"));
            QVERIFY(makeLink(path, QStringLiteral("node"), ::geteuid()));
        }
        const QStringList before = entries(dir.path());

        std::unique_ptr<FifoReader> reader;
        if (type == S_IFIFO)
            reader = std::make_unique<FifoReader>(node);
        QCOMPARE(thrownMessage([&] { AtomicFile::replace(path, "a card"); }), Msg::notRegularFile(path));
        if (reader)
            QCOMPARE(reader->finish(), QByteArray());
        QCOMPARE(typeOf(node), type);
        QCOMPARE(entries(dir.path()), before);

        const QByteArray pdf = QByteArray("%PDF-1.4 ").repeated(20000);   // more than a pipe holds
        reader.reset();
        if (type == S_IFIFO)
            reader = std::make_unique<FifoReader>(node);
        QCOMPARE(thrownMessage([&] { AtomicFile::write(path, pdf); }), QString());
        if (reader)
            QCOMPARE(reader->finish(), pdf);
        QCOMPARE(typeOf(node), type);
        QCOMPARE(entries(dir.path()), before);
    }

    // Another user's pipe in a sticky folder would take the output away.
    void otherUsersPipeInSharedFolder()
    {
        if (!isRoot())
            QSKIP("giving a FIFO to another user needs the superuser");
        QTemporaryDir dir;
        const QString shared = dir.filePath(QStringLiteral("shared"));
        QVERIFY(makeFolder(shared, 01777, ::geteuid()));
        const QString fifo = shared + QStringLiteral("/out.pdf");
        QCOMPARE(::mkfifo(native(fifo).constData(), 0666), 0);
        QCOMPARE(::chown(native(fifo).constData(), OtherUser, gid_t(-1)), 0);
        FifoReader reader(fifo);
        QCOMPARE(thrownMessage([&] { AtomicFile::write(fifo, "a card sheet"); }), Msg::foreignStream(fifo));
        QCOMPARE(reader.finish(), QByteArray());
    }

    // /dev/stdout and /dev/fd/N name the process's own open file: written
    // where it stands, so that a shell's ">>" appends and a pipe gets it all.
    void ownOpenFile_data()
    {
        QTest::addColumn<QString>("name");   // %1: the descriptor
        QTest::newRow("/dev/fd/N") << QStringLiteral("/dev/fd/%1");
        QTest::newRow("/proc/self/fd/N") << QStringLiteral("/proc/self/fd/%1");
    }
    void ownOpenFile()
    {
        QFETCH(QString, name);
        if (!QFileInfo::exists(QStringLiteral("/proc/self/fd")))
            QSKIP("no /proc here");
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        QVERIFY(TestFiles::writeFile(log, "before\n"));
        struct stat was {};
        QCOMPARE(::stat(native(log).constData(), &was), 0);
        {
            UniqueFd appending(::open(native(log).constData(), O_WRONLY | O_APPEND | O_CLOEXEC));
            QVERIFY(appending.isOpen());
            QCOMPARE(thrownMessage([&] { AtomicFile::write(name.arg(appending.get()), "the sheet\n"); }), QString());
        }
        QCOMPARE(TestFiles::readFile(log), QByteArray("before\nthe sheet\n"));
        struct stat is {};
        QCOMPARE(::stat(native(log).constData(), &is), 0);
        QCOMPARE(is.st_ino, was.st_ino);   // the same file, not a replacement

        int ends[2];
        QCOMPARE(::pipe(ends), 0);
        UniqueFd readEnd(ends[0]);
        UniqueFd writeEnd(ends[1]);
        QCOMPARE(thrownMessage([&] { AtomicFile::write(name.arg(writeEnd.get()), "through a pipe"); }), QString());
        writeEnd.reset();
        char buffer[64];
        QCOMPARE(::read(readEnd.get(), buffer, sizeof buffer), ssize_t(14));
        QCOMPARE(QByteArray(buffer, 14), QByteArray("through a pipe"));
        // A save is no stream: the card would go into the pipe and be lost.
        QCOMPARE(::pipe(ends), 0);
        readEnd = UniqueFd(ends[0]);
        writeEnd = UniqueFd(ends[1]);
        const QString pipeName = name.arg(writeEnd.get());
        QCOMPARE(thrownMessage([&] { AtomicFile::replace(pipeName, "a card"); }), Msg::notRegularFile(pipeName));
    }
};

QTEST_GUILESS_MAIN(TestWriteTarget)
#include "test_writetarget.moc"
