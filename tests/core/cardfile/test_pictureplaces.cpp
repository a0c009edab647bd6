// Pictures of a card that moved: a stored path that leads nowhere is looked
// for beside the card (its folder, then "pictures" or "画像" in it), the user
// is told once, and the box keeps the path the picture was found at.
#include "CardFixture.h"
#include "base/CodePage932.h"
#include "base/MessageSink.h"
#include "base/Messages.h"
#include "cardfile/ExtensionLine.h"
#include "cardfile/PicturePlaces.h"
#include "picture/SvgPicture.h"

#include <QDir>
#include <QTest>

namespace {

const QByteArray LogoSvg = "<svg xmlns='http://www.w3.org/2000/svg' width='12' height='8'>"
                           "<rect width='12' height='8' fill='#036'/></svg>";

// The pictures a card can name, each set up in doc from the path given.
enum class Kind { FrontImage, BackImage, FrontSvg, FrontBackground, BackBackground };

QString kindFile(Kind kind)
{
    switch (kind) {
    case Kind::FrontImage:
        return QStringLiteral("logo.bmp");
    case Kind::BackImage:
        return QStringLiteral("map.bmp");
    case Kind::FrontSvg:
        return QStringLiteral("mark.svg");
    case Kind::FrontBackground:
        return QStringLiteral("paper.bmp");
    case Kind::BackBackground:
        return QStringLiteral("back band.svg");
    }
    return {};
}

bool isBack(Kind kind) { return kind == Kind::BackImage || kind == Kind::BackBackground; }
bool isBackground(Kind kind) { return kind == Kind::FrontBackground || kind == Kind::BackBackground; }

QByteArray kindBytes(Kind kind)
{
    return kindFile(kind).endsWith(QLatin1String(".svg")) ? LogoSvg : TestFiles::simpleBmp(3, 2);
}

QSize kindSize(Kind kind) { return kindFile(kind).endsWith(QLatin1String(".svg")) ? QSize(12, 8) : QSize(3, 2); }

void addPicture(CardDocument &doc, Kind kind, const QString &path)
{
    const Side side = isBack(kind) ? Side::Back : Side::Front;
    doc.showSide(side);
    if (isBackground(kind)) {
        CardBackground background = doc.background();
        background.picturePath = path;
        doc.setBackground(background);
    } else {
        const int slot = doc.AddImageBox();
        doc.setImagePath(slot, path);
        doc.setImageBounds(slot, {10, 10, 40, 30});
    }
    // A back of nothing but a background is still a back.
    if (side == Side::Back && doc.textBoxCount() == 0)
        doc.setTextCaption(doc.AddTextBox(), QStringLiteral("裏"));
    doc.showSide(Side::Front);
}

// The path of kind's picture in doc, and the picture loaded for it.
std::pair<QString, QImage> picture(const CardDocument &doc, Kind kind)
{
    const CardSide &side = doc.side(isBack(kind) ? Side::Back : Side::Front);
    if (isBackground(kind))
        return {side.background.picturePath, side.background.picture};
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = side.ImageBoxes(slot);
        if (record && record->ImagePath.endsWith(kindFile(kind)))
            return {record->ImagePath, record->Picture};
    }
    return {};
}

const Kind AllKinds[] = {Kind::FrontImage, Kind::BackImage, Kind::FrontSvg, Kind::FrontBackground,
                         Kind::BackBackground};

}   // namespace

Q_DECLARE_METATYPE(Kind)

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

    // A file of that name beside the card that is no picture is named in the
    // error, and the card keeps the path it stored: nothing was found.
    void foundButNoPicture()
    {
        CardFixture card;
        const QDir folder(card.dir.filePath(QStringLiteral("moved")));
        QVERIFY(QDir().mkpath(folder.path()));
        QVERIFY(TestFiles::writeFile(folder.filePath(QStringLiteral("logo.bmp")), "BM not a picture"));
        const QString stored = card.dir.filePath(QStringLiteral("gone/logo.bmp"));
        const QString cardPath = folder.filePath(QStringLiteral("card.tvl"));
        QVERIFY(TestFiles::writeFile(cardPath, cardBytes(fixedLines() + imageRecord(QStringLiteral("$0"), stored))));

        QCOMPARE(card.load(cardPath), QString());
        const MoveImageRecord *box = card.doc.ImageBoxes(0);
        QVERIFY(box);
        QCOMPARE(box->ImagePath, stored);
        QVERIFY(box->Picture.isNull());
        QCOMPARE(card.sink.picturePaths, QStringList{folder.absoluteFilePath(QStringLiteral("logo.bmp"))});
        QVERIFY(card.sink.infos.isEmpty());   // no word of a picture found
        QVERIFY(!card.doc.Modified());
    }

    // Every picture a card names is looked for beside it when it moved:
    // image boxes and backgrounds of both sides, bitmaps and drawings.
    void everyKindOfPicture_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("place");   // relative to the moved card's folder
        const std::pair<const char *, Kind> kinds[] = {{"front image box", Kind::FrontImage},
                                                       {"back image box", Kind::BackImage},
                                                       {"SVG image box", Kind::FrontSvg},
                                                       {"front background", Kind::FrontBackground},
                                                       {"SVG background of the back", Kind::BackBackground}};
        for (const auto &[name, kind] : kinds) {
            for (const QString &place : {QString(), QStringLiteral("pictures/"), QStringLiteral("画像/")}) {
                const QString where = place.isEmpty() ? QStringLiteral("beside it") : QStringLiteral("in ") + place;
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(name), where))) << kind << place;
            }
        }
    }
    void everyKindOfPicture()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, place);
        CardFixture card;
        const QDir root(card.dir.path());
        QVERIFY(root.mkpath(QStringLiteral("old")) && root.mkpath(QStringLiteral("moved/") + place));
        const QString old = root.filePath(QStringLiteral("old/") + kindFile(kind));
        addPicture(card.doc, kind, old);
        QCOMPARE(card.save(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        // The picture went with the card; its old place is gone.
        const QString found = root.filePath(QStringLiteral("moved/") + place + kindFile(kind));
        QVERIFY(TestFiles::writeFile(found, kindBytes(kind)));

        CardFixture opened;
        QCOMPARE(opened.load(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        const auto [path, loaded] = picture(opened.doc, kind);
        QCOMPARE(path, found);
        QCOMPARE(loaded.size(), kindSize(kind));
        QCOMPARE(SvgPicture::isVector(loaded), kindFile(kind).endsWith(QLatin1String(".svg")));
        QCOMPARE(opened.sink.told, QStringList{Msg::picturesFoundBesideCard({QDir::toNativeSeparators(found)})});
        QVERIFY(!opened.doc.Modified());

        // Saved, the card names the picture where it was found and nothing else changed.
        const QByteArray before = TestFiles::readFile(root.filePath(QStringLiteral("moved/card.tvl")));
        QCOMPARE(opened.save(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        QByteArray expected = before;
        if (isBack(kind) && !isBackground(kind))
            expected.replace(ExtensionLine::escape(CodePage932::encode(old)),
                             ExtensionLine::escape(CodePage932::encode(found)));
        else if (isBackground(kind))
            expected.replace(ExtensionLine::format("X", old).mid(2), ExtensionLine::format("X", found).mid(2));
        else
            expected.replace(CodePage932::encode(old), CodePage932::encode(found));
        QVERIFY(expected != before);
        QCOMPARE(TestFiles::readFile(root.filePath(QStringLiteral("moved/card.tvl"))), expected);
    }

    // One message for all the pictures found, in the card's order.
    void allKindsToldOnce()
    {
        CardFixture card;
        const QDir root(card.dir.path());
        QVERIFY(root.mkpath(QStringLiteral("moved/pictures")));
        for (const Kind kind : AllKinds)
            addPicture(card.doc, kind, QStringLiteral("/gone/") + kindFile(kind));
        QCOMPARE(card.save(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        QStringList found;
        for (const Kind kind : AllKinds) {
            const QString path = root.filePath(QStringLiteral("moved/pictures/") + kindFile(kind));
            QVERIFY(TestFiles::writeFile(path, kindBytes(kind)));
        }
        CardFixture opened;
        QCOMPARE(opened.load(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        // As the file names them: the back's boxes (their lines come before
        // the records), the front's, then the backgrounds.
        for (const Kind kind :
             {Kind::BackImage, Kind::FrontImage, Kind::FrontSvg, Kind::FrontBackground, Kind::BackBackground})
            found << root.filePath(QStringLiteral("moved/pictures/") + kindFile(kind));
        QCOMPARE(opened.sink.told, QStringList{Msg::picturesFoundBesideCard(found)});
        for (const Kind kind : AllKinds)
            QCOMPARE(picture(opened.doc, kind).second.size(), kindSize(kind));
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
