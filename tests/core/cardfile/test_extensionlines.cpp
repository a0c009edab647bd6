// The card file's property lines (Key=Value): their escaping, and lines of
// keys this program does not know, kept with the card or box they stood with.
#include "CardFixture.h"
#include "base/MessageText.h"
#include "base/Messages.h"
#include "cardfile/ExtensionLine.h"
#include "editing/BoxClipboard.h"

#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

class TestExtensionLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void escaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain ASCII") << QStringLiteral("a-b c=d,e") << QByteArray("a-b c=d,e");
        QTest::newRow("record marks and %") << QStringLiteral("#1 $2 %3") << QByteArray("%231 %242 %253");
        QTest::newRow("control characters") << QStringLiteral("a\tb\x7f") << QByteArray("a%09b%7F");
        QTest::newRow("kanji") << QStringLiteral("田") << QByteArray("%E7%94%B0");
        QTest::newRow("outside the basic plane") << QString::fromUcs4(U"\U00020BB7") << QByteArray("%F0%A0%AE%B7");
        QTest::newRow("byte order mark kept") << QStringLiteral("\uFEFFa") << QByteArray("%EF%BB%BFa");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void escaping()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, written);
        const QByteArray line = ExtensionLine::format("Key", text);
        QCOMPARE(line, "Key=" + written);
        const std::optional<ExtensionLine::Parts> parts = ExtensionLine::split(line);
        QVERIFY(parts);
        QCOMPARE(parts->key, QByteArray("Key"));
        QCOMPARE(ExtensionLine::text(parts->value), std::optional<QString>(text));
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("isPropertyLine");
        QTest::newRow("lone %") << QByteArray("K=50%") << true;
        QTest::newRow("% and one digit") << QByteArray("K=%4") << true;
        QTest::newRow("% and no hex digits") << QByteArray("K=%G0") << true;
        QTest::newRow("raw byte above ASCII") << QByteArray("K=\x93\x63") << true;
        QTest::newRow("not UTF-8") << QByteArray("K=%93%63") << true;
        QTest::newRow("key with a blank") << QByteArray("K y=1") << false;
        QTest::newRow("key from a digit") << QByteArray("1K=1") << false;
        QTest::newRow("no key") << QByteArray("=1") << false;
        QTest::newRow("no =") << QByteArray("Key") << false;
        QTest::newRow("record mark") << QByteArray("K=#0") << false;
    }
    void malformed()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, isPropertyLine);
        const std::optional<ExtensionLine::Parts> parts = ExtensionLine::split(line);
        QCOMPARE(bool(parts), isPropertyLine);
        if (parts)
            QVERIFY(!ExtensionLine::text(parts->value));
    }

    // Lines of unknown keys stay with what they stood with and are written
    // back in their places, byte for byte, after the known ones.
    void unknownLinesKept()
    {
        const QStringList lines = fixedLines(1, 2, 3) + QStringList{QStringLiteral("Layout=10"), QStringLiteral("Ink=cmyk%20only")}
                                  + textRecord(QStringLiteral("#0"), QStringLiteral("山田"))
                                  + QStringList{QStringLiteral("Ruby=%E3%82%84%E3%81%BE%E3%81%A0"), QStringLiteral("Glow=1")}
                                  + textRecord(QStringLiteral("#1"), QStringLiteral("太郎"))
                                  + imageRecord(QStringLiteral("$0"), QString()) + QStringList{QStringLiteral("Crop=1,2,3,4")};
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QVERIFY(card.sink.told.isEmpty());
        QCOMPARE(card.doc.unknownCardLines(), QList<QByteArray>{"Ink=cmyk%20only"});
        QCOMPARE(card.doc.TextBoxes(0)->UnknownLines, (QList<QByteArray>{"Ruby=%E3%82%84%E3%81%BE%E3%81%A0", "Glow=1"}));
        QCOMPARE(card.doc.ImageBoxes(0)->UnknownLines, QList<QByteArray>{"Crop=1,2,3,4"});
        QVERIFY(card.doc.TextBoxes(1)->UnknownLines.isEmpty());
        QCOMPARE(card.save(card.path(QStringLiteral("again.tvl"))), QString());
        QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("again.tvl"))), cardBytes(lines));

        // A new card forgets them.
        card.doc.ClearBoxes();
        QVERIFY(card.doc.unknownCardLines().isEmpty());
    }

    // Lines that are no property lines are skipped, as readers always did;
    // property lines after a record that found no free slot go with it.
    void linesNotKept_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("plain text") << QStringList{QStringLiteral("a note")};
        QTest::newRow("blank line") << QStringList{QString()};
        QTest::newRow("key with a blank") << QStringList{QStringLiteral("My Key=1")};
    }
    void linesNotKept()
    {
        QFETCH(QStringList, extra);
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + extra + textRecord(QStringLiteral("#0"), QStringLiteral("a")) + extra)),
                 QString());
        QVERIFY(card.doc.unknownCardLines().isEmpty());
        QVERIFY(card.doc.TextBoxes(0)->UnknownLines.isEmpty());
    }
    void linesOfADroppedRecord()
    {
        QStringList lines = fixedLines();
        for (int n = 0; n <= CardDocument::SlotCount; ++n)
            lines += imageRecord(QStringLiteral("$%1").arg(n), QString()) + QStringList{QStringLiteral("Tag=%1").arg(n)};
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.doc.imageBoxCount(), CardDocument::SlotCount);
        for (int n = 0; n < CardDocument::SlotCount; ++n)
            QCOMPARE(card.doc.ImageBoxes(n)->UnknownLines, QList<QByteArray>{QStringLiteral("Tag=%1").arg(n).toLatin1()});
    }

    // A property line longer than any property: one message naming it, the
    // line dropped, the card read on.
    void overlongLine()
    {
        const QString line = QStringLiteral("Huge=") + QString(ExtensionLine::MaxBytes, QLatin1Char('x'));
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("a")) + QStringList{line}
                                          + textRecord(QStringLiteral("#1"), QStringLiteral("b")))),
                 QString());
        QCOMPARE(card.doc.textBoxCount(), 2);
        QVERIFY(card.doc.TextBoxes(0)->UnknownLines.isEmpty());
        QCOMPARE(card.sink.infos, QStringList{Msg::badExtensionLine(15, elideForMessage(line.left(MaxTextShownInMessage + 1)))});
    }

    // A box copied and pasted keeps its unknown lines, and the clipboard's
    // own line does not become one.
    void clipboardCarriesLines()
    {
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("a"))
                                          + QStringList{QStringLiteral("Glow=1")})),
                 QString());
        const std::optional<QByteArray> bytes = BoxClipboard::encodeBytes(card.doc, BoxRef::text(0));
        QVERIFY(bytes);
        const std::optional<ClipBox> pasted = BoxClipboard::decodeBytes(*bytes, card.doc.screenPpi(), &card.sink);
        QVERIFY(pasted && pasted->text);
        QCOMPARE(pasted->text->UnknownLines, QList<QByteArray>{"Glow=1"});
    }
};

QTEST_GUILESS_MAIN(TestExtensionLines)
#include "test_extensionlines.moc"
