// tavelo-batch set, run as the user runs it: the lines it writes after each
// box, the box turned on end, the options it refuses, and cards it leaves
// alone because writing them would lose what the read could not keep.
#include "BatchRun.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using TestFiles::backLine;
using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

class TestBatchSet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // options -> the card's lines after the change.
    void writesTheLines_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        const QStringList first = textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"), 10, 20, 160, 30);
        const QStringList second = textRecord(QStringLiteral("#1"), QStringLiteral("営業部"), 10, 60, 100, 20);
        const QStringList picture = imageRecord(QStringLiteral("$0"), QStringLiteral("missing.bmp"));
        QTest::newRow("one box justified")
            << QStringList{"--box", "0", "--align", "justify"}
            << (fixedLines() + first + QStringList{"Align=justify"} + second + picture);
        QTest::newRow("every box vertical, its width and height swapped")
            << QStringList{"--vertical", "on", "--tcy=3"}
            << (fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"), 10, 20, 30, 160)
                + QStringList{"Vertical=1", "Tcy=3"} + textRecord(QStringLiteral("#1"), QStringLiteral("営業部"), 10, 60, 20, 100)
                + QStringList{"Vertical=1", "Tcy=3"} + picture);
        QTest::newRow("scale and spacing")
            << QStringList{"--box", "1", "--char-scale", "80,100", "--spacing", "-120"}
            << (fixedLines() + first + second + QStringList{"CharScale=80,100", "Spacing=-120"} + picture);
        QTest::newRow("back to the default: no lines")
            << QStringList{"--box", "all", "--align", "left", "--char-scale", "100,100", "--spacing", "0"}
            << (fixedLines() + first + second + picture);
    }
    void writesTheLines()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        const QStringList start = fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"), 10, 20, 160, 30)
                                  + textRecord(QStringLiteral("#1"), QStringLiteral("営業部"), 10, 60, 100, 20)
                                  + imageRecord(QStringLiteral("$0"), QStringLiteral("missing.bmp"));
        QVERIFY(TestFiles::writeFile(card, cardBytes(start)));
        const QString out = dir.filePath(QStringLiteral("out.tvl"));
        const BatchRun run = runBatch(QStringList{"set", card} + options + QStringList{"-o", out});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(TestFiles::readFile(out), cardBytes(lines));
        QCOMPARE(TestFiles::readFile(card), cardBytes(start));
    }

    // Wrong command lines: exit 2, the card untouched.
    void refusedOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("nothing to change") << QStringList();
        QTest::newRow("slot 20") << QStringList{"--box", "20", "--vertical", "on"};
        QTest::newRow("unknown alignment") << QStringList{"--align", "middle"};
        QTest::newRow("scale below 50") << QStringList{"--char-scale", "40,100"};
        QTest::newRow("one scale") << QStringList{"--char-scale", "80"};
        QTest::newRow("spacing too wide") << QStringList{"--spacing", "2001"};
        QTest::newRow("spacing with a plus") << QStringList{"--spacing", "+5"};
        QTest::newRow("vertical yes") << QStringList{"--vertical", "yes"};
        QTest::newRow("five digits") << QStringList{"--tcy", "5"};
        QTest::newRow("no value") << QStringList{"--tcy"};
        QTest::newRow("unknown option") << QStringList{"--ruby", "1"};
    }
    void refusedOptions()
    {
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        const QByteArray bytes = cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")));
        QVERIFY(TestFiles::writeFile(card, bytes));
        const BatchRun run = runBatch(QStringList{"set", card} + options);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.startsWith("tavelo-batch set: "));
        QCOMPARE(TestFiles::readFile(card), bytes);
    }

    // A card whose read lost something (a bad property line, a cut text) or
    // has no such box is not written: exit 1, the file as it was.
    void leftAlone_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("bad property line")
            << (fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")) + QStringList{"Spacing=9999"})
            << QStringList{"--vertical", "on"};
        QTest::newRow("no box in the slot") << (fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")))
                                            << QStringList{"--box", "3", "--vertical", "on"};
        QTest::newRow("not a card") << QStringList{"hello"} << QStringList{"--vertical", "on"};
    }
    void leftAlone()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        const QByteArray bytes = cardBytes(lines);
        QVERIFY(TestFiles::writeFile(card, bytes));
        const BatchRun run = runBatch(QStringList{"set", card} + options);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("was not changed") || run.err.contains("has no text box"));
        QCOMPARE(TestFiles::readFile(card), bytes);
    }

    // --side chooses whose text boxes change: the front's by default, the
    // back's (their property lines inside the Back lines) with back; the
    // other side stays byte for byte.
    void chosenSide_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        const QStringList front = textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"), 10, 20, 160, 30);
        const QStringList back = textRecord(QStringLiteral("#0"), QStringLiteral("Taro Yamada"), 5, 6, 100, 20);
        const QStringList second = textRecord(QStringLiteral("#1"), QStringLiteral("Sales"), 5, 40, 80, 20);
        QTest::newRow("front by default")
            << QStringList{"--align", "right"}
            << (fixedLines() + QStringList{backLine(back), backLine(second)} + front + QStringList{"Align=right"});
        QTest::newRow("front named") << QStringList{"--side", "front", "--align", "right"}
                                     << (fixedLines() + QStringList{backLine(back), backLine(second)} + front
                                         + QStringList{"Align=right"});
        QTest::newRow("every box of the back") << QStringList{"--side=back", "--align", "center"}
                                               << (fixedLines()
                                                   + QStringList{backLine(back + QStringList{"Align=center"}),
                                                                 backLine(second + QStringList{"Align=center"})}
                                                   + front);
        QTest::newRow("one box of the back, turned on end")
            << QStringList{"--side", "back", "--box", "1", "--vertical", "on"}
            << (fixedLines()
                + QStringList{backLine(back),
                              backLine(textRecord(QStringLiteral("#1"), QStringLiteral("Sales"), 5, 40, 20, 80)
                                       + QStringList{"Vertical=1"})}
                + front);
    }
    void chosenSide()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        const QStringList start =
            fixedLines()
            + QStringList{backLine(textRecord(QStringLiteral("#0"), QStringLiteral("Taro Yamada"), 5, 6, 100, 20)),
                          backLine(textRecord(QStringLiteral("#1"), QStringLiteral("Sales"), 5, 40, 80, 20))}
            + textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"), 10, 20, 160, 30);
        QVERIFY(TestFiles::writeFile(card, cardBytes(start)));
        const BatchRun run = runBatch(QStringList{"set", card} + options);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(TestFiles::readFile(card), cardBytes(lines));
    }

    // The back of a card without one, or a side that is none: the card is
    // left as it was, and the message says why.
    void sideRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("no back") << QStringList{"--side", "back", "--align", "center"} << 1
                                 << QStringLiteral("この名刺には裏面がありません。");
        QTest::newRow("no such box on the back") << QStringList{"--side", "back", "--box", "4", "--align", "center"}
                                                 << 1 << QStringLiteral("has no text box 4 on its back");
        QTest::newRow("both sides") << QStringList{"--side", "both", "--align", "center"} << 2
                                    << QStringLiteral("--side takes front or back, not 'both'");
    }
    void sideRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        QStringList lines = fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田"));
        if (options.contains(QStringLiteral("4")))   // a back, without slot 4
            lines.insert(fixedLines().size(), backLine(textRecord(QStringLiteral("#0"), QStringLiteral("Yamada"))));
        const QByteArray bytes = cardBytes(lines);
        QVERIFY(TestFiles::writeFile(card, bytes));
        const BatchRun run = runBatch(QStringList{"set", card} + options);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(says), run.err.constData());
        QCOMPARE(TestFiles::readFile(card), bytes);
    }

    // In place: the card itself is replaced.
    void inPlace()
    {
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(card, cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")))));
        const BatchRun run = runBatch({"set", card, "--align=center"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(TestFiles::readFile(card),
                 cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")) + QStringList{"Align=center"}));
    }
};

QTEST_GUILESS_MAIN(TestBatchSet)
#include "test_batchset.moc"
