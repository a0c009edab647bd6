// tavelo-batch export, run as the user runs it: the print-shop PDF of a card
// and of a merge list, the preflight on stderr, and every bad input its exit
// status with nothing half-written.
#include "BatchRun.h"
#include "MergeLists.h"
#include "TestFiles.h"
#include "base/CodePage932.h"
#include "base/Messages.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {

QString boxOf(const QString &pdf, const QString &name)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), pdf});
    process.waitForFinished(60000);
    const QRegularExpression line(QStringLiteral("^%1:\\s+(.*)$").arg(name), QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(process.readAllStandardOutput())).captured(1).simplified();
}

}   // namespace

class TestBatchExport : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QStringList clean = fixedLines(0);
        clean << textRecord(QStringLiteral("#0"), QStringLiteral("山田 太郎"), 40, 40, 200, 24);
        QVERIFY(writeFile(path(QStringLiteral("clean.tvl")), cardBytes(clean)));
        QStringList edge = fixedLines(0);
        edge << textRecord(QStringLiteral("#0"), QStringLiteral("端"), 2, 40, 100, 24);
        QVERIFY(writeFile(path(QStringLiteral("edge.tvl")), cardBytes(edge)));
        QStringList merged = fixedLines(0);
        merged << textRecord(QStringLiteral("#0"), QStringLiteral("{氏名}"), 40, 40, 300, 24);
        QVERIFY(writeFile(path(QStringLiteral("merged.tvl")), cardBytes(merged)));
        QVERIFY(MergeLists::writePeople(path(QStringLiteral("list.csv"))));
        // Narrow letters, cut at the card's right edge less than a letter from it.
        QVERIFY(writeFile(path(QStringLiteral("long.csv")),
                          CodePage932::encode(QStringLiteral("氏名\r\n山田\r\n") + QString(400, QLatin1Char('l'))
                                              + QStringLiteral("\r\n"))));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");      // a part of stderr; empty: stderr empty
        QTest::addColumn<QString>("output");   // the file that must exist afterwards, or none
        QTest::addColumn<int>("pages");
        const QString clean = path(QStringLiteral("clean.tvl"));
        const QString list = path(QStringLiteral("list.csv"));
        QTest::newRow("clean card") << QStringList{"export", clean, "-o", path("clean.pdf")} << 0 << ""
                                    << path("clean.pdf") << 1;
        QTest::newRow("marks, bleed 2.5, front")
            << QStringList{"export", clean, "-o", path("marks.pdf"), "--marks", "jp", "--bleed=2.5", "--sides", "front"}
            << 0 << "" << path("marks.pdf") << 1;
        QTest::newRow("preflight finding: written, exit 1")
            << QStringList{"export", path("edge.tvl"), "-o", path("edge.pdf")} << 1
            << "テキストボックス「端」が仕上がり線から" << path("edge.pdf") << 1;
        QTest::newRow("merge: a page a row")
            << QStringList{"export", path("merged.tvl"), "-o", path("rows.pdf"), "--merge", list} << 0 << ""
            << path("rows.pdf") << MergeLists::PeopleRows;
        QTest::newRow("merge, rows 2-3") << QStringList{"export", path("merged.tvl"), "-o", path("two.pdf"), "--merge",
                                                        list,     "--rows",           "2-3"}
                                         << 0 << "" << path("two.pdf") << 2;
        QTest::newRow("a row's text runs over the trim: named with its row")
            << QStringList{"export", path("merged.tvl"), "-o", path("long.pdf"), "--merge", path("long.csv")} << 1
            << "差し込みデータの 2 行目: テキストボックス「{氏名}」が仕上がり線から" << path("long.pdf") << 2;
        QTest::newRow("back of a one-sided card")
            << QStringList{"export", clean, "-o", path("none.pdf"), "--sides", "back"} << 1 << Msg::printShopNoBack()
            << QString() << 0;
        QTest::newRow("bleed over 5 mm") << QStringList{"export", clean, "-o", path("none.pdf"), "--bleed", "6"} << 2
                                         << "--bleed takes millimetres from 0 to 5" << QString() << 0;
        QTest::newRow("unknown marks") << QStringList{"export", clean, "-o", path("none.pdf"), "--marks", "us"} << 2
                                       << "--marks takes none or jp, not 'us'" << QString() << 0;
        QTest::newRow("unknown side") << QStringList{"export", clean, "-o", path("none.pdf"), "--sides=top"} << 2
                                      << "--sides takes front, back or both" << QString() << 0;
        QTest::newRow("no output") << QStringList{"export", clean} << 2 << "export needs -o" << QString() << 0;
        QTest::newRow("PNG output") << QStringList{"export", clean, "-o", path("none.png")} << 2 << "ending in .pdf"
                                    << QString() << 0;
        QTest::newRow("rows without a list") << QStringList{"export", clean, "-o", path("none.pdf"), "--rows", "1"} << 2
                                             << "--rows needs --merge LIST" << QString() << 0;
        QTest::newRow("rows past the list")
            << QStringList{"export", path("merged.tvl"), "-o", path("none.pdf"), "--merge", list, "--rows", "9"} << 2
            << "--rows" << QString() << 0;
        QTest::newRow("list missing") << QStringList{"export",         path("merged.tvl"), "-o",
                                                     path("none.pdf"), "--merge",          path("no.csv")}
                                      << 1 << "ﾌｧｲﾙが見つかりません" << QString() << 0;
        QTest::newRow("card missing") << QStringList{"export", path("no.tvl"), "-o", path("none.pdf")} << 1
                                      << "ﾌｧｲﾙが見つかりません" << QString() << 0;
        QTest::newRow("folder missing") << QStringList{"export", clean, "-o", path("no/such/card.pdf")} << 3
                                        << "cannot write" << QString() << 0;
        QTest::newRow("two cards") << QStringList{"export", clean, clean, "-o", path("none.pdf")} << 2
                                   << "only one card file" << QString() << 0;
    }
    void exitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QString, output);
        QFETCH(int, pages);
        const BatchRun run = runBatch(args);
        const QString unexpected = unexpectedIn(run, exitCode, err);
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        if (!output.isEmpty()) {
            QVERIFY2(QFile::exists(output), qPrintable(output));
            QCOMPARE(int(pdfPageCount(readFile(output))), pages);
            QCOMPARE(boxOf(output, QStringLiteral("TrimBox")).split(' ').size(), 4);
            QProcess check;
            check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), output});
            QVERIFY(check.waitForFinished(60000));
            QCOMPARE(check.exitCode(), 0);
        }
        QVERIFY(!QFile::exists(path(QStringLiteral("none.pdf"))));
    }

    // The options reach the page: the bleed and the marks' room around the trim.
    void optionsReachThePage()
    {
        const QString pdf = path(QStringLiteral("options.pdf"));
        const BatchRun run = runBatch({"export", path("clean.tvl"), "-o", pdf, "--bleed", "2", "--marks", "jp"});
        QCOMPARE(run.exitCode, 0);
        // Trim 9 mm in (2 mm bleed, 7 mm marks); bleed 7 mm in.
        QCOMPARE(boxOf(pdf, QStringLiteral("TrimBox")), QStringLiteral("25.51 25.51 283.46 181.42"));
        QCOMPARE(boxOf(pdf, QStringLiteral("BleedBox")), QStringLiteral("19.84 19.84 289.13 187.09"));
        QCOMPARE(boxOf(pdf, QStringLiteral("MediaBox")), QStringLiteral("0.00 0.00 308.98 206.93"));
    }

    void toStandardOutput()
    {
        const BatchRun run = runBatch({"export", path("clean.tvl"), "-o", "-"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("%PDF-1.4"));
        QCOMPARE(pdfPageCount(run.out), 1);
    }
};

QTEST_MAIN(TestBatchExport)
#include "test_batchexport.moc"
