// tavelo-batch print, run as the user runs it: the options, the files it
// writes, the messages of the card and the exit status.
#include "BatchRun.h"
#include "Messages.h"
#include "TestFiles.h"

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
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(TestFiles::writeFile(m_dir.filePath(QStringLiteral("logo.bmp")), TestFiles::simpleBmp(16, 16)));
    }

    // Arguments after "print"; "@": the test's folder, which holds the card
    // (given by lines) and in which nothing else may be written.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no card") << QStringList{"-o", "@/out.pdf"};
        QTest::newRow("-o without a value") << QStringList{"@/card.tvl", "-o"};
        QTest::newRow("output neither pdf nor png") << QStringList{"@/card.tvl", "-o", "@/out.jpg"};
        QTest::newRow("two cards") << QStringList{"@/card.tvl", "@/card.tvl", "-o", "@/out.pdf"};
        QTest::newRow("unknown option") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--colour"};
        QTest::newRow("no copies") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--copies", "0"};
        QTest::newRow("dpi 0") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--dpi=0"};
        QTest::newRow("screen dpi 0") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--screen-dpi", "0"};
        QTest::newRow("margin beyond 32 bits") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--margin-left", "2147483648"};
        QTest::newRow("guides neither on nor off") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--guides", "yes"};
        QTest::newRow("unknown page size") << QStringList{"@/card.tvl", "-o", "@/out.pdf", "--page-size", "A99"};
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QVERIFY(TestFiles::writeFile(m_dir.filePath(QStringLiteral("card.tvl")), TestFiles::cardBytes(fixedLines())));
        const BatchRun run = runBatch(QStringList{QStringLiteral("print")} + args.replaceInStrings("@", m_dir.path()));
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("Usage: tavelo-batch"));
        QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("out*")}).isEmpty());
    }

    void pdf_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");   // on stderr
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("pictures");
        QTest::newRow("copies, the picture embedded once")
            << (fixedLines(1, 5, 10) << TestFiles::textRecord("#0", "営業部") << TestFiles::imageRecord("$0", "@/logo.bmp"))
            << QStringList{"-o", "@/card.pdf", "--copies", "3"} << 0 << QString() << 3 << 1;
        // The read stops at the bad number; what was read is printed all the same.
        QTest::newRow("card messages on stderr") << (fixedLines() << "#0" << "営業部" << "12 ")
                                                 << QStringList{"-o", "@/card.pdf"} << 1
                                                 << Msg::notAnInteger("12 ") + ".\n" << 1 << 0;
        QTest::newRow("output not written") << fixedLines() << QStringList{"-o", "@/missing/card.pdf"} << 3
                                            << QStringLiteral("missing/card.pdf") << 0 << 0;
    }
    void pdf()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(int, pages);
        QFETCH(int, pictures);
        const QString card = m_dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(card, TestFiles::cardBytes(lines.replaceInStrings("@", m_dir.path()))));
        const BatchRun run = runBatch(QStringList{QStringLiteral("print"), card} + args.replaceInStrings("@", m_dir.path()));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
        const QByteArray pdf = TestFiles::readFile(args.at(1));
        QCOMPARE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), pages);
        QCOMPARE(pdf.count("/Subtype /Image"), pictures);
    }

    void pngPages_data()
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
    void pngPages()
    {
        QFETCH(int, cardGuide);
        QFETCH(QStringList, options);
        QFETCH(QSize, pageSize);
        QFETCH(QPoint, crossCentre);
        const QString card = m_dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(card, TestFiles::cardBytes(fixedLines(cardGuide, 0, 0))));
        const QString out = m_dir.filePath(QStringLiteral("sheet.png"));
        const BatchRun run = runBatch(QStringList{"print", card, "-o", out, "--dpi", "100", "--copies", "2"} + options);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("sheet-2.png"))));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("sheet-3.png"))));
        const QImage page(m_dir.filePath(QStringLiteral("sheet-1.png")));
        QCOMPARE(page.size(), pageSize);
        QCOMPARE(page.dotsPerMeterX(), 3937);   // 100 dpi
        QCOMPARE(countBlack(page), crossCentre.x() < 0 ? 0 : 15 * 39);
        if (crossCentre.x() >= 0)
            QCOMPARE(qGray(page.pixel(crossCentre)), 0);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestBatchPrint)
#include "test_batchprint.moc"
