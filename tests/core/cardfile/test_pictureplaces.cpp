// Pictures of a card that moved: a stored path that leads nowhere is looked
// for beside the card (its folder, then "pictures" or "画像" in it), the user
// is told once, and the box keeps the path the picture was found at.
#include "CardFixture.h"
#include "base/CodePage932.h"
#include "base/MessageSink.h"
#include "base/Messages.h"
#include "cardfile/PicturePlaces.h"

#include <QDir>
#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;

class TestPicturePlaces : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void found_data()
    {
        QTest::addColumn<QString>("stored");   // as the card holds it; {old} is a folder that is gone
        QTest::addColumn<QStringList>("files");   // pictures beside the card, relative to its folder
        QTest::addColumn<QString>("loaded");   // relative to the card's folder; empty: not loaded

        const QStringList logo{QStringLiteral("logo.bmp")};
        QTest::newRow("in the card's folder") << QStringLiteral("{old}/logo.bmp") << logo << QStringLiteral("logo.bmp");
        QTest::newRow("in pictures") << QStringLiteral("{old}/logo.bmp") << QStringList{QStringLiteral("pictures/logo.bmp")}
                                     << QStringLiteral("pictures/logo.bmp");
        QTest::newRow("in 画像") << QStringLiteral("{old}/logo.bmp") << QStringList{QStringLiteral("画像/logo.bmp")}
                                << QStringLiteral("画像/logo.bmp");
        QTest::newRow("the card's folder first")
            << QStringLiteral("{old}/logo.bmp") << QStringList{QStringLiteral("pictures/logo.bmp"), QStringLiteral("logo.bmp")}
            << QStringLiteral("logo.bmp");
        QTest::newRow("a path written on Windows") << QStringLiteral("C:\\Users\\sato\\card\\logo.bmp") << logo
                                                   << QStringLiteral("logo.bmp");
        QTest::newRow("other capitals, from Windows") << QStringLiteral("C:\\CARD\\LOGO.BMP") << logo << QStringLiteral("logo.bmp");
        QTest::newRow("a relative path") << QStringLiteral("nowhere/logo.bmp") << logo << QStringLiteral("logo.bmp");
        QTest::newRow("not there either") << QStringLiteral("{old}/logo.bmp") << QStringList{QStringLiteral("other.bmp")} << QString();
        QTest::newRow("a folder of that name is no picture")
            << QStringLiteral("{old}/logo.bmp") << QStringList{QStringLiteral("logo.bmp/x.bmp")} << QString();
        QTest::newRow("a path that ends in a folder") << QStringLiteral("{old}/") << logo << QString();
    }

    void found()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, files);
        QFETCH(QString, loaded);
        CardFixture card;
        const QDir folder(card.dir.filePath(QStringLiteral("moved")));
        QVERIFY(QDir().mkpath(folder.path()));
        for (const QString &file : files) {
            QVERIFY(QDir().mkpath(QFileInfo(folder.filePath(file)).path()));
            QVERIFY(TestFiles::writeFile(folder.filePath(file), TestFiles::simpleBmp(3, 2)));
        }
        stored.replace(QStringLiteral("{old}"), card.dir.filePath(QStringLiteral("gone")));
        const QString cardPath = folder.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(cardPath, cardBytes(fixedLines() + imageRecord(QStringLiteral("$0"), stored))));

        QCOMPARE(card.load(cardPath), QString());
        const MoveImageRecord *box = card.doc.ImageBoxes(0);
        QVERIFY(box);
        if (loaded.isEmpty()) {
            QCOMPARE(box->ImagePath, stored);
            QVERIFY(box->Picture.isNull());
            QCOMPARE(card.sink.picturePaths, QStringList{stored});
            QVERIFY(card.sink.infos.isEmpty());
            return;
        }
        const QString found = folder.absoluteFilePath(loaded);
        QCOMPARE(box->ImagePath, found);
        QCOMPARE(box->Picture.size(), QSize(3, 2));
        QCOMPARE(card.sink.told, QStringList{Msg::picturesFoundBesideCard({QDir::toNativeSeparators(found)})});
        // Reading is no change; a save stores the path found.
        QVERIFY(!card.doc.Modified());
        QCOMPARE(card.save(cardPath), QString());
        QVERIFY(TestFiles::readFile(cardPath).contains("\r\n" + CodePage932::encode(found) + "\r\n"));
    }

    // A picture where the card says is taken from there, even with one of
    // the same name beside the card; several found are told in one message.
    void toldOnce()
    {
        CardFixture card;
        const QDir folder(card.dir.path());
        for (const char *name : {"a.bmp", "b.bmp", "here.bmp"})
            QVERIFY(TestFiles::writeFile(folder.filePath(QString::fromLatin1(name)), TestFiles::simpleBmp(2, 2)));
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("elsewhere"))));
        const QString here = folder.filePath(QStringLiteral("elsewhere/here.bmp"));
        QVERIFY(TestFiles::writeFile(here, TestFiles::simpleBmp(5, 5)));
        QVERIFY(TestFiles::writeFile(card.path(), cardBytes(fixedLines() + imageRecord(QStringLiteral("$0"), QStringLiteral("/gone/a.bmp"))
                                                           + imageRecord(QStringLiteral("$1"), here)
                                                           + imageRecord(QStringLiteral("$2"), QStringLiteral("/gone/b.bmp")))));
        QCOMPARE(card.load(card.path()), QString());
        QCOMPARE(card.doc.ImageBoxes(1)->ImagePath, here);
        QCOMPARE(card.doc.ImageBoxes(1)->Picture.size(), QSize(5, 5));
        QCOMPARE(card.sink.told, QStringList{Msg::picturesFoundBesideCard(
                                     {folder.absoluteFilePath(QStringLiteral("a.bmp")), folder.absoluteFilePath(QStringLiteral("b.bmp"))})});
    }

    // A picture's error box names the path once: as the message has it, or
    // after it as the file that was tried.
    void errorBoxPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("absolute") << QStringLiteral("/gone/logo.bmp") << QStringLiteral("ﾌｧｲﾙ /gone/logo.bmp は開けません.");
        QTest::newRow("written on Windows") << QStringLiteral("C:\\Users\\sato\\logo2.png")
                                            << QStringLiteral("ﾌｧｲﾙ C:\\Users\\sato\\logo2.png は開けません.");
        QTest::newRow("Windows share") << QStringLiteral("\\\\server\\logo.png") << QStringLiteral("ﾌｧｲﾙ \\\\server\\logo.png は開けません.");
        QTest::newRow("relative: the file tried") << QStringLiteral("logo.bmp")
                                                  << QStringLiteral("ﾌｧｲﾙ logo.bmp は開けません.\n") + QDir::current().absoluteFilePath(QStringLiteral("logo.bmp"));
    }
    void errorBoxPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(pictureErrorBoxText(Msg::cannotOpenFile(path), path), shown);
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("name");
        QTest::newRow("unix") << QStringLiteral("/home/sato/logo.png") << QStringLiteral("logo.png");
        QTest::newRow("windows") << QStringLiteral("C:\\Users\\佐藤\\ロゴ.bmp") << QStringLiteral("ロゴ.bmp");
        QTest::newRow("mixed") << QStringLiteral("D:/cards\\logo.png") << QStringLiteral("logo.png");
        QTest::newRow("bare") << QStringLiteral("logo.png") << QStringLiteral("logo.png");
        QTest::newRow("folder") << QStringLiteral("/home/sato/") << QString();
    }
    void fileName()
    {
        QFETCH(QString, stored);
        QFETCH(QString, name);
        QCOMPARE(PicturePlaces::fileName(stored), name);
    }
};

QTEST_MAIN(TestPicturePlaces)
#include "test_pictureplaces.moc"
