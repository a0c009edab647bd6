// tavelo-batch info, run as the user runs it: the card as JSON, the messages
// the read would have shown, and the exit status.
#include "BatchRun.h"
#include "TestFiles.h"
#include "base/CodePage932.h"
#include "base/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

namespace {

QByteArray compact(const QJsonValue &value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
}

} // namespace

class TestBatchInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // lines: the card file ("@": its folder); expected: the JSON members checked.
    void info_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example card")
            << (fixedLines(1, 5, 10) << "Layout=2,5,140,115,915,550" << textRecord("#2", "営業部", 20, 30, 120, 30, "ＭＳ Ｐ明朝", 21, 0, "B   ")
                                     << imageRecord("$0", "D:\\cards\\missing.bmp", 250, 10, 64, 64)
                                     << imageRecord("$0", "@/logo.bmp", 0, 0, 10, 10))
            << QStringList() << 1 << QStringLiteral(R"({"file": "@/営業.tvl", "printGuide": 1, "marginLeft": 5, "marginTop": 10,
                "layout": "2,5,14.0,11.5,91.5,55.0", "modified": false, "textBoxes": [{"slot": 0, "name": "box0", "caption": "営業部",
                "left": 20, "top": 30, "width": 120, "height": 30,
                "font": {"name": "ＭＳ Ｐ明朝", "size": 21, "height": -28, "color": 0, "style": ["bold"]},
                "align": "left", "charScale": [100, 100], "spacing": 0, "vertical": false, "tcy": 2}],
                "imageBoxes": [{"slot": 0, "name": "img0", "path": "D:\\cards\\missing.bmp",
                "left": 250, "top": 10, "width": 64, "height": 64, "picture": null},
                {"slot": 1, "name": "img1", "path": "@/logo.bmp", "left": 0, "top": 0, "width": 10, "height": 10,
                "picture": {"width": 48, "height": 32}}],
                "messages": ["ﾌｧｲﾙ D:\\cards\\missing.bmp は開けません."]})");
        // A card from elsewhere: its pictures found beside it, the paths they were
        // loaded from told; finding them is no fault (the notice goes to stderr).
        QTest::newRow("pictures found beside the card")
            << (fixedLines(0, 0, 0) << "BackgroundPicture=D:%5Ccards%5Clogo.svg"
                                    << imageRecord("$0", "D:\\cards\\LOGO.BMP", 0, 0, 64, 64))
            << QStringList() << 0
            << QStringLiteral(
                   R"({"imageBoxes": [{"slot": 0, "name": "img0", "path": "@/logo.bmp", "storedPath": "D:\\cards\\LOGO.BMP",
                "left": 0, "top": 0, "width": 64, "height": 64, "picture": {"width": 48, "height": 32}}],
                "background": {"color": null, "picture": "@/logo.svg", "storedPicture": "D:\\cards\\logo.svg", "fit": "stretch"},
                "messages": []})");
        // A caption that code page 932 lacks: the Caption= line gives it whole.
        QTest::newRow("caption line") << (fixedLines(0, 0, 0) << textRecord("#0", "〓田 太郎 〓", 0, 0, 100, 20)
                                                              << "Caption=%F0%A0%AE%B7%E7%94%B0 %E5%A4%AA%E9%83%8E %E2%98%8E")
                                      << QStringList() << 0 << QStringLiteral(R"({"textBoxes": [{"slot": 0, "name": "box0",
                "caption": "𠮷田 太郎 ☎", "left": 0, "top": 0, "width": 100, "height": 20,
                "font": {"name": "ＭＳ Ｐ明朝", "size": 10, "height": -13, "color": 0, "style": []},
                "align": "left", "charScale": [100, 100], "spacing": 0, "vertical": false, "tcy": 2}], "messages": []})");
        // (\u0022 is the quotation mark; \" would end a raw string for moc.)
        QTest::newRow("clean card with a picture, at 120 PPI")
            << (fixedLines(0, 0, 0) << textRecord("#0", "say \"hi\"\\\ttab\nline", 0, 0, 100, 20, "Arial", 10, -2147483640, "BIUS")
                                    << imageRecord("$0", "@/logo.bmp", 100, 0, 64, 64))
            << QStringList{"--screen-dpi", "120"} << 0 << QStringLiteral(R"({"textBoxes": [{"slot": 0, "name": "box0",
                "caption": "say \u0022hi\u0022\\\ttab\nline", "left": 0, "top": 0, "width": 100, "height": 20,
                "font": {"name": "Arial", "size": 10, "height": -17, "color": -2147483640,
                "style": ["bold", "italic", "underline", "strikeout"]},
                "align": "left", "charScale": [100, 100], "spacing": 0, "vertical": false, "tcy": 2}],
                "imageBoxes": [{"slot": 0, "name": "img0", "path": "@/logo.bmp", "left": 100, "top": 0,
                "width": 64, "height": 64, "picture": {"width": 48, "height": 32}}], "messages": []})");
        QTest::newRow("text setting")
            << (fixedLines(0, 0, 0) << textRecord("#0", "山田太郎", 200, 10, 30, 160) << "Align=justify" << "CharScale=80,120"
                                    << "Spacing=-50" << "Vertical=1" << "Tcy=0")
            << QStringList() << 0 << QStringLiteral(R"({"textBoxes": [{"slot": 0, "name": "box0", "caption": "山田太郎",
                "left": 200, "top": 10, "width": 30, "height": 160,
                "font": {"name": "ＭＳ Ｐ明朝", "size": 10, "height": -13, "color": 0, "style": []},
                "align": "justify", "charScale": [80, 120], "spacing": -50, "vertical": true, "tcy": 0}], "messages": []})");
        // A path with fields is filled by each merge row: no picture of its own, nothing wrong.
        QTest::newRow("placeholder picture")
            << (fixedLines(0, 0, 0) << imageRecord("$0", "{写真}", 0, 0, 60, 60) << imageRecord("$1", "@/{番号}.png", 70, 0, 60, 60))
            << QStringList() << 0 << QStringLiteral(R"({"imageBoxes": [{"slot": 0, "name": "img0", "path": "{写真}",
                "left": 0, "top": 0, "width": 60, "height": 60, "placeholder": true, "picture": null},
                {"slot": 1, "name": "img1", "path": "@/{番号}.png", "left": 70, "top": 0, "width": 60, "height": 60,
                "placeholder": true, "picture": null}], "messages": []})");
        QTest::newRow("background, shapes and an SVG logo")
            << (fixedLines(0, 0, 0) << "Background=16711680" << "BackgroundPicture=@/{%E8%83%8C%E6%99%AF}.png"
                                    << "Shape=hline,10,100,330,100,3,0,dash" << "Shape=rect,0,0,344,30,0,255,solid,none,20"
                                    << imageRecord("$0", "@/logo.svg", 0, 0, 60, 60))
            << QStringList() << 0 << QStringLiteral(R"({"background": {"color": 16711680, "picture": "@/{背景}.png",
                "placeholder": true, "fit": "stretch"},
                "shapes": [{"kind": "horizontal line", "x1": 10, "y1": 100, "x2": 330, "y2": 100, "width": 3, "color": 0,
                "style": "dashed"}, {"kind": "rectangle", "x1": 0, "y1": 0, "x2": 344, "y2": 30, "width": 0, "color": 255,
                "style": "solid", "fill": null, "radius": 20}],
                "imageBoxes": [{"slot": 0, "name": "img0", "path": "@/logo.svg", "left": 0, "top": 0, "width": 60,
                "height": 60, "svg": true, "picture": {"width": 96, "height": 48}}], "messages": []})");
        QTest::newRow("missing file") << QStringList() << QStringList() << 1
                                      << QStringLiteral("{\"messages\": [\"%1.\"]}").arg(Msg::fileNotFound());
    }
    void info()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("営業.tvl"));
        QVERIFY(TestFiles::writeFile(dir.filePath(QStringLiteral("logo.bmp")), TestFiles::simpleBmp(48, 32)));
        QVERIFY(TestFiles::writeFile(dir.filePath(QStringLiteral("logo.svg")),
                                     "<svg xmlns='http://www.w3.org/2000/svg' width='1in' height='0.5in'/>"));
        if (!lines.isEmpty())
            QVERIFY(TestFiles::writeFile(path, TestFiles::cardBytes(lines.replaceInStrings("@", dir.path()))));
        const BatchRun run = runBatch(QStringList{QStringLiteral("info"), path} + options);
        QCOMPARE(run.exitCode, exitCode);

        int last = -1;   // keys in their fixed order
        for (const char *key : {"\"file\"", "\"printGuide\"", "\"marginLeft\"", "\"marginTop\"", "\"layout\"", "\"modified\"",
                                "\"textBoxes\"", "\"imageBoxes\"", "\"messages\""}) {
            QVERIFY2(run.out.indexOf(key) > last, key);
            last = int(run.out.indexOf(key));
        }
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        const QJsonObject wanted = QJsonDocument::fromJson(expected.replace("@", dir.path()).toUtf8()).object();
        QVERIFY(!wanted.isEmpty());
        for (auto it = wanted.begin(); it != wanted.end(); ++it)
            QCOMPARE(compact(json.value(it.key())), compact(it.value()));
    }

    // Pictures found beside a moved card are no fault: every command says so
    // on stderr, does its work and ends with status 0; set stores the paths found.
    void foundBesideIsNoFault_data()
    {
        QTest::addColumn<QStringList>("args");   // @: the card's folder
        QTest::addColumn<QString>("written");    // a card file the command writes, or empty
        QTest::newRow("info") << QStringList{"info", "@/card.tvl"} << QString();
        QTest::newRow("print") << QStringList{"print", "@/card.tvl", "-o", "@/card.pdf", "--dpi", "72"} << QString();
        QTest::newRow("pack") << QStringList{"pack", "@/card.tvl", "-o", "@/packed"}
                              << QStringLiteral("@/packed/card.tvl");
        QTest::newRow("set") << QStringList{"set", "@/card.tvl", "--align", "center", "-o", "@/set.tvl"}
                             << QStringLiteral("@/set.tvl");
    }
    void foundBesideIsNoFault()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        QVERIFY(folder.mkpath(QStringLiteral("画像")));
        QVERIFY(TestFiles::writeFile(folder.filePath(QStringLiteral("logo.bmp")), TestFiles::simpleBmp(8, 8)));
        QVERIFY(TestFiles::writeFile(folder.filePath(QStringLiteral("画像/paper.bmp")), TestFiles::simpleBmp(4, 4)));
        QVERIFY(TestFiles::writeFile(folder.filePath(QStringLiteral("card.tvl")),
                                     TestFiles::cardBytes(fixedLines(0, 0, 0) << "BackgroundPicture=/gone/paper.bmp"
                                                                              << textRecord("#0", "山田")
                                                                              << imageRecord("$0", "/gone/logo.bmp"))));
        const BatchRun run = runBatch(args.replaceInStrings(QStringLiteral("@"), dir.path()));
        QCOMPARE(run.exitCode, 0);
        const QString notice = Msg::picturesFoundBesideCard(
            {folder.filePath(QStringLiteral("logo.bmp")), folder.filePath(QStringLiteral("画像/paper.bmp"))});
        QCOMPARE(QString::fromUtf8(run.err), notice + QLatin1Char('\n'));
        if (args.constFirst() == QLatin1String("info"))
            QCOMPARE(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("messages")).toArray().size(), 0);
        if (written.isEmpty())
            return;
        // The card written names the pictures where they are now.
        const QByteArray card = TestFiles::readFile(written.replace(QStringLiteral("@"), dir.path()));
        const QString folderOfCard = QFileInfo(written).path();
        QVERIFY(card.contains(CodePage932::encode(QDir(folderOfCard).filePath(QStringLiteral("logo.bmp")))));
        QVERIFY(!card.contains("/gone/"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unknown option") << QStringList{"info", "a.tvl", "--dpi", "96"} << 2;
        QTest::newRow("dpi zero") << QStringList{"info", "a.tvl", "--screen-dpi=0"} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 0;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const BatchRun run = runBatch(args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0)
            QVERIFY(run.out.isEmpty());
        QVERIFY((exitCode == 0 ? run.out : run.err).contains("info CARD.tvl [--screen-dpi N]"));
    }
};

QTEST_MAIN(TestBatchInfo)
#include "test_batchinfo.moc"
