// A text box's setting in the card file: its property lines read, written
// in their fixed order, only when they differ from the default, and bad
// values reported line by line with the default kept.
#include "CardFixture.h"
#include "base/Messages.h"
#include "cardfile/CardFile.h"

#include <QTest>

using TestFiles::cardBytes;
using TestFiles::fixedLines;
using TestFiles::textRecord;

namespace {

TextSetting with(const std::function<void(TextSetting &)> &change)
{
    TextSetting setting;
    change(setting);
    return setting;
}

} // namespace

Q_DECLARE_METATYPE(TextSetting)

class TestSettingLines : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Lines as a card holds them: read into the box and written back as they were.
    void readAndWrittenBack_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<TextSetting>("setting");
        QTest::newRow("none") << QStringList() << TextSetting();
        QTest::newRow("centre") << QStringList{QStringLiteral("Align=center")}
                                << with([](TextSetting &s) { s.align = TextAlign::Center; });
        QTest::newRow("right") << QStringList{QStringLiteral("Align=right")}
                               << with([](TextSetting &s) { s.align = TextAlign::Right; });
        QTest::newRow("長体") << QStringList{QStringLiteral("CharScale=80,100")} << with([](TextSetting &s) { s.scaleX = 80; });
        QTest::newRow("平体 at the limits") << QStringList{QStringLiteral("CharScale=200,50")}
                                          << with([](TextSetting &s) { s.scaleX = 200, s.scaleY = 50; });
        QTest::newRow("negative spacing") << QStringList{QStringLiteral("Spacing=-500")}
                                          << with([](TextSetting &s) { s.spacing = -500; });
        QTest::newRow("vertical") << QStringList{QStringLiteral("Vertical=1")} << with([](TextSetting &s) { s.vertical = true; });
        QTest::newRow("vertical, digits off") << QStringList{QStringLiteral("Vertical=1"), QStringLiteral("Tcy=0")}
                                              << with([](TextSetting &s) { s.vertical = true, s.tcy = 0; });
        QTest::newRow("all, in order")
            << QStringList{QStringLiteral("Align=justify"), QStringLiteral("CharScale=90,110"), QStringLiteral("Spacing=2000"),
                           QStringLiteral("Vertical=1"), QStringLiteral("Tcy=4"), QStringLiteral("Ruby=x")}
            << with([](TextSetting &s) {
                   s.align = TextAlign::Justify, s.scaleX = 90, s.scaleY = 110, s.spacing = 2000, s.vertical = true, s.tcy = 4;
               });
    }
    void readAndWrittenBack()
    {
        QFETCH(QStringList, lines);
        QFETCH(TextSetting, setting);
        const QByteArray bytes = cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")) + lines
                                           + textRecord(QStringLiteral("#1"), QStringLiteral("太郎")));
        CardFixture card;
        QCOMPARE(card.loadBytes(bytes), QString());
        QCOMPARE(card.sink.told, QStringList());
        QCOMPARE(card.doc.TextBoxes(0)->Setting, setting);
        QVERIFY(card.doc.TextBoxes(1)->Setting.isDefault());
        QCOMPARE(CardFileBytes(card.doc), std::optional<QByteArray>(bytes));
    }

    // Lines written in the fixed order whatever order they were read in;
    // the digits' setting only for a vertical box.
    void writtenInOrder_data()
    {
        QTest::addColumn<QStringList>("read");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("reversed") << QStringList{QStringLiteral("Tcy=3"), QStringLiteral("Vertical=1"), QStringLiteral("Align=right")}
                                  << QStringList{QStringLiteral("Align=right"), QStringLiteral("Vertical=1"), QStringLiteral("Tcy=3")};
        QTest::newRow("digits without a vertical line") << QStringList{QStringLiteral("Tcy=3")} << QStringList();
        QTest::newRow("the default written out") << QStringList{QStringLiteral("Align=left"), QStringLiteral("CharScale=100,100"),
                                                                QStringLiteral("Spacing=0"), QStringLiteral("Vertical=0"),
                                                                QStringLiteral("Tcy=2")}
                                                 << QStringList();
        QTest::newRow("a later line wins") << QStringList{QStringLiteral("Spacing=100"), QStringLiteral("Spacing=200")}
                                           << QStringList{QStringLiteral("Spacing=200")};
    }
    void writtenInOrder()
    {
        QFETCH(QStringList, read);
        QFETCH(QStringList, written);
        const QStringList record = textRecord(QStringLiteral("#0"), QStringLiteral("山田"));
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(fixedLines() + record + read)), QString());
        QCOMPARE(card.sink.told, QStringList());
        QCOMPARE(CardFileBytes(card.doc), std::optional<QByteArray>(cardBytes(fixedLines() + record + written)));
    }

    // A bad value: one message naming the line, that property at its
    // default, every other line taken.
    void badValues_data()
    {
        QTest::addColumn<QString>("line");
        for (const char *line : {"Align=middle", "Align=", "Align=LEFT", "CharScale=49,100", "CharScale=100,201",
                                 "CharScale=80", "CharScale=80,90,100", "CharScale=,", "CharScale=80, 90", "Spacing=2001",
                                 "Spacing=-501", "Spacing=+5", "Spacing=1e3", "Spacing=99999999999999999999", "Spacing=%E3%80%80",
                                 "Vertical=2", "Vertical=yes", "Tcy=5", "Tcy=-1"})
            QTest::newRow(line) << QString::fromLatin1(line);
    }
    void badValues()
    {
        QFETCH(QString, line);
        const QStringList lines = fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田"))
                                  + QStringList{QStringLiteral("Spacing=300"), line, QStringLiteral("Vertical=1")};
        CardFixture card;
        QCOMPARE(card.loadBytes(cardBytes(lines)), QString());
        QCOMPARE(card.sink.told, QStringList{Msg::badExtensionLine(16, line)});
        const TextSetting &setting = card.doc.TextBoxes(0)->Setting;
        QVERIFY(setting.vertical);
        QCOMPARE(setting.align, TextAlign::Left);
        QCOMPARE(setting.scaleX, 100);
        QCOMPARE(setting.scaleY, 100);
        QVERIFY(setting.tcy == TextSetting::DefaultTcy);
        // The bad line is not kept: the card is written with what was read.
        QVERIFY(card.doc.TextBoxes(0)->UnknownLines.isEmpty());
        QVERIFY(setting.spacing == 300 || line.startsWith(QLatin1String("Spacing=")));
    }

    // A card without settings is written as it always was; setting a box
    // back to the default removes its lines.
    void defaultWritesNothing()
    {
        const QByteArray plain = cardBytes(fixedLines() + textRecord(QStringLiteral("#0"), QStringLiteral("山田")));
        CardFixture card;
        QCOMPARE(card.loadBytes(plain), QString());
        TextSetting setting;
        setting.vertical = true;
        setting.align = TextAlign::Center;
        card.doc.setTextSetting(0, setting);
        QVERIFY(CardFileBytes(card.doc) != std::optional<QByteArray>(plain));
        card.doc.setTextSetting(0, TextSetting());
        QCOMPARE(CardFileBytes(card.doc), std::optional<QByteArray>(plain));
    }
};

QTEST_MAIN(TestSettingLines)
#include "test_settinglines.moc"
