// The paper layout in the card file: the line after the settings, its round
// trip and its malformed forms.
#include "CardFixture.h"
#include "base/CodePage932.h"
#include "base/Messages.h"
#include "card/PaperLayout.h"

#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

Q_DECLARE_METATYPE(PaperLayout)

using Card = CardFixture;

class TestLayoutLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A layout other than the standard one writes a line right after the settings.
    void roundTrip_data()
    {
        QTest::addColumn<PaperLayout>("layout");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("standard") << PaperLayout::standard() << QByteArray();
        QTest::newRow("ten-up") << PaperLayout::tenUp() << QByteArray("Layout=10");
        QTest::newRow("custom, largest") << PaperLayout::custom(4, 8, 10000, 10000, 10000, 10000)
                                         << QByteArray("Layout=4,8,10000,10000,10000,10000");
    }
    void roundTrip()
    {
        QFETCH(PaperLayout, layout);
        QFETCH(QByteArray, line);
        Card card;
        card.doc.setPrintSettings({1, 5, 10, layout});
        const int text = card.doc.AddTextBox();
        card.doc.setTextCaption(text, QStringLiteral("営業部"));
        card.doc.AddImageBox();
        QCOMPARE(card.save(card.path()), QString());

        CardDocument plain;
        plain.setPrintSettings({1, 5, 10});
        plain.restoreTextBox(0, *card.doc.TextBoxes(text));
        plain.restoreImageBox(0, *card.doc.ImageBoxes(0));
        const QByteArray plainBytes = CardFileBytes(plain).value_or(QByteArray());
        const qsizetype settingsEnd = cardBytes(fixedLines(1, 5, 10)).size();
        const QByteArray expected = plainBytes.left(settingsEnd) + (line.isEmpty() ? line : line + "\r\n")
                                    + plainBytes.mid(settingsEnd);
        const QByteArray written = TestFiles::readFile(card.path());
        QCOMPARE(written, expected);

        Card back;
        QCOMPARE(back.load(card.path()), QString());
        QVERIFY(back.sink.told.isEmpty());
        QCOMPARE(back.doc.printSettings().Layout, layout);
        QCOMPARE(CardFileBytes(back.doc), std::optional<QByteArray>(written));
    }

    // An unreadable layout line: the standard sheet, a message naming line 5, the card read on.
    void malformed_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("nine") << QStringLiteral("Layout=9");
        QTest::newRow("five numbers") << QStringLiteral("Layout=2,5,140,110,910");
        QTest::newRow("cards overlap") << QStringLiteral("Layout=2,5,140,110,909,550");
        QTest::newRow("a blank after") << QStringLiteral("Layout=10 ");
        QTest::newRow("huge number") << QStringLiteral("Layout=2,5,99999999999999999999,110,910,550");
        QTest::newRow("very long") << QStringLiteral("Layout=10") + QString(100000, QLatin1Char('0'));
        QTest::newRow("kanji") << QStringLiteral("Layout=十面");
    }
    void malformed()
    {
        QFETCH(QString, line);
        Card card;
        card.doc.setPrintSettings({1, 0, 0, PaperLayout::tenUp()});   // from an earlier card: not kept
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + QStringList{line} + textRecord(QStringLiteral("#0"), QStringLiteral("a")))),
                 QString());
        QCOMPARE(card.doc.printSettings().Layout, PaperLayout::standard());
        QCOMPARE(card.doc.textBoxCount(), 1);
        QCOMPARE(card.sink.infos.size(), 1);
        const QString shown = line.size() > 64 ? line.left(64) + QChar(0x2026) : line;
        QCOMPARE(card.sink.infos.first(), Msg::badLayoutLine(5, shown));
    }

    // A layout line without a record mark before the first record is the card's;
    // after a record it belongs to that box.
    void placement_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<PaperLayout>("layout");
        QTest::addColumn<int>("textBoxes");
        QTest::addColumn<int>("imageBoxes");
        const QStringList text = textRecord(QStringLiteral("#0"), QStringLiteral("a"));
        const QStringList image = imageRecord(QStringLiteral("$0"), QString());
        QTest::newRow("line 5") << fixedLines() + QStringList{QStringLiteral("Layout=10")} + text
                                << PaperLayout::tenUp() << 1 << 0;
        QTest::newRow("line 6, after a blank line") << fixedLines() + QStringList{QString(), QStringLiteral("Layout=10")} + text
                                                    << PaperLayout::tenUp() << 1 << 0;
        QTest::newRow("after a record: not the card's") << fixedLines() + text + QStringList{QStringLiteral("Layout=10")}
                                                        << PaperLayout::standard() << 1 << 0;
        QTest::newRow("with # it is a text record")
            << fixedLines() + QStringList{QStringLiteral("Layout=10#")} + text.mid(1) << PaperLayout::standard() << 1 << 0;
        QTest::newRow("other text on line 5: skipped") << fixedLines() + QStringList{QStringLiteral("layout=10")} + image
                                                      << PaperLayout::standard() << 0 << 1;
    }
    void placement()
    {
        QFETCH(QStringList, lines);
        QFETCH(PaperLayout, layout);
        QFETCH(int, textBoxes);
        QFETCH(int, imageBoxes);
        Card card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QVERIFY(card.sink.told.isEmpty());
        QCOMPARE(card.doc.printSettings().Layout, layout);
        QCOMPARE(card.doc.textBoxCount(), textBoxes);
        QCOMPARE(card.doc.imageBoxCount(), imageBoxes);
    }
};

QTEST_GUILESS_MAIN(TestLayoutLine)
#include "test_layoutline.moc"
