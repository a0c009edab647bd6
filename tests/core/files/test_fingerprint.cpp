// Another program's change to a card's file is noticed before a save writes
// over it: what the file was when read or written against what it is now.
#include "RecordingSink.h"
#include "TestFiles.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "files/FileFingerprint.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

Q_DECLARE_METATYPE(DiskChange)

namespace {

// Sets the file's modification time, as a program that keeps it would.
bool setModified(const QString &path, std::int64_t ns)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(ns / 1000000000), long(ns % 1000000000)}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

using Change = std::function<void(const QString &path, const FileFingerprint &known)>;

}   // namespace

class TestFingerprint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changesOnDisk_data()
    {
        QTest::addColumn<bool>("existed");
        QTest::addColumn<Change>("change");
        QTest::addColumn<DiskChange>("full");
        QTest::addColumn<DiskChange>("quick");

        const auto write = [](const QByteArray &bytes) {
            return
                [bytes](const QString &path, const FileFingerprint &) { QVERIFY(TestFiles::writeFile(path, bytes)); };
        };
        QTest::newRow("untouched") << true << Change([](const QString &, const FileFingerprint &) {})
                                   << DiskChange::None << DiskChange::None;
        QTest::newRow("other bytes, other size")
            << true << Change(write("Tavelo DataFile\r\n2\r\n")) << DiskChange::Changed << DiskChange::Changed;
        // A program that writes in place and puts the time back: only the
        // bytes tell, and only the full check reads them.
        QTest::newRow("same size and time, other bytes")
            << true << Change([](const QString &path, const FileFingerprint &known) {
                   QVERIFY(TestFiles::writeFile(path, "Tavelo DataFile\r\n0\r\n"));
                   QVERIFY(setModified(path, known.modifiedNs));
               })
            << DiskChange::Changed << DiskChange::None;
        QTest::newRow("same bytes saved again")
            << true << Change([](const QString &path, const FileFingerprint &known) {
                   QVERIFY(TestFiles::writeFile(path, TestFiles::readFile(path)));
                   QVERIFY(setModified(path, known.modifiedNs + 5000000000));
               })
            << DiskChange::None << DiskChange::None;
        QTest::newRow("renamed into place, other bytes")
            << true << Change([](const QString &path, const FileFingerprint &) {
                   QVERIFY(TestFiles::writeFile(path + ".new", "Tavelo DataFile\r\n0\r\n"));
                   QVERIFY(::rename(QFile::encodeName(path + ".new"), QFile::encodeName(path)) == 0);
               })
            << DiskChange::Changed << DiskChange::Changed;
        QTest::newRow("deleted") << true << Change([](const QString &path, const FileFingerprint &) {
            QVERIFY(QFile::remove(path));
        }) << DiskChange::Missing << DiskChange::Missing;
        QTest::newRow("not there, still not there")
            << false << Change([](const QString &, const FileFingerprint &) {}) << DiskChange::None << DiskChange::None;
        QTest::newRow("not there, then made")
            << false << Change(write("Tavelo DataFile\r\n")) << DiskChange::Changed << DiskChange::Changed;
    }
    void changesOnDisk()
    {
        QFETCH(bool, existed);
        QFETCH(Change, change);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("名刺.tvl"));
        if (existed)
            QVERIFY(TestFiles::writeFile(path, "Tavelo DataFile\r\n1\r\n"));
        const FileFingerprint known = FileFingerprint::of(path);
        QCOMPARE(known.exists, existed);
        change(path, known);
        QTEST(compareWithDisk(known, path), "full");
        QTEST(compareWithDisk(known, path, true), "quick");
    }

    // The card knows its file as read and as saved: its own save is no
    // change, another program's save after it is.
    void theCardKnowsItsFile()
    {
        QTemporaryDir dir;
        RecordingSink sink;
        CardDocument doc;
        doc.setMessageSink(&sink);
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(
            path, TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord("#0", "営業"))));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::None);   // not known: nothing to compare
        doc.SetDocFileName(path);
        bool isCard = false;
        OpenCardFile(doc, path, &isCard);
        QVERIFY(isCard);
        QCOMPARE(doc.TextBoxes(0)->Caption, QStringLiteral("営業"));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::None);

        doc.setTextCaption(0, QStringLiteral("総務"));
        QVERIFY(SaveCardFile(doc));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::None);
        QVERIFY(TestFiles::writeFile(
            path, TestFiles::cardBytes(TestFiles::fixedLines() + TestFiles::textRecord("#0", "人事"))));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::Changed);

        // Another name forgets the file.
        doc.SetDocFileName(dir.filePath(QStringLiteral("other.tvl")));
        QVERIFY(!doc.diskFingerprint());

        // A card opened where there is none may be saved there, unless one appears.
        const QString missing = dir.filePath(QStringLiteral("missing.tvl"));
        doc.SetDocFileName(missing);
        QVERIFY_THROWS_EXCEPTION(TaveloError, OpenCardFile(doc, missing));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::None);
        QVERIFY(TestFiles::writeFile(missing, "x"));
        QCOMPARE(cardFileOnDisk(doc), DiskChange::Changed);
    }

    // A file too large to hash is told by size, time and identity.
    void aLargeFileIsToldWithoutItsBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.tvl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(FileFingerprint::HashedBytesLimit + 1));
        file.close();
        const FileFingerprint known = FileFingerprint::of(path);
        QVERIFY(known.hash.isEmpty());
        QCOMPARE(compareWithDisk(known, path), DiskChange::None);
        QVERIFY(setModified(path, known.modifiedNs + 1));
        QCOMPARE(compareWithDisk(known, path), DiskChange::Changed);
    }
};

QTEST_MAIN(TestFingerprint)
#include "test_fingerprint.moc"
