// The card document, its fonts and the card geometry, without any window.
#include "CardDocument.h"
#include "CardGeometry.h"
#include "CodePage932.h"
#include "Messages.h"
#include "RecordingSink.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(BoxBounds)

class TestDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardPanelSize_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QSize>("size");
        QTest::newRow("96") << 96 << QSize(344, 208);
        QTest::newRow("120") << 120 << QSize(430, 260);
        QTest::newRow("144") << 144 << QSize(516, 312);
        QTest::newRow("72") << 72 << QSize(258, 156);
    }
    void cardPanelSize()
    {
        QFETCH(int, ppi);
        QFETCH(QSize, size);
        QCOMPARE(CardGeometry::cardPanelSize(ppi), size);
    }

    void roundTiesEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("12.5 down to even") << 12.5 << 12;
        QTest::newRow("37.5 up to even") << 37.5 << 38;
        QTest::newRow("62.5 down to even") << 62.5 << 62;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("just above half") << 12.500001 << 13;
        QTest::newRow("saturates high") << 1e300 << std::numeric_limits<int>::max();
        QTest::newRow("saturates low") << -1e300 << std::numeric_limits<int>::min();
    }
    void roundTiesEven()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(CardGeometry::roundTiesEven(value), rounded);
    }

    void fontSizeAndHeight_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("size");
        QTest::newRow("-13 at 96 is 10 pt (9.75)") << -13 << 96 << 10;
        QTest::newRow("-28 at 96 is 21 pt") << -28 << 96 << 21;
        QTest::newRow("-16 at 120 is 10 pt (9.6)") << -16 << 120 << 10;
        QTest::newRow("half away from zero: -2 at 96 is 2 pt (1.5)") << -2 << 96 << 2;
        QTest::newRow("positive height gives negative size") << 20 << 96 << -15;
        QTest::newRow("ppi 0 does not divide by zero") << -13 << 0 << 1;
    }
    void fontSizeAndHeight()
    {
        QFETCH(int, height);
        QFETCH(int, ppi);
        QFETCH(int, size);
        QCOMPARE(BoxFont::sizeFromHeight(height, ppi), size);
    }

    void heightFromSize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("ppi");
        QTest::addColumn<int>("height");
        QTest::newRow("10 pt at 96") << 10 << 96 << -13;
        QTest::newRow("10 pt at 600") << 10 << 600 << -83;
        QTest::newRow("21 pt at 96") << 21 << 96 << -28;
        QTest::newRow("9 pt at 96 (12)") << 9 << 96 << -12;
        QTest::newRow("overflow answers like MulDiv") << std::numeric_limits<int>::max() << 96 << 1;
        QTest::newRow("most negative size") << std::numeric_limits<int>::min() << 96 << 1;
    }
    void heightFromSize()
    {
        QFETCH(int, size);
        QFETCH(int, ppi);
        QFETCH(int, height);
        QCOMPARE(BoxFont::heightFromSize(size, ppi), height);
    }

    void fontNameCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kept");
        QTest::newRow("short") << QStringLiteral("ＭＳ Ｐ明朝") << QStringLiteral("ＭＳ Ｐ明朝");
        QTest::newRow("31 ascii kept") << QString(31, QLatin1Char('a')) << QString(31, QLatin1Char('a'));
        QTest::newRow("32 ascii cut") << QString(32, QLatin1Char('a')) << QString(31, QLatin1Char('a'));
        // 16 double-byte characters are 32 bytes: the 16th would be split.
        QTest::newRow("double-byte not split") << QString(16, QChar(0x660E)) << QString(15, QChar(0x660E));
        QTest::newRow("a + 15 kanji is 31 bytes") << QStringLiteral("a") + QString(16, QChar(0x660E))
                                                  << QStringLiteral("a") + QString(15, QChar(0x660E));
        QTest::newRow("half-width kana are one byte")
            << QString(40, QChar(0xFF71)) << QString(31, QChar(0xFF71));
    }
    void fontNameCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, kept);
        BoxFont font;
        font.setName(name);
        QCOMPARE(font.name(), kept);
        QVERIFY(CodePage932::encode(font.name()).size() <= BoxFont::MaxNameBytes);
        font.setName(QString());
        QCOMPARE(font.name(), kept);   // an empty name changes nothing
    }

    void newTextBoxDefaults()
    {
        CardDocument doc;
        QCOMPARE(doc.AddTextBox(), 0);
        const TextBox *box = doc.TextBoxes(0);
        QVERIFY(box);
        QCOMPARE(box->Name(), QStringLiteral("box0"));
        QCOMPARE(box->bounds, (BoxBounds{0, 0, 100, 20}));
        QCOMPARE(box->Caption, QString());
        QCOMPARE(box->Font.name(), QStringLiteral("ＭＳ Ｐ明朝"));
        QCOMPARE(box->Font.height(), -13);
        QCOMPARE(box->Font.color(), 0);
        QCOMPARE(box->Font.style(), FontStyles());
        QVERIFY(doc.Modified());
    }

    void textBoxLimitIsSeparateFromImages()
    {
        CardDocument doc;
        RecordingSink sink;
        doc.setMessageSink(&sink);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(doc.AddTextBox(), i);
        QSignalSpy added(&doc, &CardDocument::textBoxAdded);
        QCOMPARE(doc.AddTextBox(), -1);
        QCOMPARE(sink.infos, QStringList{Msg::tooManyBoxes()});
        QCOMPARE(sink.infoButtons.value(0), MsgButtons(MsgButton::Ok));
        QCOMPARE(added.count(), 0);
        QCOMPARE(doc.textBoxCount(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(doc.AddImageBox(), i);
        QCOMPARE(doc.AddImageBox(), -1);
        QCOMPARE(sink.infos.size(), 2);
    }

    void lowestFreeSlotIsReused()
    {
        CardDocument doc;
        for (int i = 0; i < 6; ++i)
            doc.AddTextBox();
        doc.SetCurrentBox(BoxRef::text(3));
        doc.DeleteTextBox(3);
        QCOMPARE(doc.CurrentBox(), BoxRef());
        QVERIFY(!doc.TextBoxes(3));
        QCOMPARE(doc.AddTextBox(), 3);
        QCOMPARE(doc.TextBoxes(3)->Name(), QStringLiteral("box3"));
        QCOMPARE(doc.TextBoxes(3)->bounds, (BoxBounds{30, 30, 100, 20}));
        QCOMPARE(doc.AddTextBox(), 6);
    }

    void imageBoxPlacement_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<BoxBounds>("bounds");
        QTest::newRow("slot 0") << 0 << BoxBounds{100, 0, 64, 64};
        QTest::newRow("slot 2") << 2 << BoxBounds{120, 20, 64, 64};
        QTest::newRow("slot 19") << 19 << BoxBounds{290, 190, 64, 64};
    }
    void imageBoxPlacement()
    {
        QFETCH(int, slot);
        QFETCH(BoxBounds, bounds);
        CardDocument doc;
        for (int i = 0; i <= slot; ++i)
            QCOMPARE(doc.AddImageBox(), i);
        const MoveImageRecord *record = doc.ImageBoxes(slot);
        QCOMPARE(record->bounds, bounds);
        QCOMPARE(record->PanelName(), QStringLiteral("img%1").arg(slot));
        QCOMPARE(record->ImageName(), QStringLiteral("pic%1").arg(slot));
        QVERIFY(record->ImagePath.isEmpty());
        QVERIFY(record->Picture.isNull());
    }

    void deleteImageEmptiesSlot()
    {
        CardDocument doc;
        doc.AddImageBox();
        doc.setImagePath(0, QStringLiteral("/tmp/a.bmp"));
        doc.SetCurrentBox(BoxRef::image(0));
        doc.DeleteImageBox(0);
        QVERIFY(!doc.ImageBoxes(0));
        QCOMPARE(doc.CurrentBox(), BoxRef());
        QCOMPARE(doc.AddImageBox(), 0);
        QVERIFY(doc.ImageBoxes(0)->ImagePath.isEmpty());
    }

    void deletingDoesNotSetModified()
    {
        CardDocument doc;
        doc.AddTextBox();
        doc.SetModified(false);
        doc.DeleteTextBox(0);
        QVERIFY(!doc.Modified());
    }

    void clearBoxes()
    {
        CardDocument doc;
        QSignalSpy modified(&doc, &CardDocument::modifiedChanged);
        doc.ClearBoxes();   // empty document: only the flag, which was clear already
        QCOMPARE(modified.count(), 0);
        QVERIFY(!doc.Modified());

        doc.SetDocFileName(QStringLiteral("x.tvl"));
        doc.setPrintSettings({1, 5, 10});
        doc.AddTextBox();
        doc.AddImageBox();
        doc.SetCurrentBox(BoxRef::text(0));
        doc.ClearBoxes();
        QCOMPARE(doc.textBoxCount(), 0);
        QCOMPARE(doc.imageBoxCount(), 0);
        QVERIFY(!doc.Modified());
        QCOMPARE(doc.CurrentBox(), BoxRef());
        QCOMPARE(doc.DocFileName(), QStringLiteral("x.tvl"));
        QCOMPARE(doc.printSettings(), (PrintSettings{1, 5, 10}));
    }

    void fontHeightRule_data()
    {
        QTest::addColumn<BoxBounds>("bounds");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<bool>("resized");
        QTest::newRow("height 20 to 30") << BoxBounds{0, 0, 100, 30} << -28 << true;
        QTest::newRow("width only to 150") << BoxBounds{0, 0, 150, 20} << -18 << true;
        QTest::newRow("height 15") << BoxBounds{0, 0, 100, 15} << -13 << true;
        QTest::newRow("move only keeps the font") << BoxBounds{40, 50, 100, 20} << -13 << false;
        QTest::newRow("extreme height wraps, no overflow")
            << BoxBounds{0, 0, 100, std::numeric_limits<int>::min()} << std::numeric_limits<int>::min() + 2 << true;
    }
    void fontHeightRule()
    {
        QFETCH(BoxBounds, bounds);
        QFETCH(int, fontHeight);
        QFETCH(bool, resized);
        CardDocument doc;
        doc.AddTextBox();
        doc.SetModified(false);
        QSignalSpy resizes(&doc, &CardDocument::textBoxResized);
        doc.setTextBounds(0, bounds);
        QCOMPARE(doc.TextBoxes(0)->Font.height(), fontHeight);
        QCOMPARE(resizes.count(), resized ? 1 : 0);
        QCOMPARE(doc.Modified(), resized);
    }

    void defaultFontScalesWithScreen()
    {
        CardDocument doc;
        doc.setScreenPpi(120);
        doc.AddTextBox();
        QCOMPARE(doc.TextBoxes(0)->Font.height(), -16);
        QCOMPARE(doc.TextBoxes(0)->Font.size(120), 10);
    }
};


QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
