// A text box's setting through the editing commands: one undo step that gives
// back the card's bytes, the clipboard, and the size rule of a vertical box.
#include "CardFixture.h"
#include "base/Messages.h"
#include "cardfile/CardFile.h"
#include "editing/BoxClipboard.h"
#include "editing/CardHistory.h"

#include <QTest>

namespace {

QByteArray cardBytes(const CardDocument &doc)
{
    return CardFileBytes(doc).value_or(QByteArrayLiteral("refused"));
}

TextSetting verticalJustified()
{
    TextSetting setting;
    setting.vertical = true;
    setting.align = TextAlign::Justify;
    setting.scaleX = 80;
    setting.spacing = 150;
    setting.tcy = 3;
    return setting;
}

} // namespace

class TestSettingEdits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Turning a box vertical stands it on end with its font height kept;
    // undo gives back the card as it was, redo the turned one.
    void turnAndUndo()
    {
        CardFixture card;
        card.doc.AddTextBox();
        card.doc.setTextCaption(0, QStringLiteral("山田太郎"));
        card.doc.setTextBounds(0, {40, 20, 160, 30});
        const std::int32_t fontHeight = card.doc.TextBoxes(0)->Font.height();
        CardHistory history(card.doc);
        const QByteArray before = cardBytes(card.doc);

        history.setTextSetting(0, verticalJustified());
        QCOMPARE(history.stack().count(), 1);
        QCOMPARE(history.stack().undoText(), Msg::stepTextSetting());
        QCOMPARE(card.doc.TextBoxes(0)->bounds, (BoxBounds{40, 20, 30, 160}));
        QCOMPARE(card.doc.TextBoxes(0)->Font.height(), fontHeight);
        const QByteArray after = cardBytes(card.doc);
        QVERIFY(after.contains("\r\nAlign=justify\r\nCharScale=80,100\r\nSpacing=150\r\nVertical=1\r\nTcy=3\r\n"));

        card.doc.SetModified(false);
        history.stack().undo();
        QCOMPARE(cardBytes(card.doc), before);
        QVERIFY(card.doc.Modified());
        history.stack().redo();
        QCOMPARE(cardBytes(card.doc), after);

        // The same setting again is no step.
        history.setTextSetting(0, verticalJustified());
        QCOMPARE(history.stack().count(), 1);
    }

    // The size rule works across the line: a vertical box's font height
    // follows its width.
    void verticalResizeRule_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<std::int32_t>("fontHeight");
        QTest::newRow("horizontal: from the height") << false << std::int32_t(2 - 50);
        QTest::newRow("vertical: from the width") << true << std::int32_t(2 - 30);
    }
    void verticalResizeRule()
    {
        QFETCH(bool, vertical);
        QFETCH(std::int32_t, fontHeight);
        CardFixture card;
        card.doc.AddTextBox();
        TextSetting setting;
        setting.vertical = vertical;
        card.doc.setTextSetting(0, setting);
        card.doc.setTextBounds(0, {0, 0, 30, 50});
        QCOMPARE(card.doc.TextBoxes(0)->Font.height(), fontHeight);
    }

    // Copy and paste carry the setting, as the card file does.
    void clipboardCarriesTheSetting()
    {
        CardFixture card;
        card.doc.AddTextBox();
        card.doc.setTextCaption(0, QStringLiteral("令和10年"));
        card.doc.setTextSetting(0, verticalJustified());
        const std::optional<QByteArray> bytes = BoxClipboard::encodeBytes(card.doc, BoxRef::text(0));
        QVERIFY(bytes);
        const std::optional<ClipBox> back = BoxClipboard::decodeBytes(*bytes, 96, &card.sink);
        QVERIFY(back && back->text);
        QCOMPARE(back->text->Setting, verticalJustified());
        QVERIFY(back->text->UnknownLines.isEmpty());

        CardHistory history(card.doc);
        QCOMPARE(history.pasteBox(*back, Msg::stepPaste()), 1);
        QCOMPARE(card.doc.TextBoxes(1)->Setting, verticalJustified());
        QCOMPARE(card.doc.TextBoxes(1)->bounds.Height, card.doc.TextBoxes(0)->bounds.Height);
        QVERIFY(card.sink.told.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSettingEdits)
#include "test_settingedits.moc"
