// Files read through a memory map: the bytes are the file's, a file made
// shorter while mapped is read to its end without ending the program (and
// reported as cut), and a SIGBUS of any other memory still ends it.
#include "files/MappedFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

const long Page = ::sysconf(_SC_PAGESIZE);

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 4096) & 0xff);
    return bytes;
}

int writeFile(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Every byte read, as a decoder reads them.
QByteArray readEvery(const QByteArray &view)
{
    return QByteArray(view.constData(), view.size());
}

} // namespace

class TestMappedFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bytesAreTheFiles_data();
    void bytesAreTheFiles();
    void shrunkWhileMapped_data();
    void shrunkWhileMapped();
    void otherBusErrorsStillEndTheProgram();
    void fullTableFallsBackToReading();
};

void TestMappedFile::bytesAreTheFiles_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("one byte") << qsizetype(1);
    QTest::newRow("a page less one") << qsizetype(Page - 1);
    QTest::newRow("a page") << qsizetype(Page);
    QTest::newRow("a page and one") << qsizetype(Page + 1);
    QTest::newRow("a bitmap") << qsizetype(5'760'054);
}

void TestMappedFile::bytesAreTheFiles()
{
    QFETCH(qsizetype, size);
    QTemporaryDir dir;
    const QByteArray bytes = pattern(size);
    const int fd = writeFile(dir.filePath(QStringLiteral("f")), bytes);
    QVERIFY(fd >= 0);
    const MappedFile map(fd, size);
    ::close(fd);   // the map stays
    QVERIFY(map.mapped());
    QCOMPARE(map.bytes(), bytes);
    QVERIFY(!map.cut());
}

void TestMappedFile::shrunkWhileMapped_data()
{
    QTest::addColumn<qsizetype>("newSize");
    QTest::addColumn<bool>("cut");
    // Cut to nothing, inside a page, at a page's end; left as it was.
    QTest::newRow("emptied") << qsizetype(0) << true;
    QTest::newRow("inside the second page") << qsizetype(Page + 100) << true;
    QTest::newRow("at a page's end") << qsizetype(2 * Page) << true;
    QTest::newRow("unchanged") << qsizetype(5 * Page + 33) << false;
}

void TestMappedFile::shrunkWhileMapped()
{
    QFETCH(qsizetype, newSize);
    QFETCH(bool, cut);
    QTemporaryDir dir;
    const qsizetype size = 5 * Page + 33;
    const QByteArray bytes = pattern(size);
    const QString path = dir.filePath(QStringLiteral("f"));
    const int fd = writeFile(path, bytes);
    QVERIFY(fd >= 0);
    const MappedFile map(fd, size);
    QVERIFY(map.mapped());
    // Another program truncates the file (a separate descriptor).
    QCOMPARE(::truncate(QFile::encodeName(path).constData(), off_t(newSize)), 0);
    const QByteArray seen = readEvery(map.bytes());   // would raise SIGBUS past the end
    ::close(fd);
    QCOMPARE(seen.size(), size);
    QCOMPARE(map.cut(), cut);
    // What the file still holds is read as it is; the rest as zeros.
    QCOMPARE(seen.left(newSize), bytes.left(newSize));
    QCOMPARE(seen.mid(newSize), QByteArray(size - newSize, '\0'));
}

// A child process, before QtTest puts a handler of its own on SIGBUS: the
// first map installs this program's handler; a SIGBUS in a map of the
// program's own (not one of these) is the system's and must end the process
// as it always did. The child's wait status.
int busErrorOutsideMaps()
{
    const pid_t child = ::fork();
    if (child != 0) {
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child ? status : -1;
    }
    char path[] = "/tmp/test_mappedfile_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        ::_exit(2);
    ::unlink(path);
    const QByteArray bytes = pattern(3 * Page);
    if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(2);
    const MappedFile installsTheHandler(fd, 3 * Page);
    void *other = ::mmap(nullptr, size_t(3 * Page), PROT_READ, MAP_SHARED, fd, 0);
    if (!installsTheHandler.mapped() || other == MAP_FAILED || ::ftruncate(fd, 0) != 0)
        ::_exit(2);
    volatile char c = static_cast<const char *>(other)[2 * Page];
    (void)c;
    ::_exit(0);
}

int childStatus = 0;

void TestMappedFile::otherBusErrorsStillEndTheProgram()
{
    // Ended by the signal, or by the handler before this one (a sanitizer's
    // report); never by going on as if the memory were there.
    QVERIFY2(!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0, "the child went on after the SIGBUS");
    QVERIFY(!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 2);   // the child's own set-up failed
    if (WIFSIGNALED(childStatus))
        QCOMPARE(WTERMSIG(childStatus), SIGBUS);
}

void TestMappedFile::fullTableFallsBackToReading()
{
    QTemporaryDir dir;
    const int fd = writeFile(dir.filePath(QStringLiteral("f")), pattern(100));
    QVERIFY(fd >= 0);
    std::vector<std::unique_ptr<MappedFile>> maps;
    for (int n = 0; n < MappedFile::MaxMaps; ++n) {
        maps.push_back(std::make_unique<MappedFile>(fd, 100));
        QVERIFY(maps.back()->mapped());
    }
    const MappedFile oneTooMany(fd, 100);
    QVERIFY(!oneTooMany.mapped());
    QVERIFY(oneTooMany.bytes().isEmpty());
    maps.pop_back();
    const MappedFile again(fd, 100);   // a slot given back is taken again
    QVERIFY(again.mapped());
    const MappedFile empty(fd, 0);
    QVERIFY(!empty.mapped());
    ::close(fd);
}

int main(int argc, char **argv)
{
    childStatus = busErrorOutsideMaps();
    QCoreApplication app(argc, argv);
    TestMappedFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_mappedfile.moc"
