// tavelo-batch info, run as the user runs it: the card as JSON, the messages
// the read would have shown, and the exit status.
#include "BatchRun.h"
#include "Messages.h"
#include "TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

namespace {

QJsonObject jsonOf(const BatchRun &run)
{
    return QJsonDocument::fromJson(run.out).object();
}

} // namespace

class TestBatchInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exampleCard()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("営業.tvl"));
        const QStringList lines = fixedLines(1, 5, 10)
                                  << textRecord("#2", "営業部", 20, 30, 120, 30, "ＭＳ Ｐ明朝", 21, 0, "B   ")
                                  << imageRecord("$0", "D:\\cards\\logo.bmp", 250, 10, 64, 64);
        QVERIFY(TestFiles::writeFile(path, cardBytes(lines)));
        const BatchRun run = runBatch({QStringLiteral("info"), path});
        QCOMPARE(run.exitCode, 1);

        // Keys in their fixed order.
        int last = -1;
        for (const char *key : {"\"file\"", "\"printGuide\"", "\"marginLeft\"", "\"marginTop\"", "\"modified\"",
                                "\"textBoxes\"", "\"imageBoxes\"", "\"messages\""}) {
            const int at = int(run.out.indexOf(key));
            QVERIFY2(at > last, key);
            last = at;
        }

        const QJsonObject json = jsonOf(run);
        QCOMPARE(json.value("file").toString(), path);
        QCOMPARE(json.value("printGuide").toInt(), 1);
        QCOMPARE(json.value("marginLeft").toInt(), 5);
        QCOMPARE(json.value("marginTop").toInt(), 10);
        QCOMPARE(json.value("modified").toBool(), true);

        const QJsonArray texts = json.value("textBoxes").toArray();
        QCOMPARE(texts.size(), 1);
        const QJsonObject text = texts.at(0).toObject();
        QCOMPARE(text.value("slot").toInt(), 0);
        QCOMPARE(text.value("name").toString(), QStringLiteral("box0"));
        QCOMPARE(text.value("caption").toString(), QStringLiteral("営業部"));
        QCOMPARE(text.value("left").toInt(), 20);
        QCOMPARE(text.value("top").toInt(), 30);
        QCOMPARE(text.value("width").toInt(), 120);
        QCOMPARE(text.value("height").toInt(), 30);
        const QJsonObject font = text.value("font").toObject();
        QCOMPARE(font.value("name").toString(), QStringLiteral("ＭＳ Ｐ明朝"));
        QCOMPARE(font.value("size").toInt(), 21);
        QCOMPARE(font.value("height").toInt(), -28);
        QCOMPARE(font.value("color").toInt(), 0);
        QCOMPARE(font.value("style").toArray(), QJsonArray{"bold"});

        const QJsonArray images = json.value("imageBoxes").toArray();
        QCOMPARE(images.size(), 1);
        const QJsonObject image = images.at(0).toObject();
        QCOMPARE(image.value("slot").toInt(), 0);
        QCOMPARE(image.value("name").toString(), QStringLiteral("img0"));
        QCOMPARE(image.value("path").toString(), QStringLiteral("D:\\cards\\logo.bmp"));
        QCOMPARE(image.value("left").toInt(), 250);
        QCOMPARE(image.value("width").toInt(), 64);
        QVERIFY(image.value("picture").isNull());

        QCOMPARE(json.value("messages").toArray(), QJsonArray{QStringLiteral("ﾌｧｲﾙ D:\\cards\\logo.bmp は開けません.")});
    }

    void cleanCardWithPicture()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(picture, TestFiles::simpleBmp(48, 32)));
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        const QStringList lines = fixedLines(0, 0, 0)
                                  << textRecord("#0", "say \"hi\"\\\ttab\nline", 0, 0, 100, 20, "Arial", 10, -2147483640, "BIUS")
                                  << imageRecord("$0", picture);
        QVERIFY(TestFiles::writeFile(path, cardBytes(lines)));
        const BatchRun run = runBatch({QStringLiteral("info"), path, QStringLiteral("--screen-dpi"), QStringLiteral("120")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = jsonOf(run);
        const QJsonObject text = json.value("textBoxes").toArray().at(0).toObject();
        QCOMPARE(text.value("caption").toString(), QStringLiteral("say \"hi\"\\\ttab\nline"));
        const QJsonObject font = text.value("font").toObject();
        QCOMPARE(font.value("size").toInt(), 10);
        QCOMPARE(font.value("height").toInt(), -17);   // 10 points at 120 pixels per inch
        QCOMPARE(font.value("color").toInt(), -2147483640);
        QCOMPARE(font.value("style").toArray(), (QJsonArray{"bold", "italic", "underline", "strikeout"}));
        const QJsonObject image = json.value("imageBoxes").toArray().at(0).toObject();
        QCOMPARE(image.value("picture").toObject(), (QJsonObject{{"width", 48}, {"height", 32}}));
        QCOMPARE(json.value("messages").toArray(), QJsonArray());
    }

    // Information texts stand as they are, error texts get the full stop of
    // the error box.
    void messages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("wrong header") << QByteArray("Kadoru\r\n") << QStringList{Msg::badCardFile()};
        QTest::newRow("bad number") << QByteArray("Tavelo DataFile\r\n1 \r\n")
                                    << QStringList{Msg::notAnInteger(QStringLiteral("1 ")) + "."};
        QStringList lines = fixedLines(1, 0, 0);
        for (int i = 0; i < 21; ++i)
            lines << textRecord("#" + QString::number(i), "c");
        lines << imageRecord("$0", "logo.gif");
        QTest::newRow("in the order shown")
            << cardBytes(lines)
            << QStringList{Msg::tooManyBoxes(), Msg::unknownPictureExtension(QStringLiteral("gif")) + "."};
    }
    void messages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(path, bytes));
        const BatchRun run = runBatch({QStringLiteral("info"), path});
        QCOMPARE(run.exitCode, 1);
        QStringList shown;
        for (const QJsonValue &message : jsonOf(run).value("messages").toArray())
            shown << message.toString();
        QCOMPARE(shown, messages);
    }

    void missingFile()
    {
        const BatchRun run = runBatch({QStringLiteral("info"), QStringLiteral("/no/such/card.tvl")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(jsonOf(run).value("messages").toArray(), QJsonArray{Msg::invalidFileName() + "."});
        QCOMPARE(jsonOf(run).value("textBoxes").toArray(), QJsonArray());
    }

    void wrongCommandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{"info"};
        QTest::newRow("two files") << QStringList{"info", "a.tvl", "b.tvl"};
        QTest::newRow("unknown option") << QStringList{"info", "a.tvl", "--dpi", "96"};
        QTest::newRow("dpi missing") << QStringList{"info", "a.tvl", "--screen-dpi"};
        QTest::newRow("dpi zero") << QStringList{"info", "a.tvl", "--screen-dpi", "0"};
        QTest::newRow("dpi not a number") << QStringList{"info", "a.tvl", "--screen-dpi=ninety"};
    }
    void wrongCommandLine()
    {
        QFETCH(QStringList, args);
        const BatchRun run = runBatch(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("Usage: tavelo-batch"));
    }

    void help()
    {
        const BatchRun run = runBatch({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("info CARD.tvl [--screen-dpi N]"));
    }
};

QTEST_MAIN(TestBatchInfo)
#include "test_batchinfo.moc"
