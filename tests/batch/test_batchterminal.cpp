// What tavelo-batch writes to the terminal: its own messages only (no
// library's remarks), and no control character from a card, a list or the
// command line as it stands — an escape or bell byte would reach the
// terminal as a command.
#include "BatchRun.h"
#include "TestFiles.h"
#include "base/Messages.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace TestFiles;

namespace {

// The first control character in bytes (C0 but the line feed, DEL, or C1 in
// UTF-8), or −1.
qsizetype controlAt(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if ((b < 0x20 && b != '\n') || b == 0x7F)
            return i;
        if (b == 0xC2 && i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) <= 0x9F)
            return i;
    }
    return -1;
}

}   // namespace

class TestBatchTerminal : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(path(QStringLiteral("whole.png"))));
        QVERIFY(writeFile(path(QStringLiteral("cut.png")), readFile(path(QStringLiteral("whole.png"))).left(60)));
        QStringList lines = fixedLines(0);
        lines << textRecord(QStringLiteral("#0"), QStringLiteral("bell\x07 and escape\x1B[2J"));
        lines << imageRecord(QStringLiteral("$0"), path(QStringLiteral("\x1B]0;owned\x07x.bmp")));
        QVERIFY(writeFile(path(QStringLiteral("escapes.tvl")), cardBytes(lines)));
        QVERIFY(
            writeFile(path(QStringLiteral("cut.tvl")),
                      cardBytes(fixedLines(0) << imageRecord(QStringLiteral("$0"), path(QStringLiteral("cut.png"))))));
        QVERIFY(writeFile(path(QStringLiteral("plain.tvl")),
                          cardBytes(fixedLines(0) << textRecord(QStringLiteral("#0"), QStringLiteral("{名前}")))));
        QVERIFY(writeFile(path(QStringLiteral("c1.csv")), "\xE5\x90\x8D\xE5\x89\x8D,a\xC2\x9B"
                                                          "2Jb\n\xE5\xB1\xB1,x\n"));
    }

    void onlyOwnTextsEscaped_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");   // a part of stdout or stderr, as written
        const QString pdf = path(QStringLiteral("out.pdf"));
        QTest::newRow("print: a picture path with escape and bell")
            << QStringList{"print", path("escapes.tvl"), "-o", pdf} << 1 << QByteArray("\\x1b]0;owned\\x07x.bmp");
        QTest::newRow("print: a PNG cut short, no libpng remark")
            << QStringList{"print", path("cut.tvl"), "-o", pdf} << 1
            << QByteArray(Msg::invalidBitmap().toUtf8() + ".\n");
        QTest::newRow("print: an option with an escape")
            << QStringList{"print", path("plain.tvl"), "-o", pdf, "--\x1B[2J"} << 2
            << QByteArray("unknown option '--\\x1b[2J'");
        QTest::newRow("merge-info: a list path with an escape")
            << QStringList{"merge-info", path("plain.tvl"), path("\x1B[31mred.csv")} << 1
            << QByteArray("/\\x1b[31mred.csv");
        QTest::newRow("merge-info: a C1 character in a column name, JSON")
            << QStringList{"merge-info", path("plain.tvl"), path("c1.csv")} << 0 << QByteArray("a\\u009b2Jb");
        QTest::newRow("info: escape and bell in a caption, JSON")
            << QStringList{"info", path("escapes.tvl")} << 1 << QByteArray("bell\\u0007 and escape\\u001b[2J");
    }
    void onlyOwnTextsEscaped()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        const BatchRun run = runBatch(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(controlAt(run.err) < 0, run.err.constData());
        QVERIFY2(controlAt(run.out) < 0, run.out.constData());
        QVERIFY2(!run.err.contains("libpng"), run.err.constData());
        QVERIFY2(run.err.contains(out) || run.out.contains(out), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestBatchTerminal)
#include "test_batchterminal.moc"
