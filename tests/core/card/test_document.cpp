// The card document, its fonts and rounding, without any window.
#include "RecordingSink.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "card/CardGeometry.h"
#include "cardfile/CardFile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cfenv>

#include <functional>
#include <limits>

Q_DECLARE_METATYPE(BoxBounds)
using CardOperation = std::function<void(CardDocument &)>;
Q_DECLARE_METATYPE(CardOperation)

namespace {
constexpr int IntMax = std::numeric_limits<int>::max();
constexpr int IntMin = std::numeric_limits<int>::min();
} // namespace

class TestDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void conversions_data()
    {
        QTest::addColumn<int>("actual");
        QTest::addColumn<int>("expected");
        QTest::newRow("12.5 rounds down to even") << CardGeometry::roundTiesEven(12.5) << 12;
        QTest::newRow("37.5 rounds up to even") << CardGeometry::roundTiesEven(37.5) << 38;
        QTest::newRow("-2.5 rounds up to even") << CardGeometry::roundTiesEven(-2.5L) << -2;
        QTest::newRow("-3.5 rounds down to even") << CardGeometry::roundTiesEven(-3.5L) << -4;
        QTest::newRow("just below a tie rounds down") << CardGeometry::roundTiesEven(4.5L - 0x1p-60L) << 4;
        QTest::newRow("largest half below the top") << CardGeometry::roundTiesEven(2147483646.5L) << 2147483646;
        QTest::newRow("beyond the top saturates") << CardGeometry::roundTiesEven(2147483647.5L) << IntMax;
        QTest::newRow("below the bottom saturates") << CardGeometry::roundTiesEven(-2147483648.5L) << IntMin;
        QTest::newRow("under an upward rounding mode") << [] {
            std::fesetround(FE_UPWARD);
            const int r = CardGeometry::roundTiesEven(2.5L);
            const bool restored = std::fegetround() == FE_UPWARD;
            std::fesetround(FE_TONEAREST);
            return restored ? r : -1;
        }() << 2;

        QTest::newRow("-13 at 96 is 10 pt (9.75)") << BoxFont::sizeFromHeight(-13, 96) << 10;
        QTest::newRow("half away from zero: -2 at 96 is 2 pt") << BoxFont::sizeFromHeight(-2, 96) << 2;
        QTest::newRow("size at ppi 0 does not divide by zero") << BoxFont::sizeFromHeight(-13, 0) << 1;
        QTest::newRow("overflow answers like MulDiv") << BoxFont::heightFromSize(IntMax, 96) << 1;
        QTest::newRow("new box font scales with the screen") << [] {
            CardDocument doc;
            doc.setScreenPpi(120);
            return doc.TextBoxes(doc.AddTextBox())->Font.height();
        }() << -16;
    }
    void conversions()
    {
        QFETCH(int, actual);
        QFETCH(int, expected);
        QCOMPARE(actual, expected);
    }

    void fontNameCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kept");
        // 16 double-byte characters are 32 bytes: the 16th would be split.
        QTest::newRow("double-byte not split") << QString(16, QChar(0x660E)) << QString(15, QChar(0x660E));
        QTest::newRow("a + 15 kanji is 31 bytes") << QStringLiteral("a") + QString(16, QChar(0x660E))
                                                  << QStringLiteral("a") + QString(15, QChar(0x660E));
        QTest::newRow("half-width kana are one byte") << QString(40, QChar(0xFF71)) << QString(31, QChar(0xFF71));
    }
    void fontNameCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, kept);
        BoxFont font;
        font.setName(name);
        QCOMPARE(font.name(), kept);
        font.setName(QString());
        QCOMPARE(font.name(), kept);   // an empty name changes nothing
    }

    // Twenty slots of each kind, lowest free first; a full kind says so per refused box.
    void boxSlots()
    {
        CardDocument doc;
        RecordingSink sink;
        doc.setMessageSink(&sink);
        for (int i = 0; i < CardDocument::SlotCount; ++i)
            QCOMPARE(doc.AddImageBox(), i);
        QCOMPARE(doc.AddImageBox(), -1);
        QCOMPARE(sink.infos, QStringList{Msg::tooManyBoxes()});
        // Deleting frees the slot and the current box; a slot reused starts empty.
        doc.setImagePath(3, QStringLiteral("/tmp/a.bmp"));
        doc.SetCurrentBox(BoxRef::image(3));
        doc.DeleteImageBox(3);
        QCOMPARE(doc.CurrentBox(), BoxRef());
        QCOMPARE(doc.AddImageBox(), 3);
        QVERIFY(doc.ImageBoxes(3)->ImagePath.isEmpty());
        // Clearing keeps the file name and the print settings.
        doc.SetDocFileName(QStringLiteral("x.tvl"));
        doc.setPrintSettings({1, 5, 10});
        doc.AddTextBox();
        doc.ClearBoxes();
        QCOMPARE(doc.textBoxCount() + doc.imageBoxCount(), 0);
        QVERIFY(!doc.Modified());
        QCOMPARE(doc.DocFileName(), QStringLiteral("x.tvl"));
        QCOMPARE(doc.printSettings(), (PrintSettings{1, 5, 10}));
    }

    // Which operations count as a change of a saved card with text and image box 0.
    void modifiedFlagRule_data()
    {
        QTest::addColumn<CardOperation>("operation");
        QTest::addColumn<bool>("modified");
        const auto row = [](const char *name, CardOperation op, bool modified) { QTest::newRow(name) << op << modified; };
        row("same caption", [](CardDocument &d) { d.setTextCaption(0, d.TextBoxes(0)->Caption); }, false);
        row("picture loaded", [](CardDocument &d) { d.setImagePicture(0, QImage(2, 2, QImage::Format_RGB32)); }, true);
        row("print settings", [](CardDocument &d) { d.setPrintSettings({0, 5, 0}); }, true);
        row("editor opens", [](CardDocument &d) { d.beginEditing(0); }, true);
        row("box hidden and shown", [](CardDocument &d) { d.setTextVisible(0, false); d.setTextVisible(0, true); }, false);
        row("restored for undo", [](CardDocument &d) { d.restoreTextBox(1, *d.TextBoxes(0)); }, false);
        row("changed, then cleared", [](CardDocument &d) { d.AddTextBox(); d.ClearBoxes(); }, false);
        row("changed, then saved", [](CardDocument &d) { d.AddTextBox(); QVERIFY(SaveCardFile(d)); }, false);
    }
    void modifiedFlagRule()
    {
        QFETCH(CardOperation, operation);
        QFETCH(bool, modified);
        QTemporaryDir dir;
        CardDocument doc;
        RecordingSink sink;
        doc.setMessageSink(&sink);
        doc.SetDocFileName(dir.filePath(QStringLiteral("a.tvl")));
        doc.AddTextBox();
        doc.AddImageBox();
        QVERIFY(SaveCardFile(doc));
        QVERIFY(!doc.Modified());
        operation(doc);
        QCOMPARE(doc.Modified(), modified);
    }

    // A new size sets the font height to 2 − box height; a move keeps it.
    void fontHeightRule_data()
    {
        QTest::addColumn<BoxBounds>("bounds");
        QTest::addColumn<int>("fontHeight");
        QTest::addColumn<bool>("resized");
        QTest::newRow("width only to 150") << BoxBounds{0, 0, 150, 20} << -18 << true;
        QTest::newRow("height 15: same font height, still resized") << BoxBounds{0, 0, 100, 15} << -13 << true;
        QTest::newRow("move only keeps the font") << BoxBounds{40, 50, 100, 20} << -13 << false;
        QTest::newRow("extreme height wraps, no overflow") << BoxBounds{0, 0, 100, IntMin} << IntMin + 2 << true;
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
        QVERIFY(doc.Modified());   // a move is a change too
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
