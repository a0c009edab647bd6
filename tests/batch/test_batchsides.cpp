// Two-sided cards from the command line: join and split, info's "back",
// print --sides and --flip, and a merge whose back sheet holds each row's
// back behind its own front.
#include "BatchRun.h"
#include "TestFiles.h"
#include "sheet/PagePixels.h"
#include "sheet/SheetLayout.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

class TestBatchSides : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    int pngPages(const QString &base) const
    {
        int n = 0;
        while (QFile::exists(path(QStringLiteral("%1-%2.png").arg(base).arg(n + 1))))
            ++n;
        return n;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QStringList front = fixedLines(1, 2, 3) + textRecord(QStringLiteral("#0"), QStringLiteral("山田 太郎"))
                                  + imageRecord(QStringLiteral("$0"), QString(), 100, 0, 64, 64);
        const QStringList back = fixedLines(1, 2, 3) + textRecord(QStringLiteral("#0"), QStringLiteral("Taro Yamada"), 5, 6)
                                 + textRecord(QStringLiteral("#1"), QStringLiteral("QR:https://example.jp/"), 200, 80, 80, 80);
        QVERIFY(writeFile(path(QStringLiteral("front.tvl")), cardBytes(front)));
        QVERIFY(writeFile(path(QStringLiteral("back.tvl")), cardBytes(back)));
    }

    // join and split are each other's reverse, byte for byte.
    void joinAndSplit()
    {
        BatchRun run = runBatch({QStringLiteral("join"), path(QStringLiteral("front.tvl")), path(QStringLiteral("back.tvl")),
                                 QStringLiteral("-o"), path(QStringLiteral("card.tvl"))});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        const QByteArray card = readFile(path(QStringLiteral("card.tvl")));
        QCOMPARE(card.count("\r\nBack="), 2);

        run = runBatch({QStringLiteral("split"), path(QStringLiteral("card.tvl")), QStringLiteral("-o"),
                        path(QStringLiteral("f.tvl")), path(QStringLiteral("b.tvl"))});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readFile(path(QStringLiteral("f.tvl"))), readFile(path(QStringLiteral("front.tvl"))));
        QCOMPARE(readFile(path(QStringLiteral("b.tvl"))), readFile(path(QStringLiteral("back.tvl"))));

        // info shows the back in the front's shape.
        run = runBatch({QStringLiteral("info"), path(QStringLiteral("card.tvl"))});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        const QJsonObject back = info.value(QStringLiteral("back")).toObject();
        QCOMPARE(back.value(QStringLiteral("textBoxes")).toArray().size(), 2);
        QCOMPARE(back.value(QStringLiteral("imageBoxes")).toArray().size(), 0);
        QCOMPARE(back.value(QStringLiteral("textBoxes")).toArray().at(1).toObject().value(QStringLiteral("qr")).toBool(), true);
        QCOMPARE(info.value(QStringLiteral("textBoxes")).toArray().at(0).toObject().value(QStringLiteral("caption")).toString(),
                 QStringLiteral("山田 太郎"));
        run = runBatch({QStringLiteral("info"), path(QStringLiteral("front.tvl"))});
        QVERIFY(!QJsonDocument::fromJson(run.out).object().contains(QStringLiteral("back")));
    }

    // What is refused, with the status, and that nothing was written then.
    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        const QString out = QStringLiteral("out.tvl");
        QTest::newRow("join, one card") << QStringList{QStringLiteral("join"), QStringLiteral("front.tvl"), QStringLiteral("-o"), out} << 2;
        QTest::newRow("join, no output") << QStringList{QStringLiteral("join"), QStringLiteral("front.tvl"), QStringLiteral("back.tvl")} << 2;
        QTest::newRow("join, unknown option") << QStringList{QStringLiteral("join"), QStringLiteral("--x"), QStringLiteral("front.tvl"), QStringLiteral("back.tvl"), QStringLiteral("-o"), out} << 2;
        QTest::newRow("join, no such card") << QStringList{QStringLiteral("join"), QStringLiteral("none.tvl"), QStringLiteral("back.tvl"), QStringLiteral("-o"), out} << 1;
        QTest::newRow("join, front has a back") << QStringList{QStringLiteral("join"), QStringLiteral("twosided.tvl"), QStringLiteral("back.tvl"), QStringLiteral("-o"), out} << 1;
        QTest::newRow("join, back has a back") << QStringList{QStringLiteral("join"), QStringLiteral("front.tvl"), QStringLiteral("twosided.tvl"), QStringLiteral("-o"), out} << 1;
        QTest::newRow("split, one output") << QStringList{QStringLiteral("split"), QStringLiteral("twosided.tvl"), QStringLiteral("-o"), out} << 2;
        QTest::newRow("split, no back") << QStringList{QStringLiteral("split"), QStringLiteral("front.tvl"), QStringLiteral("-o"), out, QStringLiteral("out2.tvl")} << 1;
        QTest::newRow("print back of a one-sided card") << QStringList{QStringLiteral("print"), QStringLiteral("front.tvl"), QStringLiteral("--sides"), QStringLiteral("back"), QStringLiteral("-o"), QStringLiteral("out.pdf")} << 1;
        QTest::newRow("print --sides other") << QStringList{QStringLiteral("print"), QStringLiteral("twosided.tvl"), QStringLiteral("--sides=all"), QStringLiteral("-o"), QStringLiteral("out.pdf")} << 2;
        QTest::newRow("print --flip other") << QStringList{QStringLiteral("print"), QStringLiteral("twosided.tvl"), QStringLiteral("--flip"), QStringLiteral("diagonal"), QStringLiteral("-o"), QStringLiteral("out.pdf")} << 2;
    }
    void refused()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QVERIFY(writeFile(path(QStringLiteral("twosided.tvl")),
                          cardBytes(fixedLines() + QStringList{backLine(textRecord(QStringLiteral("#0"), QStringLiteral("b")))})));
        QDir::setCurrent(m_dir.path());
        const BatchRun run = runBatch(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(!run.err.isEmpty());
        for (const QString &name : {QStringLiteral("out.tvl"), QStringLiteral("out2.tvl"), QStringLiteral("out.pdf")})
            QVERIFY2(!QFile::exists(path(name)), qPrintable(name));
    }

    // The pages a print job gives: a two-sided card prints both sides unless
    // told otherwise, a one-sided card its fronts.
    void printedPages_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("pages");
        QTest::newRow("two-sided, default") << QStringLiteral("card.tvl") << QStringList() << 2;
        QTest::newRow("two-sided, two copies") << QStringLiteral("card.tvl") << QStringList{QStringLiteral("--copies=2")} << 4;
        QTest::newRow("two-sided, short edge") << QStringLiteral("card.tvl") << QStringList{QStringLiteral("--flip=short")} << 2;
        QTest::newRow("two-sided, front") << QStringLiteral("card.tvl") << QStringList{QStringLiteral("--sides=front")} << 1;
        QTest::newRow("two-sided, back") << QStringLiteral("card.tvl") << QStringList{QStringLiteral("--sides"), QStringLiteral("back")} << 1;
        QTest::newRow("one-sided, default") << QStringLiteral("front.tvl") << QStringList() << 1;
        QTest::newRow("one-sided, both") << QStringLiteral("front.tvl") << QStringList{QStringLiteral("--sides=both")} << 1;
    }
    void printedPages()
    {
        QFETCH(QString, card);
        QFETCH(QStringList, options);
        QFETCH(int, pages);
        static int job = 0;
        const QString base = QStringLiteral("job%1").arg(++job);
        const BatchRun run = runBatch(QStringList{QStringLiteral("print"), path(card), QStringLiteral("--dpi=50"), QStringLiteral("-o"),
                                                  path(base + QStringLiteral(".png"))}
                                      + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pngPages(base), pages);
        const BatchRun pdf = runBatch(QStringList{QStringLiteral("print"), path(card), QStringLiteral("--dpi=50"), QStringLiteral("-o"), QStringLiteral("-")} + options);
        QCOMPARE(pdf.exitCode, 0);
        QCOMPARE(pdfPageCount(pdf.out), qsizetype(pages));
    }

    // Eight rows in card mode: the back page holds the same rows, each
    // row's back in the cell behind its own front.
    void mergeBacksBehindFronts()
    {
        QString csv = QStringLiteral("pic\r\n");
        for (int row = 0; row < 8; ++row) {
            QImage picture(4, 4, QImage::Format_RGB32);
            picture.fill(qRgb(30 * row, 255 - 30 * row, 100));
            const QString name = path(QStringLiteral("row%1.png").arg(row));
            QVERIFY(picture.save(name));
            csv += name + QStringLiteral("\r\n");
        }
        QVERIFY(writeFile(path(QStringLiteral("rows.csv")), csv.toUtf8()));
        const QString field = QStringLiteral("{pic}");
        QVERIFY(writeFile(path(QStringLiteral("merge.tvl")),
                          cardBytes(fixedLines(0) + QStringList{backLine(imageRecord(QStringLiteral("$0"), field, 0, 0, 40, 40))}
                                    + imageRecord(QStringLiteral("$0"), field, 0, 0, 40, 40))));
        const BatchRun run = runBatch({QStringLiteral("print"), path(QStringLiteral("merge.tvl")), QStringLiteral("--merge"),
                                       path(QStringLiteral("rows.csv")), QStringLiteral("--merge-mode=card"),
                                       QStringLiteral("--dpi=60"), QStringLiteral("-o"), path(QStringLiteral("merged.png"))});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pngPages(QStringLiteral("merged")), 2);
        const QImage front(path(QStringLiteral("merged-1.png")));
        const QImage back(path(QStringLiteral("merged-2.png")));
        const QSize pixels = PagePixels::of(QPageSize(QPageSize::A4), 60);
        const SheetLayout frontLayout(60, 60, 96, 0, 0);
        const SheetLayout backLayout = frontLayout.turnedOver({SheetTurn::LongEdge, pixels, {}, {}});
        QSet<QRgb> seen;
        for (int c = 0; c < frontLayout.columns(); ++c) {
            for (int r = 0; r < frontLayout.rows(); ++r) {
                const QRgb colour = front.pixel(frontLayout.pagePoint(c, r, 20, 20));
                seen.insert(colour);
                QCOMPARE(back.pixel(backLayout.pagePoint(c, r, 20, 20)), colour);
                // The same place on the back, unmirrored, shows another row.
                QVERIFY(back.pixel(frontLayout.pagePoint(c, r, 20, 20)) != colour);
            }
        }
        QCOMPARE(seen.size(), 8);
    }
};

QTEST_MAIN(TestBatchSides)
#include "test_batchsides.moc"
