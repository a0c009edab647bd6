// tavelo-batch print, run as the user runs it: the options, the files it
// writes, the messages of the card and the exit status.
#include "BatchRun.h"
#include "Messages.h"
#include "TestFiles.h"

#include <QImage>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

namespace {

BatchRun runPrint(const QStringList &args)
{
    return runBatch(QStringList{QStringLiteral("print")} + args);
}

int pdfPageCount(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n")) + int(pdf.count("/Type /Page ")) + int(pdf.count("/Type /Page/"));
}

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
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_card = m_dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(m_card, cardBytes(fixedLines(0, 0, 0))));
    }

    void wrongCommandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no card") << QStringList{"-o", "out.pdf"};
        QTest::newRow("no output") << QStringList{"CARD"};
        QTest::newRow("-o without a value") << QStringList{"CARD", "-o"};
        QTest::newRow("output neither pdf nor png") << QStringList{"CARD", "-o", "out.jpg"};
        QTest::newRow("two cards") << QStringList{"CARD", "CARD", "-o", "out.pdf"};
        QTest::newRow("unknown option") << QStringList{"CARD", "-o", "out.pdf", "--colour"};
        QTest::newRow("no copies") << QStringList{"CARD", "-o", "out.pdf", "--copies", "0"};
        QTest::newRow("copies not a number") << QStringList{"CARD", "-o", "out.pdf", "--copies", "two"};
        QTest::newRow("dpi 0") << QStringList{"CARD", "-o", "out.pdf", "--dpi=0"};
        QTest::newRow("screen dpi 0") << QStringList{"CARD", "-o", "out.pdf", "--screen-dpi", "0"};
        QTest::newRow("margin beyond 32 bits") << QStringList{"CARD", "-o", "out.pdf", "--margin-left", "2147483648"};
        QTest::newRow("guides neither on nor off") << QStringList{"CARD", "-o", "out.pdf", "--guides", "yes"};
        QTest::newRow("unknown page size") << QStringList{"CARD", "-o", "out.pdf", "--page-size", "A99"};
    }
    void wrongCommandLine()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings(QStringLiteral("CARD"), m_card);
        args.replaceInStrings(QStringLiteral("out."), m_dir.filePath(QStringLiteral("out.")));
        const BatchRun run = runPrint(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(QString::fromUtf8(run.err).contains(QLatin1String("Usage: tavelo-batch")));
        QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("out*")}).isEmpty());
    }

    void pdfOfCopies()
    {
        const QString bmp = m_dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(bmp, TestFiles::simpleBmp(16, 16)));
        QVERIFY(TestFiles::writeFile(m_card, cardBytes(fixedLines(1, 5, 10) << textRecord("#0", "営業部")
                                                                            << imageRecord("$0", bmp))));
        const QString out = m_dir.filePath(QStringLiteral("card.pdf"));
        const BatchRun run = runPrint({m_card, QStringLiteral("-o"), out, QStringLiteral("--copies"), QStringLiteral("3")});
        QCOMPARE(run.exitCode, 0);
        const QByteArray pdf = TestFiles::readFile(out);
        QCOMPARE(pdfPageCount(pdf), 3);
        QCOMPARE(pdf.count("/Subtype /Image"), 1);
    }

    void cardMessagesGoToStderr()
    {
        // The read stops at the bad number; what was read is printed all the same.
        QVERIFY(TestFiles::writeFile(m_card, cardBytes(fixedLines(1, 0, 0) << "#0" << "営業部" << "12 ")));
        const QString out = m_dir.filePath(QStringLiteral("card.pdf"));
        const BatchRun run = runPrint({m_card, QStringLiteral("-o"), out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(Msg::notAnInteger(QStringLiteral("12 ")) + QLatin1String(".\n")), run.err.constData());
        QCOMPARE(pdfPageCount(TestFiles::readFile(out)), 1);
    }

    void outputNotWritten()
    {
        const BatchRun run = runPrint({m_card, QStringLiteral("-o"), m_dir.filePath(QStringLiteral("missing/card.pdf"))});
        QCOMPARE(run.exitCode, 3);
        QVERIFY(QString::fromUtf8(run.err).contains(QLatin1String("missing/card.pdf")));
    }

    void pngPagesWithOverrides_data()
    {
        QTest::addColumn<int>("cardGuide");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("pageSize");
        QTest::addColumn<QPoint>("crossCentre");   // (-1, -1): no cross at all
        const QSize a4 = QPageSize(QPageSize::A4).sizePixels(100);
        // At 100 dpi the first cross stands at 10 + Round(margin × 3.937).
        QTest::newRow("the card's guides") << 1 << QStringList{} << a4 << QPoint(10, 10);
        QTest::newRow("guides turned off") << 1 << QStringList{"--guides", "off"} << a4 << QPoint(-1, -1);
        QTest::newRow("guides turned on") << 0 << QStringList{"--guides=on"} << a4 << QPoint(10, 10);
        QTest::newRow("margins given") << 1 << QStringList{"--margin-left", "10", "--margin-top", "15"} << a4
                                       << QPoint(49, 69);
        QTest::newRow("Letter") << 0 << QStringList{"--page-size", "Letter"} << QSize(850, 1100) << QPoint(-1, -1);
        QTest::newRow("B5 is ISO B5") << 0 << QStringList{"--page-size", "b5"}
                                      << QPageSize(QPageSize::B5).sizePixels(100) << QPoint(-1, -1);
        QTest::newRow("JIS B5") << 0 << QStringList{"--page-size", "JIS B5"}
                                << QPageSize(QPageSize::JisB5).sizePixels(100) << QPoint(-1, -1);
    }
    void pngPagesWithOverrides()
    {
        QFETCH(int, cardGuide);
        QFETCH(QStringList, options);
        QFETCH(QSize, pageSize);
        QFETCH(QPoint, crossCentre);
        QVERIFY(TestFiles::writeFile(m_card, cardBytes(fixedLines(cardGuide, 0, 0))));
        const QString out = m_dir.filePath(QStringLiteral("sheet.png"));
        const BatchRun run = runPrint(QStringList{m_card, "-o", out, "--dpi", "100", "--copies", "2"} + options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("sheet-3.png"))));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("sheet-2.png"))));
        const QImage page(m_dir.filePath(QStringLiteral("sheet-1.png")));
        QCOMPARE(page.size(), pageSize);
        if (crossCentre.x() < 0) {
            QCOMPARE(countBlack(page), 0);
        } else {
            QCOMPARE(qGray(page.pixel(crossCentre)), 0);
            QCOMPARE(countBlack(page), 15 * 39);
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_card;
};

QTEST_GUILESS_MAIN(TestBatchPrint)
#include "test_batchprint.moc"
