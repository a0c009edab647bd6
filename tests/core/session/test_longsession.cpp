// A long day with one card: boxes added, edited and deleted, pictures
// loaded, the card saved and opened again ten thousand times. Neither the
// heap nor the open files may grow with it.
#include "ProcessUsage.h"
#include "RecordingSink.h"
#include "TestFiles.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "picture/PictureLoader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
using ProcessUsage::heapInUse;
using ProcessUsage::openFileCount;

// One round of work on the card, then save and open it again as the Open
// command does. The card keeps six text boxes and two pictures.
void workOnTheCard(CardDocument &doc, int round, const QString &picture, const QString &path)
{
    const int text = doc.AddTextBox();
    doc.setTextCaption(text, QStringLiteral("営業部 ﾀﾍﾞﾛ %1").arg(round % 50).repeated(1 + round % 7));
    doc.setTextFont(text, BoxFont(QStringLiteral("Arial"), -(8 + round % 20), 0, FontStyles(FontStyle(round % 16))));
    if (round % 3 == 0) {
        const int image = doc.AddImageBox();
        doc.setImagePath(image, picture);
        doc.setImagePicture(image, PictureLoader::load(picture));
    }
    for (int slot = 0; slot < CardDocument::SlotCount && doc.textBoxCount() > 6; ++slot)
        doc.DeleteTextBox(slot);
    for (int slot = 0; slot < CardDocument::SlotCount && doc.imageBoxCount() > 2; ++slot)
        doc.DeleteImageBox(slot);
    QVERIFY(WriteCardFile(doc, path));
    doc.ClearBoxes();
    LoadCardFile(doc, path);
    doc.SetModified(false);
}

} // namespace

class TestLongSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tenThousandSaves()
    {
        // In memory where the system offers it: the disk's speed is not the point.
        const QString shm = QStringLiteral("/dev/shm");
        QTemporaryDir dir(QDir(shm).exists() ? shm + QStringLiteral("/tavelo-session-XXXXXX") : QString());
        QVERIFY(dir.isValid());
        const QString picture = dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(picture, TestFiles::simpleBmp(40, 30)));
        const QString path = dir.filePath(QStringLiteral("card.tvl"));

        ProcessUsage::startEveryPoolThread();
        CardDocument doc;
        RecordingSink sink;
        doc.setMessageSink(&sink);
        const int warmUp = 500;
        const int rounds = 10000;
        std::size_t heapAfterWarmUp = 0;
        int filesAfterWarmUp = 0;
        for (int round = 1; round <= rounds; ++round) {
            workOnTheCard(doc, round, picture, path);
            if (QTest::currentTestFailed())
                return;
            if (round == warmUp) {
                heapAfterWarmUp = heapInUse();
                filesAfterWarmUp = openFileCount();
            }
        }
        const std::size_t heapAtEnd = heapInUse();
        // The same card as after the warm-up; a little slack for the allocator.
        QVERIFY2(heapAtEnd <= heapAfterWarmUp + 64 * 1024, qPrintable(QStringLiteral("the heap grew by %1 bytes").arg(qint64(heapAtEnd) - qint64(heapAfterWarmUp))));
        QCOMPARE(openFileCount(), filesAfterWarmUp);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{QStringLiteral("card.tvl"), QStringLiteral("logo.bmp")}));
        QVERIFY(sink.infos.isEmpty());
        QVERIFY(sink.errors.isEmpty());
        QCOMPARE(doc.textBoxCount(), 6);
    }
};

QTEST_GUILESS_MAIN(TestLongSession)
#include "test_longsession.moc"
