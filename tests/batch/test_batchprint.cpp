// tavelo-batch print, run as the user runs it: the options, the files it
// writes, the messages of the card and the exit status.
#include "BatchRun.h"
#include "TestFiles.h"
#include "base/Messages.h"

#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::fixedLines;

namespace {

int countBlack(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return count;
}

} // namespace

class TestBatchPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // args: after "print"; "@": a folder that holds card.tvl (of lines) and
    // nothing else, unless the sheet is printed to out.pdf (of pages pages).
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");   // on stderr
        QTest::addColumn<int>("pages");
        const QStringList card = fixedLines();
        const QString usage = QStringLiteral("Usage: tavelo-batch");
        const auto wrong = [&](const char *name, const QStringList &args) {
            QTest::newRow(name) << card << args << 2 << usage << 0;
        };
        wrong("no card", {"-o", "@/out.pdf"});
        wrong("output neither pdf nor png", {"@/card.tvl", "-o", "@/out.jpg"});
        wrong("margin beyond 32 bits", {"@/card.tvl", "-o", "@/out.pdf", "--margin-left", "2147483648"});
        wrong("layout 11", {"@/card.tvl", "-o", "@/out.pdf", "--layout", "11"});
        wrong("offset beyond a metre", {"@/card.tvl", "-o", "@/out.pdf", "--offset-y", "1000.1"});
        QTest::newRow("card messages on stderr")
            << (fixedLines() << "#0" << "営業部" << "12 ") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--copies", "3"}
            << 1 << Msg::notAnInteger("12 ") + ".\n" << 3;
        QTest::newRow("missing card") << card << QStringList{"@/none.tvl", "-o", "@/out.pdf"} << 1
                                      << Msg::fileNotFound() << 0;
        QTest::newRow("not a card file") << QStringList{"Some other file"} << QStringList{"@/card.tvl", "-o", "@/out.pdf"}
                                         << 1 << Msg::badCardFile() << 0;
        QTest::newRow("ten-up does not fit on Letter")
            << card << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--layout", "10", "--page-size", "Letter"} << 3
            << QStringLiteral("286.0") << 0;
        QTest::newRow("output not written") << card << QStringList{"@/card.tvl", "-o", "@/missing/out.pdf"} << 3
                                            << QStringLiteral("missing/out.pdf") << 0;
    }
    void exitStatus()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(int, pages);
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath(QStringLiteral("card.tvl")), TestFiles::cardBytes(lines)));
        const BatchRun run = runBatch(QStringList{QStringLiteral("print")} + args.replaceInStrings("@", dir.path()));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
        QCOMPARE(TestFiles::pdfPageCount(TestFiles::readFile(dir.filePath(QStringLiteral("out.pdf")))), pages);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), pages > 0 ? 2 : 1);
    }

    // Qt's own remarks stay off stderr even in a bare environment.
    void quietOnStderr()
    {
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath(QStringLiteral("card.tvl")), TestFiles::cardBytes(fixedLines())));
        QProcessEnvironment bare;
        bare.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        bare.insert(QStringLiteral("HOME"), dir.path());
        const BatchRun run = runBatch({"print", dir.filePath("card.tvl"), "-o", dir.filePath("out.pdf")}, bare);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
    }

    // PNG pages at 100 dpi, one file a copy: the page size, and the crosses
    // (how many, and where the top-left one stands) for the job's options.
    void pngPages_data()
    {
        QTest::addColumn<QStringList>("cardLines");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("pageSize");
        QTest::addColumn<int>("crosses");
        QTest::addColumn<QPoint>("firstCross");
        const QSize a4(827, 1169);
        const QStringList card = fixedLines(1, 0, 0);
        const QStringList tenUpCard = fixedLines(1, 0, 0) << QStringLiteral("Layout=10");
        // At 100 dpi the first cross stands at 10 + Round(margin × 3.937).
        QTest::newRow("guides turned off") << card << QStringList{"--guides", "off"} << a4 << 0 << QPoint();
        QTest::newRow("margins given") << card << QStringList{"--margin-left", "10", "--margin-top", "15"} << a4 << 15
                                       << QPoint(49, 69);
        QTest::newRow("B5 is ISO B5") << fixedLines(0, 0, 0) << QStringList{"--page-size", "b5"} << QSize(693, 984) << 0 << QPoint();
        // 13.5 mm and 12.2 mm: 53.1 and 48.0.
        QTest::newRow("ten-up, offsets -0.5 and 1.2")
            << tenUpCard << QStringList{"--offset-x", "-0.5", "--offset-y=1.2"} << a4 << 18 << QPoint(53, 48);
        // Gaps of 9 and 5 mm: two crosses on every line between cards.
        QTest::newRow("custom with gaps") << card << QStringList{"--layout", "2,3,10,20.5,100,60"} << a4 << 4 * 6
                                          << QPoint(39, 81);
    }
    void pngPages()
    {
        QFETCH(QStringList, cardLines);
        QFETCH(QStringList, options);
        QFETCH(QSize, pageSize);
        QFETCH(int, crosses);
        QFETCH(QPoint, firstCross);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(card, TestFiles::cardBytes(cardLines)));
        const QString out = dir.filePath(QStringLiteral("sheet.png"));
        const BatchRun run = runBatch(QStringList{"print", card, "-o", out, "--dpi", "100", "--copies", "2"} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("sheet*")}), (QStringList{"sheet-1.png", "sheet-2.png"}));
        const QImage page(dir.filePath(QStringLiteral("sheet-1.png")));
        QCOMPARE(page.size(), pageSize);
        QCOMPARE(page.dotsPerMeterX(), 3937);   // 100 dpi
        QCOMPARE(countBlack(page), crosses * 39);
        if (crosses == 0)
            return;
        QCOMPARE(qGray(page.pixel(firstCross)), 0);
        QCOMPARE(qGray(page.pixel(firstCross + QPoint(-10, -1))), 255);   // the centre, not an arm
        QCOMPARE(qGray(page.pixel(firstCross + QPoint(-10, 0))), 0);
        QCOMPARE(qGray(page.pixel(firstCross + QPoint(0, -10))), 0);
    }
};

QTEST_GUILESS_MAIN(TestBatchPrint)
#include "test_batchprint.moc"
