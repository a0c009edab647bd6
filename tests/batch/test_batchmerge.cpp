// tavelo-batch print --merge and merge-info, run as the user runs them: a
// list saved in code page 932 gives one card a person, and every bad input
// its exit status.
#include "BatchRun.h"
#include "MergeLists.h"
#include "ProcessUsage.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "merge/MergeList.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

class TestBatchMerge : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QStringList lines = fixedLines(0);
        lines << textRecord(QStringLiteral("#0"), QStringLiteral("{氏名} {役職}"), 10, 10, 300, 24, QStringLiteral("ＭＳ Ｐ明朝"), 10, 0);
        lines << textRecord(QStringLiteral("#1"), QStringLiteral("QR:https://example.jp/{番号}"), 200, 80, 80, 80);
        lines << imageRecord(QStringLiteral("$0"), path(QStringLiteral("{番号}.png")), 10, 60, 60, 60);
        QVERIFY(writeFile(path(QStringLiteral("card.tvl")), cardBytes(lines)));
        QVERIFY(MergeLists::writePeople(path(QStringLiteral("list.csv"))));
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(path(QStringLiteral("1.png"))));
        QVERIFY(picture.save(path(QStringLiteral("2.png"))));
        QVERIFY(writeFile(path(QStringLiteral("other.csv")), "番号,名前\n1,x\n"));
        // A number no QR code holds, and no file name either.
        QVERIFY(writeFile(path(QStringLiteral("long.csv")), "番号,氏名,役職\n" + QByteArray(3000, '7') + ",x,y\n"));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");        // a part of stderr, empty: stderr empty
        QTest::addColumn<QStringList>("outputs");   // files that must exist afterwards
        QTest::addColumn<int>("pages");   // of the first output, a PDF; 0: not counted
        const QString card = path(QStringLiteral("card.tvl"));
        const QString list = path(QStringLiteral("list.csv"));
        const QString pdf = path(QStringLiteral("out.pdf"));
        // Ten cards, eight to a page.
        QTest::newRow("rows 1-2, five copies of each card: clean")
            << QStringList{"print", card, "-o", pdf, "--merge", list, "--rows", "1-2", "--merge-mode=card", "--copies", "5"} << 0 << ""
            << QStringList{pdf} << 2;
        QTest::newRow("row 3's picture is missing, listed once")
            << QStringList{"print", card, "-o", path("sheet.pdf"), "--merge", list, "--copies", "2"} << 1
            << path("3.png") << QStringList{path("sheet.pdf")} << 6;
        QTest::newRow("fields the list lacks: a warning, printed anyway")
            << QStringList{"print", card, "-o", path("lack.pdf"), "--merge", path("other.csv")} << 1
            << "差し込みデータにない項目: 氏名, 役職" << QStringList{path("lack.pdf")} << 1;
        QTest::newRow("a row's QR code no symbol holds: listed with its row")
            << QStringList{"print", card, "-o", path("long.pdf"), "--merge", path("long.csv")} << 1
            << "差し込みデータの 1 行目、テキストボックス「QR:https://example.jp/{番…」: " + Msg::mergeQrLeftOut()
            << QStringList{path("long.pdf")} << 1;
        QTest::newRow("list missing: nothing printed") << QStringList{"print", card, "-o", path("none.pdf"), "--merge", path("no.csv")}
                                                       << 1 << "ﾌｧｲﾙが見つかりません" << QStringList() << 0;
        QTest::newRow("rows without a list") << QStringList{"print", card, "-o", path("none.pdf"), "--rows", "1"} << 2
                                             << "--merge-mode and --rows need --merge LIST" << QStringList() << 0;
        QTest::newRow("output cannot be written")
            << QStringList{"print", card, "-o", path("no/such/dir.pdf"), "--merge", list, "--rows", "1"} << 3 << "cannot write" << QStringList() << 0;
    }
    void exitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QStringList, outputs);
        QFETCH(int, pages);
        const BatchRun run = runBatch(args);
        const QString unexpected = unexpectedIn(run, exitCode, err);
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        if (QByteArray(QTest::currentDataTag()).contains("picture"))
            QCOMPARE(QString::fromUtf8(run.err).count(path(QStringLiteral("3.png"))), 1);
        for (const QString &file : outputs)
            QVERIFY2(QFile::exists(file), qPrintable(file));
        if (pages > 0)
            QCOMPARE(int(pdfPageCount(readFile(outputs.first()))), pages);
        QVERIFY(!QFile::exists(path(QStringLiteral("none.pdf"))));
    }

    // A UTF-8 list's names that code page 932 lacks print with their own
    // glyphs: the registry face is embedded in the PDF.
    void namesOutsideCodePage932Print()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
            QSKIP("pdffonts (poppler-utils) is not installed");
        QVERIFY(writeFile(path(QStringLiteral("names.csv")), QStringLiteral("番号,氏名,役職\n1,𠮷田 太郎,☎ 03-1234-5678\n").toUtf8()));
        const QString pdf = path(QStringLiteral("names.pdf"));
        const BatchRun run = runBatch({"print", path("card.tvl"), "-o", pdf, "--merge", path("names.csv"), "--dpi", "150"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QProcess fonts;
        fonts.start(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {pdf});
        QVERIFY(fonts.waitForFinished(60000));
        QVERIFY(fonts.readAllStandardOutput().contains("IPAmjMincho"));
    }

    // A job that runs out of memory ends with its message and exit status 3,
    // nothing written; it never ends the tool by a signal. The list is as
    // large as a list may be (sparse on disk) and the tool's address space
    // too small to read it.
    void outOfMemoryEndsTheJob()
    {
#ifdef TAVELO_ASAN
        QSKIP("the address space is limited: not under AddressSanitizer");
#endif
        const QString list = path(QStringLiteral("huge.csv"));
        {
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a\n") == 2 && file.resize(MergeList::MaxFileBytes));
        }
        const QString pdf = path(QStringLiteral("memory.pdf"));
        const BatchRun run = runBatchWithin({"print", path("card.tvl"), "-o", pdf, "--merge", list}, rlim_t(256) << 20);
        const QString unexpected = unexpectedIn(run, 3, Msg::outOfMemory());
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QVERIFY(!QFile::exists(pdf));
        QFile::remove(list);
    }

    void mergeInfo()
    {
        const BatchRun run = runBatch({"merge-info", path("card.tvl"), path("other.csv")});
        QCOMPARE(run.exitCode, 1);
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value("columns").toArray(), QJsonArray({"番号", "名前"}));
        QCOMPARE(info.value("fields").toArray(), QJsonArray({"氏名", "役職", "番号"}));
        QCOMPARE(info.value("missing").toArray(), QJsonArray({"氏名", "役職"}));

        const BatchRun sjis = runBatch({"merge-info", path("card.tvl"), path("list.csv")});
        QCOMPARE(sjis.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(sjis.out).object().value("encoding").toString(), QStringLiteral("cp932"));
    }
};

QTEST_MAIN(TestBatchMerge)
#include "test_batchmerge.moc"
