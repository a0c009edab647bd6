// Captions with characters that code page 932 lacks: the record holds "〓"
// for each (what a reader of the old format shows), the "Caption=" line right
// after the record holds the whole caption, and reading takes the line only
// while it still stands for the record.
#include "CardFixture.h"
#include "base/CodePage932.h"
#include "base/MessageText.h"
#include "base/Messages.h"

#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::imageRecord;
using TestFiles::textRecord;

namespace {

// The lines of a card file, as text (the card file is code page 932).
QStringList fileLines(const QByteArray &bytes)
{
    QStringList lines = CodePage932::decode(bytes).text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestCaptionLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Saved: what the record holds and the line after it; read back: the caption.
    void saved_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("line");   // empty: no Caption line

        QTest::newRow("code page 932 only") << QStringLiteral("山田 太郎 ﾃｽﾄ") << QStringLiteral("山田 太郎 ﾃｽﾄ") << QString();
        QTest::newRow("the stand-in itself") << QStringLiteral("〓印") << QStringLiteral("〓印") << QString();
        QTest::newRow("record marks in a plain caption") << QStringLiteral("100% #1 $5") << QStringLiteral("100% #1 $5") << QString();
        QTest::newRow("registry name") << QStringLiteral("𠮷田 太郎") << QStringLiteral("〓田 太郎")
                                       << QStringLiteral("Caption=%F0%A0%AE%B7%E7%94%B0 %E5%A4%AA%E9%83%8E");
        QTest::newRow("sign") << QStringLiteral("☎ 03-1234-5678") << QStringLiteral("〓 03-1234-5678")
                              << QStringLiteral("Caption=%E2%98%8E 03-1234-5678");
        QTest::newRow("emoji, one stand-in for the pair") << QStringLiteral("Tel 😀") << QStringLiteral("Tel 〓")
                                                          << QStringLiteral("Caption=Tel %F0%9F%98%80");
        QTest::newRow("percent, hash and dollar escaped") << QStringLiteral("𠮷 100% #1 $5") << QStringLiteral("〓 100% #1 $5")
                                                          << QStringLiteral("Caption=%F0%A0%AE%B7 100%25 %231 %245");
        QTest::newRow("hangul") << QStringLiteral("김 민준") << QStringLiteral("〓 〓〓") << QStringLiteral("Caption=%EA%B9%80 %EB%AF%BC%EC%A4%80");
        QTest::newRow("combining mark") << QStringLiteral("か\u3099") << QStringLiteral("か〓") << QStringLiteral("Caption=%E3%81%8B%E3%82%99");
        QTest::newRow("wave dash that would read back as another") << QStringLiteral("10\u301c18") << QStringLiteral("10〓18")
                                                                   << QStringLiteral("Caption=10%E3%80%9C18");
        QTest::newRow("Ctrl-Z, the end of a card file") << QStringLiteral("a\x1a") << QStringLiteral("a〓")
                                                        << QStringLiteral("Caption=a%1A");
        QTest::newRow("carriage return, the end of a line") << QStringLiteral("a\rb") << QStringLiteral("a〓b")
                                                            << QStringLiteral("Caption=a%0Db");
        QTest::newRow("QR content") << QStringLiteral("QR:𠮷田") << QStringLiteral("QR:〓田")
                                    << QStringLiteral("Caption=QR:%F0%A0%AE%B7%E7%94%B0");
    }

    void saved()
    {
        QFETCH(QString, caption);
        QFETCH(QString, record);
        QFETCH(QString, line);
        CardFixture card;
        card.doc.AddTextBox();
        card.doc.setTextCaption(0, caption);
        card.doc.AddTextBox();
        card.doc.setTextCaption(1, QStringLiteral("次"));
        QCOMPARE(card.save(card.path()), QString());
        QVERIFY(card.sink.told.isEmpty());

        const QStringList lines = fileLines(TestFiles::readFile(card.path()));
        QCOMPARE(lines.value(5), record);
        // Right after the record, before the next one.
        QCOMPARE(lines.value(14) == QLatin1String("#1"), line.isEmpty());
        if (!line.isEmpty())
            QCOMPARE(lines.value(14), line);

        CardFixture again;
        QCOMPARE(again.load(card.path()), QString());
        QVERIFY(again.sink.told.isEmpty());
        QCOMPARE(again.doc.TextBoxes(0)->Caption, caption);
        QCOMPARE(again.doc.TextBoxes(1)->Caption, QStringLiteral("次"));
        QVERIFY(again.doc.TextBoxes(0)->UnknownLines.isEmpty());
    }

    // Read: the record, then the lines after it.
    void read_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");   // "outdated": the line no longer maps; "bad": a bad line

        QTest::newRow("line stands for the record") << QStringLiteral("〓田") << QStringList{QStringLiteral("Caption=%F0%A0%AE%B7%E7%94%B0")}
                                                    << QStringLiteral("𠮷田") << QString();
        QTest::newRow("lower-case escapes") << QStringLiteral("〓") << QStringList{QStringLiteral("Caption=%e2%98%8e")}
                                            << QStringLiteral("☎") << QString();
        QTest::newRow("record edited by another program")
            << QStringLiteral("〓田 次郎") << QStringList{QStringLiteral("Caption=%F0%A0%AE%B7%E7%94%B0 %E5%A4%AA%E9%83%8E")}
            << QStringLiteral("〓田 次郎") << QStringLiteral("outdated");
        QTest::newRow("stand-in typed over") << QStringLiteral("吉田") << QStringList{QStringLiteral("Caption=%F0%A0%AE%B7%E7%94%B0")}
                                             << QStringLiteral("吉田") << QStringLiteral("outdated");
        QTest::newRow("line of a plain caption") << QStringLiteral("山田") << QStringList{QStringLiteral("Caption=%E5%B1%B1%E7%94%B0")}
                                                 << QStringLiteral("山田") << QString();
        QTest::newRow("bad escape") << QStringLiteral("〓") << QStringList{QStringLiteral("Caption=%ZZ")} << QStringLiteral("〓")
                                    << QStringLiteral("bad");
        QTest::newRow("not UTF-8") << QStringLiteral("〓") << QStringList{QStringLiteral("Caption=%FF")} << QStringLiteral("〓")
                                   << QStringLiteral("bad");
        QTest::newRow("unescaped percent") << QStringLiteral("〓") << QStringList{QStringLiteral("Caption=%")} << QStringLiteral("〓")
                                           << QStringLiteral("bad");
        QTest::newRow("after another property of the box")
            << QStringLiteral("〓") << QStringList{QStringLiteral("Glow=1"), QStringLiteral("Caption=%F0%9F%98%80")}
            << QStringLiteral("😀") << QString();
        QTest::newRow("the same line twice") << QStringLiteral("〓")
                                             << QStringList{QStringLiteral("Caption=%F0%9F%98%80"), QStringLiteral("Caption=%F0%9F%98%80")}
                                             << QStringLiteral("😀") << QString();
        QTest::newRow("longer than a caption may be")
            << QString(MaxCardTextLength, QChar(0x3013)) << QStringList{QStringLiteral("Caption=") + QString(MaxCardTextLength, QLatin1Char('a')) + QStringLiteral("%F0%9F%98%80")}
            << QString(MaxCardTextLength, QChar(0x3013)) << QStringLiteral("bad");
    }

    void read()
    {
        QFETCH(QString, record);
        QFETCH(QStringList, after);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), record) + after
                                          + textRecord(QStringLiteral("#1"), QStringLiteral("次")))),
                 QString());
        QCOMPARE(card.doc.TextBoxes(0)->Caption, caption);
        QCOMPARE(card.doc.TextBoxes(1)->Caption, QStringLiteral("次"));
        QStringList expected;
        if (message == QLatin1String("outdated"))
            expected << Msg::captionLineOutdated(card.doc.TextBoxes(0)->Name());
        else if (message == QLatin1String("bad"))
            expected << Msg::badExtensionLine(14 + int(after.size()), elideForMessage(after.constLast().left(MaxTextShownInMessage + 1)));
        QCOMPARE(card.sink.infos, expected);
        // Never kept as an unknown line: saved again, the box has one line or none.
        for (const QByteArray &kept : card.doc.TextBoxes(0)->UnknownLines)
            QVERIFY(!kept.startsWith("Caption="));
    }

    // A line that does not follow a text box's record is no caption: it is
    // kept with what it stood with, as any line this program does not know,
    // and the captions stay as their records hold them.
    void lineWithoutItsRecord_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("keptWith");   // card, image, nothing
        const QString line = QStringLiteral("Caption=%F0%A0%AE%B7");
        QTest::newRow("before the first record") << fixedLines() + QStringList{line} + textRecord(QStringLiteral("#0"), QStringLiteral("〓"))
                                                 << QStringLiteral("card");
        QTest::newRow("after an image box") << fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("〓"))
                                                   + imageRecord(QStringLiteral("$0"), QString()) + QStringList{line}
                                            << QStringLiteral("image");
        QStringList full = fixedLines();
        for (int n = 0; n <= CardDocument::SlotCount; ++n)
            full += textRecord(QStringLiteral("#%1").arg(n), QStringLiteral("〓"));
        QTest::newRow("after a record that found no slot") << full + QStringList{line} << QStringLiteral("nothing");
    }

    void lineWithoutItsRecord()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, keptWith);
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
            if (const TextBox *box = card.doc.TextBoxes(slot)) {
                QCOMPARE(box->Caption, QStringLiteral("〓"));
                QVERIFY(box->UnknownLines.isEmpty());
            }
        }
        const QByteArray line("Caption=%F0%A0%AE%B7");
        QCOMPARE(card.doc.unknownCardLines().contains(line), keptWith == QLatin1String("card"));
        QCOMPARE(card.doc.ImageBoxes(0) && card.doc.ImageBoxes(0)->UnknownLines.contains(line), keptWith == QLatin1String("image"));
        if (keptWith != QLatin1String("nothing")) {
            QCOMPARE(card.save(card.path(QStringLiteral("again.tvl"))), QString());
            QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("again.tvl"))), cardBytes(lines));
        }
    }

    // The caption line comes first of a box's lines; once the caption is
    // plain again the card is written as one that never had it.
    void lineOrderAndPlainAgain()
    {
        const QStringList plain = fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("吉田")) + QStringList{QStringLiteral("Glow=1")};
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(plain)), QString());
        card.doc.setTextCaption(0, QStringLiteral("𠮷田"));
        QCOMPARE(card.save(card.path(QStringLiteral("named.tvl"))), QString());
        const QStringList lines = fileLines(TestFiles::readFile(card.path(QStringLiteral("named.tvl"))));
        QCOMPARE(lines.mid(14), (QStringList{QStringLiteral("Caption=%F0%A0%AE%B7%E7%94%B0"), QStringLiteral("Glow=1")}));

        card.doc.setTextCaption(0, QStringLiteral("吉田"));
        QCOMPARE(card.save(card.path(QStringLiteral("plain.tvl"))), QString());
        QCOMPARE(TestFiles::readFile(card.path(QStringLiteral("plain.tvl"))), cardBytes(plain));
    }
};

QTEST_MAIN(TestCaptionLine)
#include "test_captionline.moc"
