// tavelo-batch print, run as the user runs it: the options, the files it
// writes, the messages of the card and the exit status.
#include "BatchRun.h"
#include "FifoReader.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "cardfile/CardFile.h"
#include "sheet/FontMapping.h"
#include "sheet/SheetPrinter.h"

#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t typeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// A card of one field, and a list of two people for it.
bool writeCardAndList(const QString &folder)
{
    return TestFiles::writeFile(folder + "/card.tvl", TestFiles::cardBytes(fixedLines() << TestFiles::textRecord("#0", "{名前}")))
           && TestFiles::writeFile(folder + "/list.csv", "名前\r\nA\r\nB\r\n");
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

    // A job lays its captions out while the card's pictures load, with the
    // options that change the layout applied by then: its pages are those
    // the sheet draws here for the same card with those settings stored.
    void pngPagesAsDrawnHere_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("back");
        QTest::newRow("the card's own settings") << QStringList() << false;
        QTest::newRow("margins given") << QStringList{"--margin-left", "12", "--margin-top", "7"} << false;
        QTest::newRow("both sides") << QStringList() << true;
    }
    void pngPagesAsDrawnHere()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, back);
        FontMapping::installFaceSubstitutions();
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(logo, TestFiles::simpleBmp(48, 32)));
        const auto cardLines = [&](int marginLeft, int marginTop) {
            QStringList lines = fixedLines(1, marginLeft, marginTop);
            if (back)
                lines << TestFiles::backLine(TestFiles::textRecord("#0", "Tavelo Printing", 20, 30, 200, 24, "ＭＳ ゴシック", 14, 0,
                                                                   "B   "));
            // A bold caption in a face without a bold style is emboldened.
            lines << TestFiles::textRecord("#0", "株式会社タベロ印刷", 10, 8, 180, 24, "ＭＳ 明朝", 12, 0x0000c0, "B   ")
                  << TestFiles::textRecord("#1", "東京都千代田区一番町", 10, 60)
                  << TestFiles::imageRecord("$0", logo, 250, 10, 64, 48);
            return TestFiles::cardBytes(lines);
        };
        const QString card = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(card, cardLines(0, 0)));
        const BatchRun run =
            runBatch(QStringList{"print", card, "-o", dir.filePath(QStringLiteral("batch.png")), "--dpi", "150"} + options);
        QCOMPARE(run.exitCode, 0);

        const QString stored = dir.filePath(QStringLiteral("stored.tvl"));
        QVERIFY(TestFiles::writeFile(stored, options.isEmpty() ? cardLines(0, 0) : cardLines(12, 7)));
        CardDocument doc;
        doc.setScreenPpi(96);
        bool isCard = false;
        LoadCardFile(doc, stored, &isCard);
        QVERIFY(isCard);
        SheetJob job;
        job.dpi = 150;
        job.sides = SheetSides::of(back ? DuplexMode::LongEdge : DuplexMode::OneSided);
        QString error;
        QVERIFY2(SheetPrinter::writePng(doc, job, dir.filePath(QStringLiteral("here.png")), &error), qPrintable(error));
        const int pages = back ? 2 : 1;
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("batch-*")}).size(), pages);
        for (int page = 1; page <= pages; ++page) {
            const QImage batch(dir.filePath(QStringLiteral("batch-%1.png").arg(page)));
            const QImage here(dir.filePath(QStringLiteral("here-%1.png").arg(page)));
            QVERIFY(!batch.isNull() && !here.isNull());
            QVERIFY2(batch == here, qPrintable(QStringLiteral("page %1").arg(page)));
        }
    }

    // -o - and the process's own standard output by name: the PDF goes there
    // and nowhere else, merged or not; no file is written.
    void standardOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("merge");
        QTest::newRow("-") << "-" << false;
        QTest::newRow("/dev/stdout") << "/dev/stdout" << false;
        QTest::newRow("- merged") << "-" << true;
    }
    void standardOutput()
    {
        QFETCH(QString, output);
        QFETCH(bool, merge);
        QTemporaryDir dir;
        QVERIFY(writeCardAndList(dir.path()));
        QStringList args{"print", dir.filePath("card.tvl"), "-o", output};
        args << (merge ? QStringList{"--merge", dir.filePath("list.csv")} : QStringList{"--copies", "2"});
        const BatchRun run = runBatch(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QVERIFY(run.out.startsWith("%PDF-"));
        QCOMPARE(TestFiles::pdfPageCount(run.out), 2);
        QCOMPARE(entries(dir.path()), (QStringList{"card.tvl", "list.csv"}));
    }

    // A PDF into a FIFO or a device, named or through a link: written into
    // it, and it stays what it was.
    void streamOutputs_data()
    {
        QTest::addColumn<mode_t>("type");
        QTest::addColumn<QString>("output");   // "node" or a link to it
        QTest::newRow("FIFO without an extension") << mode_t(S_IFIFO) << "node";
        QTest::newRow("link.pdf to a FIFO") << mode_t(S_IFIFO) << "link.pdf";
        QTest::newRow("link.pdf to a device") << mode_t(S_IFCHR) << "link.pdf";
    }
    void streamOutputs()
    {
        QFETCH(mode_t, type);
        QFETCH(QString, output);
        QTemporaryDir dir;
        QVERIFY(writeCardAndList(dir.path()));
        const QString node = dir.filePath("node");
        // A null device of the test's own: a fault cannot reach /dev/null.
        if (::mknod(QFile::encodeName(node).constData(), type | 0666, type == S_IFCHR ? makedev(1, 3) : 0) != 0)
            QSKIP("cannot make the node here (a device needs the superuser)");
        if (output != QLatin1String("node"))
            QCOMPARE(::symlink("node", QFile::encodeName(dir.filePath(output)).constData()), 0);
        std::unique_ptr<FifoReader> reader;
        if (type == S_IFIFO)
            reader = std::make_unique<FifoReader>(node);
        const BatchRun run = runBatch({"print", dir.filePath("card.tvl"), "-o", dir.filePath(output), "--copies", "3"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        if (reader)
            QCOMPARE(TestFiles::pdfPageCount(reader->finish()), 3);
        QCOMPARE(typeOf(node), type);
    }

    // Outputs a job must not write: the exit status, a message naming the
    // path, and the folder as it was (a planted link's target unchanged).
    void refusedOutputs_data()
    {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");   // @: the folder
        QTest::newRow("other user's link in a sticky folder")
            << "planted" << "@/shared/out.pdf" << 3 << Msg::linkNotFollowed("@/shared/out.pdf");
        QTest::newRow("a name that is only .png") << "" << "@/.png" << 2 << Msg::outputNameOnlyExtension("@/.png");
        QTest::newRow("a name that is only .PDF") << "" << "@/.PDF" << 2 << Msg::outputNameOnlyExtension("@/.PDF");
        QTest::newRow("a FIFO named .png") << "fifos" << "@/stream.png" << 2 << Msg::pngOutputIsStream("@/stream.png");
        QTest::newRow("a page that is a FIFO") << "fifos" << "@/pages.png" << 3 << Msg::notRegularFile("@/pages-1.png");
        QTest::newRow("neither a file type nor a stream") << "" << "@/out" << 2 << Msg::outputNeedsFormat();
        QTest::newRow("a FIFO as the card") << "fifo card" << "@/out.pdf" << 1 << Msg::notRegularFile("@/card.tvl");
    }
    void refusedOutputs()
    {
        QFETCH(QString, scene);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QVERIFY(writeCardAndList(dir.path()));
        const auto native = [&](const QString &name) { return QFile::encodeName(dir.filePath(name)); };
        if (scene == QLatin1String("planted")) {
            if (::geteuid() != 0)
                QSKIP("giving a link to another user needs the superuser");
            QVERIFY(TestFiles::writeFile(dir.filePath("victim"), "root's file"));
            QCOMPARE(::mkdir(native("shared").constData(), 0700), 0);
            QCOMPARE(::chmod(native("shared").constData(), 01777), 0);
            QCOMPARE(::symlink("../victim", native("shared/out.pdf").constData()), 0);
            QCOMPARE(::lchown(native("shared/out.pdf").constData(), 65534, gid_t(-1)), 0);
        } else if (scene == QLatin1String("fifos")) {
            QCOMPARE(::mkfifo(native("stream.png").constData(), 0600), 0);
            QCOMPARE(::mkfifo(native("pages-1.png").constData(), 0600), 0);
        } else if (scene == QLatin1String("fifo card")) {
            QCOMPARE(::rename(native("card.tvl").constData(), native("card.bytes").constData()), 0);
            QCOMPARE(::mkfifo(native("card.tvl").constData(), 0600), 0);
        }
        const QStringList before = entries(dir.path());
        const BatchRun run = runBatch({"print", dir.filePath("card.tvl"), "-o", output.replace("@", dir.path())});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(said.replace("@", dir.path())), run.err.constData());
        QCOMPARE(entries(dir.path()), before);
        if (scene == QLatin1String("planted"))
            QCOMPARE(TestFiles::readFile(dir.filePath("victim")), QByteArray("root's file"));
        if (scene == QLatin1String("fifos"))
            QVERIFY(typeOf(dir.filePath("stream.png")) == S_IFIFO && typeOf(dir.filePath("pages-1.png")) == S_IFIFO);
    }
};

QTEST_MAIN(TestBatchPrint)
#include "test_batchprint.moc"
