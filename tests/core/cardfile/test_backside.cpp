// The back of a card in its file: Back= lines that a reader of the old
// format skips, read back into the back whole, and written to the same bytes.
#include "CardFixture.h"
#include "base/CodePage932.h"
#include "base/Messages.h"
#include "cardfile/PictureLoads.h"

#include <QImage>
#include <QTest>

using TestFiles::backLine;
using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

namespace {

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestBackSide : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A two-sided card read and written is the same file, and its front is
    // what a reader that skips every line outside a record reads.
    void twoSidedRoundTrip()
    {
        const QStringList back1 = textRecord(QStringLiteral("#0"), QStringLiteral("Taro Yamada #1 $2 100%"), 5, 6)
                                  + QStringList{QStringLiteral("Glow=1")};
        const QStringList back2 = textRecord(QStringLiteral("#1"), QStringLiteral("地図"), 7, 8, 120, 24);
        const QStringList back3 = imageRecord(QStringLiteral("$0"), QString(), 30, 40, 50, 60);
        const QStringList front = textRecord(QStringLiteral("#0"), QStringLiteral("山田太郎"));
        const QByteArray file = cardBytes(fixedLines(1, 2, 3) + QStringList{QStringLiteral("Layout=10")}
                                          + QStringList{backLine(back1), backLine(back2), backLine(back3)} + front);
        CardFixture card;
        QCOMPARE(card.loadBytes(file), QString());
        QVERIFY(card.sink.told.isEmpty());
        QCOMPARE(card.doc.shownSide(), Side::Front);
        QCOMPARE(card.doc.textBoxCount(), 1);
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("山田太郎"));
        const CardSide &back = card.doc.side(Side::Back);
        QCOMPARE(back.textBoxCount(), 2);
        QCOMPARE(back.imageBoxCount(), 1);
        QCOMPARE(back.TextBoxes(0)->Caption, QStringLiteral("Taro Yamada #1 $2 100%"));
        QCOMPARE(back.TextBoxes(0)->UnknownLines, QList<QByteArray>{"Glow=1"});
        QCOMPARE(back.TextBoxes(1)->bounds, (BoxBounds{7, 8, 120, 24}));
        QCOMPARE(back.ImageBoxes(0)->bounds, (BoxBounds{30, 40, 50, 60}));
        QVERIFY(!card.doc.Modified());

        QCOMPARE(card.save(card.path(QStringLiteral("again.tvl"))), QString());
        QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("again.tvl"))), file);

        // What an old reader sees: the lines with a record mark all belong
        // to the front's record.
        for (const QByteArray &line : fileLines(file)) {
            if (line.startsWith("Back="))
                QVERIFY(!line.contains('#') && !line.contains('$'));
        }
    }

    // The side shown does not change what is written.
    void writtenWhicheverSideIsShown()
    {
        CardFixture card;
        const int front = card.doc.AddTextBox();
        card.doc.setTextCaption(front, QStringLiteral("表"));
        card.doc.showSide(Side::Back);
        const int back = card.doc.AddTextBox();
        card.doc.setTextCaption(back, QStringLiteral("裏"));
        const std::optional<QByteArray> fromBack = CardFileBytes(card.doc);
        card.doc.showSide(Side::Front);
        QCOMPARE(CardFileBytes(card.doc), fromBack);
        QVERIFY(fromBack->contains("Back=%230%0D%0A%97%A0%0D%0A"));   // "#0", "裏" in code page 932
        QCOMPARE(fromBack->count("Back="), 1);
    }

    // A card without a back is written as before: no line of the back, and
    // a back emptied again leaves none either.
    void oneSidedUnchanged()
    {
        CardFixture card;
        card.doc.setTextCaption(card.doc.AddTextBox(), QStringLiteral("表"));
        const std::optional<QByteArray> before = CardFileBytes(card.doc);
        card.doc.showSide(Side::Back);
        const std::optional<QByteArray> emptyBack = CardFileBytes(card.doc);
        card.doc.AddImageBox();
        QVERIFY(card.doc.hasBack());
        card.doc.removeBack();
        QCOMPARE(card.doc.shownSide(), Side::Front);
        QVERIFY(!card.doc.hasBack());
        QCOMPARE(emptyBack, before);
        QCOMPARE(CardFileBytes(card.doc), before);
        QVERIFY(!before->contains("Back="));
    }

    // A back box whose text the file cannot hold (half a surrogate pair)
    // refuses the save, as on the front.
    void unstorableBackText()
    {
        CardFixture card;
        card.doc.showSide(Side::Back);
        card.doc.setTextCaption(card.doc.AddTextBox(), QStringLiteral("a") + QChar(0xD800));
        card.doc.showSide(Side::Front);
        QCOMPARE(card.save(card.path()), QStringLiteral("refused"));
        QCOMPARE(card.sink.infos.size(), 1);
    }

    // A bad back line is reported with its number and dropped; the rest of
    // the card, the front's records after it included, is read.
    void badBackLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("backBoxes");
        const QStringList record = textRecord(QStringLiteral("#0"), QStringLiteral("x"));
        QTest::newRow("no record") << QStringLiteral("Back=hello") << 0;
        QTest::newRow("badly escaped") << QStringLiteral("Back=%230%0") << 0;
        QTest::newRow("empty") << QStringLiteral("Back=") << 0;
        QTest::newRow("record cut short") << backLine(record.mid(0, 5)) << 0;
        QTest::newRow("number that is none") << backLine(QStringList(record).replaceInStrings(QStringLiteral("100"), QStringLiteral("wide")))
                                             << 0;
        QTest::newRow("two records") << backLine(record + imageRecord(QStringLiteral("$0"), QString())) << 1;
    }
    void badBackLines()
    {
        QFETCH(QString, line);
        QFETCH(int, backBoxes);
        const QByteArray file = cardBytes(fixedLines() + QStringList{line}
                                          + textRecord(QStringLiteral("#0"), QStringLiteral("表")));
        CardFixture card;
        QCOMPARE(card.loadBytes(file), QString());
        QCOMPARE(card.sink.infos.size(), 1);
        QVERIFY2(card.sink.infos.first().startsWith(QStringLiteral("名刺ファイルの 5 行目")), qPrintable(card.sink.infos.first()));
        const CardSide &back = card.doc.side(Side::Back);
        QCOMPARE(back.textBoxCount() + back.imageBoxCount(), backBoxes);
        QCOMPARE(card.doc.textBoxCount(), 1);
        QCOMPARE(card.doc.shownSide(), Side::Front);
    }

    // A picture of the back is loaded into the back, not into the front's
    // box of the same slot.
    void backPictureLoaded()
    {
        CardFixture card;
        const QString picture = card.path(QStringLiteral("logo.png"));
        QImage image(8, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture));
        const QByteArray file = cardBytes(fixedLines() + QStringList{backLine(imageRecord(QStringLiteral("$0"), picture))}
                                          + imageRecord(QStringLiteral("$0"), QString()));
        QCOMPARE(card.loadBytes(file), QString());
        QVERIFY(card.sink.told.isEmpty());
        QCOMPARE(card.doc.side(Side::Back).ImageBoxes(0)->Picture.size(), QSize(8, 4));
        QVERIFY(card.doc.ImageBoxes(0)->Picture.isNull());
        QVERIFY(!card.doc.Modified());
    }

    // A picture named by a box of each side is loaded once when both need it
    // at the same size: both boxes hold the one picture. Each box still
    // tells its own message.
    void onePictureOnBothSides_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QSize>("backBoxSize");   // the back's box, in screen pixels
        QTest::addColumn<bool>("shared");
        QTest::newRow("the same box size") << true << QSize(64, 64) << true;
        QTest::newRow("a smaller box on the back") << true << QSize(32, 16) << false;
        QTest::newRow("missing, told for each box") << false << QSize(64, 64) << true;
    }
    void onePictureOnBothSides()
    {
        QFETCH(bool, present);
        QFETCH(QSize, backBoxSize);
        QFETCH(bool, shared);
        CardFixture card;
        const QString picture = card.path(QStringLiteral("logo.png"));
        if (present) {
            QImage image(160, 80, QImage::Format_RGB32);
            image.fill(Qt::blue);
            QVERIFY(image.save(picture));
        }
        QVERIFY(TestFiles::writeFile(
            card.path(),
            cardBytes(fixedLines()
                      + QStringList{backLine(imageRecord("$0", picture, 0, 0, backBoxSize.width(), backBoxSize.height()))}
                      + imageRecord("$0", picture, 0, 0, 64, 64))));
        // As a print job asks for them: each scaled to its box's printed size.
        PictureUse use;
        use.fit = [](const BoxBounds &bounds) { return QSize(bounds.Width, bounds.Height); };
        QCOMPARE(thrownMessage([&] { LoadCardFile(card.doc, card.path(), nullptr, use); }), QString());
        const QImage &front = card.doc.side(Side::Front).ImageBoxes(0)->Picture;
        const QImage &back = card.doc.side(Side::Back).ImageBoxes(0)->Picture;
        if (!present) {
            QCOMPARE(card.sink.told.size(), 2);
            QVERIFY(front.isNull() && back.isNull());
            return;
        }
        QVERIFY(card.sink.told.isEmpty());
        QCOMPARE(front.size(), QSize(64, 64));
        QCOMPARE(back.size(), backBoxSize);
        QCOMPARE(front.cacheKey() == back.cacheKey(), shared);
    }

    // Twenty boxes fill the back; the 21st is told once, as on the front.
    void fullBack()
    {
        QStringList lines = fixedLines();
        for (int n = 0; n < 22; ++n)
            lines << backLine(textRecord(QStringLiteral("#%1").arg(n), QString::number(n)));
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.doc.side(Side::Back).textBoxCount(), CardDocument::SlotCount);
        QCOMPARE(card.sink.infos, QStringList{Msg::tooManyBoxes()});
    }
};

QTEST_MAIN(TestBackSide)
#include "test_backside.moc"
