// tavelo-batch pack, run as the user runs it: the folder it makes opens
// complete from another place, and a folder that holds anything is refused.
#include "BatchRun.h"
#include "TestFiles.h"
#include "base/Messages.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

class TestBatchPack : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");   // @: the test's folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("packed");
        QTest::newRow("new folder") << QStringList{"pack", "@/card.tvl", "-o", "@/out"} << 0 << true;
        QTest::newRow("empty folder") << QStringList{"pack", "@/card.tvl", "--output=@/empty"} << 0 << true;
        QTest::newRow("folder with files") << QStringList{"pack", "@/card.tvl", "-o", "@/full"} << 2 << false;
        QTest::newRow("a file, not a folder") << QStringList{"pack", "@/card.tvl", "-o", "@/card.tvl"} << 2 << false;
        QTest::newRow("no folder") << QStringList{"pack", "@/card.tvl"} << 2 << false;
        QTest::newRow("unknown option") << QStringList{"pack", "@/card.tvl", "-o", "@/out", "--zip"} << 2 << false;
        QTest::newRow("no card there") << QStringList{"pack", "@/none.tvl", "-o", "@/out"} << 1 << false;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(bool, packed);
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("empty")) && root.mkpath(QStringLiteral("full")));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("full/keep.txt")), "mine"));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("logo.bmp")), TestFiles::simpleBmp(6, 4)));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("card.tvl")),
                                     TestFiles::cardBytes(fixedLines() + textRecord("#0", "〓田") + QStringList{"Caption=%F0%A0%AE%B7%E7%94%B0"}
                                                          + imageRecord("$0", root.filePath(QStringLiteral("logo.bmp"))))));
        const QByteArray cardBefore = TestFiles::readFile(root.filePath(QStringLiteral("card.tvl")));

        const BatchRun run = runBatch(args.replaceInStrings(QStringLiteral("@"), dir.path()));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(TestFiles::readFile(root.filePath(QStringLiteral("full/keep.txt"))), QByteArray("mine"));
        QCOMPARE(QDir(root.filePath(QStringLiteral("full"))).count(), 3U);
        QCOMPARE(TestFiles::readFile(root.filePath(QStringLiteral("card.tvl"))), cardBefore);
        if (!packed) {
            QVERIFY(run.out.isEmpty());
            QVERIFY(!run.err.isEmpty());
            return;
        }
        const QString folder = args.constLast().startsWith(QLatin1String("--output=")) ? args.constLast().mid(9) : args.constLast();
        QCOMPARE(run.out, (QDir(folder).filePath(QStringLiteral("card.tvl")) + QLatin1Char('\n')).toUtf8());
        QVERIFY(run.err.isEmpty());

        // The folder moved elsewhere, the original picture gone: info finds
        // the picture beside the card and the caption whole.
        const QString moved = root.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().rename(folder, moved));
        QVERIFY(QFile::remove(root.filePath(QStringLiteral("logo.bmp"))));
        const BatchRun info = runBatch({QStringLiteral("info"), QDir(moved).filePath(QStringLiteral("card.tvl"))});
        QCOMPARE(info.exitCode, 0);   // finding the picture is no fault: said on stderr
        QCOMPARE(QString::fromUtf8(info.err),
                 Msg::picturesFoundBesideCard({QDir(moved).filePath(QStringLiteral("logo.bmp"))}) + QLatin1Char('\n'));
        const QJsonObject json = QJsonDocument::fromJson(info.out).object();
        const QJsonObject image = json.value(QStringLiteral("imageBoxes")).toArray().at(0).toObject();
        QCOMPARE(image.value(QStringLiteral("path")).toString(), QDir(moved).filePath(QStringLiteral("logo.bmp")));
        QCOMPARE(image.value(QStringLiteral("storedPath")).toString(), QDir(folder).filePath(QStringLiteral("logo.bmp")));
        QCOMPARE(image.value(QStringLiteral("picture")).toObject().value(QStringLiteral("width")).toInt(), 6);
        QCOMPARE(json.value(QStringLiteral("textBoxes")).toArray().at(0).toObject().value(QStringLiteral("caption")).toString(),
                 QStringLiteral("𠮷田"));
        QCOMPARE(json.value(QStringLiteral("messages")).toArray().size(), 0);
    }
};

QTEST_MAIN(TestBatchPack)
#include "test_batchpack.moc"
