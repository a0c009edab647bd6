// A card packed with its pictures into one folder: the folder, copied on as a
// whole, opens complete from anywhere; nothing is overwritten unasked, and a
// pack that fails leaves nothing behind.
#include "CardFixture.h"
#include "base/Messages.h"
#include "cardfile/CardPack.h"
#include "cardfile/ExtensionLine.h"

#include <QDir>
#include <QTest>

#include <tuple>

namespace {

// Copies the files of from (not its folders) into a new folder to.
bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QString &name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    return true;
}

} // namespace

class TestCardPack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Pictures of one name from different folders get names of their own; a
    // picture two boxes show is copied once; a placeholder path stays.
    void packedFolderOpensElsewhere()
    {
        CardFixture card;
        const QDir root(card.dir.path());
        QVERIFY(root.mkpath(QStringLiteral("a")) && root.mkpath(QStringLiteral("b")));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("a/logo.bmp")), TestFiles::simpleBmp(3, 3)));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("b/LOGO.bmp")), TestFiles::simpleBmp(4, 4)));
        QVERIFY(TestFiles::writeFile(root.filePath(QStringLiteral("b/Photo.BMP")), TestFiles::simpleBmp(5, 5)));
        const QStringList sources{root.filePath(QStringLiteral("a/logo.bmp")), root.filePath(QStringLiteral("b/LOGO.bmp")),
                                  root.filePath(QStringLiteral("a/logo.bmp")), QStringLiteral("{写真}"), QString(),
                                  root.filePath(QStringLiteral("b/Photo.BMP"))};
        for (const QString &source : sources)
            card.doc.setImagePath(card.doc.AddImageBox(), source);
        const int text = card.doc.AddTextBox();
        card.doc.setTextCaption(text, QStringLiteral("𠮷田 太郎"));
        card.doc.SetDocFileName(root.filePath(QStringLiteral("山田.tvl")));

        const CardPack::Packed packed = CardPack::pack(card.doc, root.filePath(QStringLiteral("pack")), CardPack::Existing::Refuse);
        QCOMPARE(packed.cardFile, root.filePath(QStringLiteral("pack/山田.tvl")));
        QCOMPARE(packed.pictures, (QStringList{root.filePath(QStringLiteral("pack/logo.bmp")), root.filePath(QStringLiteral("pack/LOGO-2.bmp")),
                                               root.filePath(QStringLiteral("pack/Photo.BMP"))}));
        QVERIFY(packed.missing.isEmpty());
        // The card in the window is as it was.
        QCOMPARE(card.doc.ImageBoxes(1)->ImagePath, sources.at(1));
        QCOMPARE(card.doc.DocFileName(), root.filePath(QStringLiteral("山田.tvl")));

        // The folder copied elsewhere, the pictures' old places gone.
        QVERIFY(copyFolder(root.filePath(QStringLiteral("pack")), root.filePath(QStringLiteral("elsewhere/pack"))));
        QVERIFY(QDir(root.filePath(QStringLiteral("pack"))).removeRecursively());
        QVERIFY(QDir(root.filePath(QStringLiteral("a"))).removeRecursively());
        CardFixture opened;
        QCOMPARE(opened.load(root.filePath(QStringLiteral("elsewhere/pack/山田.tvl"))), QString());
        const QDir moved(root.filePath(QStringLiteral("elsewhere/pack")));
        const QList<QSize> sizes{{3, 3}, {4, 4}, {3, 3}, {}, {}, {5, 5}};
        for (int slot = 0; slot < sizes.size(); ++slot)
            QCOMPARE(opened.doc.ImageBoxes(slot)->Picture.size(), sizes.at(slot).isValid() ? sizes.at(slot) : QSize(0, 0));
        QCOMPARE(opened.doc.ImageBoxes(1)->ImagePath, moved.filePath(QStringLiteral("LOGO-2.bmp")));
        QCOMPARE(opened.doc.ImageBoxes(3)->ImagePath, QStringLiteral("{写真}"));
        QCOMPARE(opened.doc.TextBoxes(0)->Caption, QStringLiteral("𠮷田 太郎"));
        QCOMPARE(opened.sink.errors, QStringList());
        QCOMPARE(opened.sink.infos.size(), 1);   // which pictures were found beside the card
    }

    // Every picture a card shows goes into the pack: the back's boxes, both
    // backgrounds, drawings. The packed card differs from the card only in
    // its picture paths, wherever the file holds them.
    void everyPictureOfATwoSidedCard()
    {
        CardFixture card;
        const QDir root(card.dir.path());
        QVERIFY(root.mkpath(QStringLiteral("a")) && root.mkpath(QStringLiteral("b")));
        const QByteArray svg =
            "<svg xmlns='http://www.w3.org/2000/svg' width='12' height='8'><rect width='12' height='8'/></svg>";
        const QList<std::pair<QString, QByteArray>> sources{
            {root.filePath(QStringLiteral("a/logo.bmp")), TestFiles::simpleBmp(3, 3)},
            {root.filePath(QStringLiteral("a/mark.svg")), svg},
            {root.filePath(QStringLiteral("a/paper.bmp")), TestFiles::simpleBmp(4, 4)},
            {root.filePath(QStringLiteral("b/logo.bmp")), TestFiles::simpleBmp(5, 5)},   // the same name as the front's
            {root.filePath(QStringLiteral("b/band.svg")), svg},
        };
        for (const auto &[path, bytes] : sources)
            QVERIFY(TestFiles::writeFile(path, bytes));
        CardDocument &doc = card.doc;
        doc.setImagePath(doc.AddImageBox(), sources.at(0).first);
        doc.setImagePath(doc.AddImageBox(), sources.at(1).first);
        CardBackground front;
        front.picturePath = sources.at(2).first;
        doc.setBackground(front);
        doc.showSide(Side::Back);
        doc.setTextCaption(doc.AddTextBox(), QStringLiteral("裏"));
        doc.setImagePath(doc.AddImageBox(), sources.at(3).first);
        doc.setImagePath(doc.AddImageBox(), sources.at(0).first);   // the front's logo again: copied once
        CardBackground back;
        back.color = 0x00FFEEDD;
        back.picturePath = sources.at(4).first;
        back.fit = BackgroundFit::Fill;
        doc.setBackground(back);
        doc.showSide(Side::Front);
        doc.SetDocFileName(root.filePath(QStringLiteral("card.tvl")));
        const std::optional<QByteArray> original = CardFileBytes(doc);
        QVERIFY(original);

        const CardPack::Packed packed =
            CardPack::pack(doc, root.filePath(QStringLiteral("pack")), CardPack::Existing::Refuse);
        const QDir pack(root.filePath(QStringLiteral("pack")));
        const QStringList names{QStringLiteral("logo.bmp"), QStringLiteral("mark.svg"), QStringLiteral("paper.bmp"),
                                QStringLiteral("logo-2.bmp"), QStringLiteral("band.svg")};
        QStringList copies;
        for (const QString &name : names)
            copies << pack.filePath(name);
        QCOMPARE(packed.pictures.size(), copies.size());
        for (const QString &copy : copies)
            QVERIFY2(packed.pictures.contains(copy), qPrintable(copy));
        QVERIFY(packed.missing.isEmpty());
        for (int n = 0; n < copies.size(); ++n)
            QCOMPARE(TestFiles::readFile(copies.at(n)), sources.at(n).second);

        // The card's bytes with the paths replaced: in records (code page
        // 932), in the back's records (escaped) and in the background lines.
        QByteArray expected = *original;
        for (int n = 0; n < copies.size(); ++n) {
            const QByteArray from = sources.at(n).first.toUtf8();
            const QByteArray to = copies.at(n).toUtf8();
            expected.replace("\r\n" + from + "\r\n", "\r\n" + to + "\r\n");
            expected.replace(ExtensionLine::escape("\r\n" + from + "\r\n"),
                             ExtensionLine::escape("\r\n" + to + "\r\n"));
            expected.replace("Picture=" + ExtensionLine::escape(from) + "\r\n",
                             "Picture=" + ExtensionLine::escape(to) + "\r\n");
        }
        QCOMPARE(TestFiles::readFile(packed.cardFile), expected);
        for (const auto &[path, bytes] : sources)
            QVERIFY(!expected.contains(path.toUtf8()) && !expected.contains(ExtensionLine::escape(path.toUtf8())));

        // Moved elsewhere, the old pictures gone: everything loads from the new place.
        QVERIFY(QDir(root).rename(QStringLiteral("pack"), QStringLiteral("moved")));
        QVERIFY(QDir(root.filePath(QStringLiteral("a"))).removeRecursively());
        QVERIFY(QDir(root.filePath(QStringLiteral("b"))).removeRecursively());
        CardFixture opened;
        QCOMPARE(opened.load(root.filePath(QStringLiteral("moved/card.tvl"))), QString());
        const QDir moved(root.filePath(QStringLiteral("moved")));
        const CardSide &f = opened.doc.side(Side::Front);
        const CardSide &b = opened.doc.side(Side::Back);
        const QList<std::tuple<QString, QImage, QString, QSize>> loaded{
            {f.ImageBoxes(0)->ImagePath, f.ImageBoxes(0)->Picture, names.at(0), {3, 3}},
            {f.ImageBoxes(1)->ImagePath, f.ImageBoxes(1)->Picture, names.at(1), {12, 8}},
            {f.background.picturePath, f.background.picture, names.at(2), {4, 4}},
            {b.ImageBoxes(0)->ImagePath, b.ImageBoxes(0)->Picture, names.at(3), {5, 5}},
            {b.ImageBoxes(1)->ImagePath, b.ImageBoxes(1)->Picture, names.at(0), {3, 3}},
            {b.background.picturePath, b.background.picture, names.at(4), {12, 8}},
        };
        for (const auto &[path, picture, name, size] : loaded) {
            QCOMPARE(path, moved.filePath(name));
            QCOMPARE(picture.size(), size);
        }
        QCOMPARE(b.background.fit, BackgroundFit::Fill);
        QCOMPARE(b.background.color, std::optional<std::int32_t>(0x00FFEEDD));
        QCOMPARE(opened.sink.errors, QStringList());
        QCOMPARE(opened.sink.infos.size(), 1);   // which pictures were found beside the card
    }

    // A picture whose name is the card's own gets a name of its own.
    void pictureNamedLikeTheCard()
    {
        CardFixture card;
        const QString odd = card.dir.filePath(QStringLiteral("pics/card.tvl"));
        QVERIFY(QDir().mkpath(card.dir.filePath(QStringLiteral("pics"))));
        QVERIFY(TestFiles::writeFile(odd, TestFiles::simpleBmp(2, 2)));
        card.doc.setImagePath(card.doc.AddImageBox(), odd);
        card.doc.SetDocFileName(card.path());
        const QString folder = card.dir.filePath(QStringLiteral("pack"));
        const CardPack::Packed packed = CardPack::pack(card.doc, folder, CardPack::Existing::Refuse);
        QCOMPARE(packed.cardFile, folder + QStringLiteral("/card.tvl"));
        QCOMPARE(packed.pictures, QStringList{folder + QStringLiteral("/card-2.tvl")});
        QCOMPARE(TestFiles::readFile(folder + QStringLiteral("/card-2.tvl")), TestFiles::simpleBmp(2, 2));
    }

    // Where a pack may go: a new or empty folder, or (agreed to) one with files.
    void folders_data()
    {
        QTest::addColumn<QString>("setUp");   // "": nothing there; "empty"; "files"; "file": a plain file
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("error");   // empty: packed
        QTest::newRow("new folder") << QString() << false << QString();
        QTest::newRow("empty folder") << QStringLiteral("empty") << false << QString();
        QTest::newRow("folder with files refused") << QStringLiteral("files") << false << QStringLiteral("not empty");
        QTest::newRow("folder with files, agreed") << QStringLiteral("files") << true << QString();
        QTest::newRow("a file") << QStringLiteral("file") << true << QStringLiteral("a file");
    }
    void folders()
    {
        QFETCH(QString, setUp);
        QFETCH(bool, replace);
        QFETCH(QString, error);
        CardFixture card;
        const QString logo = card.dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(logo, TestFiles::simpleBmp(2, 2)));
        card.doc.setImagePath(card.doc.AddImageBox(), logo);
        card.doc.SetDocFileName(card.path());
        const QString folder = card.dir.filePath(QStringLiteral("pack"));
        if (setUp == QLatin1String("empty") || setUp == QLatin1String("files"))
            QVERIFY(QDir().mkpath(folder));
        if (setUp == QLatin1String("files")) {
            QVERIFY(TestFiles::writeFile(folder + QStringLiteral("/logo.bmp"), "old logo"));
            QVERIFY(TestFiles::writeFile(folder + QStringLiteral("/note.txt"), "mine"));
        }
        if (setUp == QLatin1String("file"))
            QVERIFY(TestFiles::writeFile(folder, "a file"));

        const QString message = thrownMessage(
            [&] { CardPack::pack(card.doc, folder, replace ? CardPack::Existing::Replace : CardPack::Existing::Refuse); });
        const QString shown = QDir::toNativeSeparators(folder);
        if (error.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(TestFiles::readFile(folder + QStringLiteral("/logo.bmp")), TestFiles::simpleBmp(2, 2));
            QVERIFY(TestFiles::readFile(folder + QStringLiteral("/card.tvl")).contains((folder + QStringLiteral("/logo.bmp\r\n")).toUtf8()));
            if (setUp == QLatin1String("files"))
                QCOMPARE(TestFiles::readFile(folder + QStringLiteral("/note.txt")), QByteArray("mine"));
            return;
        }
        QCOMPARE(message, error == QLatin1String("a file") ? Msg::notAFolder(shown) : Msg::packFolderNotEmpty(shown));
        if (setUp == QLatin1String("files"))
            QCOMPARE(TestFiles::readFile(folder + QStringLiteral("/logo.bmp")), QByteArray("old logo"));
    }

    // A picture that cannot be read is left out and named; its box keeps its path.
    void unreadablePicture()
    {
        CardFixture card;
        const QString logo = card.dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(logo, TestFiles::simpleBmp(2, 2)));
        card.doc.setImagePath(card.doc.AddImageBox(), QStringLiteral("/gone/photo.bmp"));
        card.doc.setImagePath(card.doc.AddImageBox(), logo);
        const QString folder = card.dir.filePath(QStringLiteral("pack"));
        const CardPack::Packed packed = CardPack::pack(card.doc, folder, CardPack::Existing::Refuse);
        QCOMPARE(packed.missing, QStringList{QStringLiteral("/gone/photo.bmp")});
        QCOMPARE(packed.pictures, QStringList{folder + QStringLiteral("/logo.bmp")});
        QVERIFY(TestFiles::readFile(packed.cardFile).contains("\r\n/gone/photo.bmp\r\n"));
    }

    // A folder whose path the card file cannot store: nothing is written.
    void unstorableFolder()
    {
        CardFixture card;
        const QString logo = card.dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(logo, TestFiles::simpleBmp(2, 2)));
        card.doc.setImagePath(card.doc.AddImageBox(), logo);
        const QString folder = card.dir.filePath(QStringLiteral("명함"));
        const CardPack::Packed packed = CardPack::pack(card.doc, folder, CardPack::Existing::Refuse);
        QVERIFY(packed.cardFile.isEmpty());
        QCOMPARE(card.sink.infos.size(), 1);
        QVERIFY(!QFileInfo::exists(folder));
    }

    // A pack that fails part-way removes what it wrote.
    void failedPackLeavesNothing()
    {
        CardFixture card;
        const QString logo = card.dir.filePath(QStringLiteral("logo.bmp"));
        QVERIFY(TestFiles::writeFile(logo, TestFiles::simpleBmp(2, 2)));
        card.doc.setImagePath(card.doc.AddImageBox(), logo);
        // The card's own name is taken by a folder in the pack folder.
        card.doc.SetDocFileName(QStringLiteral("/elsewhere/card.tvl"));
        const QString folder = card.dir.filePath(QStringLiteral("pack"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/card.tvl")));
        QVERIFY(!thrownMessage([&] { CardPack::pack(card.doc, folder, CardPack::Existing::Replace); }).isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("card.tvl")});
    }
};

QTEST_MAIN(TestCardPack)
#include "test_cardpack.moc"
