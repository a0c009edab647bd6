// The undo history and the box clipboard, without any window.
#include "CardFixture.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "cardfile/CardFile.h"
#include "editing/BoxClipboard.h"
#include "editing/CardHistory.h"

#include <QTest>

#include <functional>

namespace {

using Change = std::function<void(CardHistory &)>;

QByteArray cardBytes(const CardDocument &doc)
{
    return CardFileBytes(doc).value_or(QByteArrayLiteral("refused"));
}

// A card with a text box in slots 0 and 1 and an image box in slot 0.
void fillCard(CardFixture &card)
{
    card.doc.setPrintSettings({1, 5, 7});
    card.doc.AddTextBox();
    card.doc.setTextCaption(0, QStringLiteral("山田 太郎"));
    card.doc.AddTextBox();
    card.doc.setTextCaption(1, QStringLiteral("営業部"));
    card.doc.setTextBounds(1, {40, 60, 120, 24});
    card.doc.AddImageBox();
    card.doc.setImagePath(0, QStringLiteral(TAVELO_TEST_DATA "/logo24.bmp"));
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(BoxBounds)

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Undo gives back the exact card bytes, redo the later ones; no label: no step.
    void undoRedo_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("label");
        QTest::newRow("delete") << Change([](CardHistory &h) { h.deleteBox(BoxRef::text(0)); }) << Msg::stepDelete();
        QTest::newRow("drag resizes, font height follows") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepResize());
            for (int height = 25; height < 40; ++height)
                h.document().setTextBounds(1, {40 + height, 60, 120, height});
            h.endStep();
        }) << Msg::stepResize();
        QTest::newRow("picture") << Change([](CardHistory &h) {
            h.setPicture(0, QStringLiteral(TAVELO_TEST_DATA "/logo8.bmp"), QImage(4, 4, QImage::Format_RGB32));
        }) << Msg::stepPicture();
        QTest::newRow("drag back to the start") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepMove());
            h.document().setTextBounds(0, {5, 5, 100, 20});
            h.document().setTextBounds(0, {0, 0, 100, 20});
            h.endStep();
        }) << QString();
        QTest::newRow("editor hides a box") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepMove());
            h.document().setTextVisible(0, false);
            h.endStep();
        }) << QString();
    }
    void undoRedo()
    {
        QFETCH(Change, change);
        QFETCH(QString, label);
        CardFixture card;
        fillCard(card);
        CardHistory history(card.doc);
        const QByteArray before = cardBytes(card.doc);
        change(history);
        QCOMPARE(history.stack().count(), label.isEmpty() ? 0 : 1);
        if (label.isEmpty())
            return;
        const QByteArray after = cardBytes(card.doc);
        QVERIFY(after != before);
        QCOMPARE(history.stack().undoText(), label);

        card.doc.SetModified(false);
        history.stack().undo();
        QCOMPARE(cardBytes(card.doc), before);
        QVERIFY(card.doc.Modified());
        QVERIFY(card.doc.TextBoxes(0)->Visible && card.doc.TextBoxes(1)->Visible);
        card.doc.SetModified(false);
        history.stack().redo();
        QCOMPARE(cardBytes(card.doc), after);
        QVERIFY(card.doc.Modified());
        QVERIFY(card.sink.infos.isEmpty());
    }

    // Presses of one key on one box in a row are one step.
    void keyMovesMerge_data()
    {
        QTest::addColumn<Change>("presses");
        QTest::addColumn<int>("steps");
        QTest::addColumn<BoxBounds>("afterFirstUndo");
        const auto right = [](CardHistory &h) { h.moveByKey(BoxRef::text(1), Qt::Key_Right, 1, 0); };
        QTest::newRow("same key five times") << Change([=](CardHistory &h) {
            for (int i = 0; i < 5; ++i)
                right(h);
        }) << 1 << BoxBounds{40, 60, 120, 24};
        QTest::newRow("row broken") << Change([=](CardHistory &h) {
            right(h);
            h.breakKeyRun();
            right(h);
            right(h);
        }) << 2 << BoxBounds{41, 60, 120, 24};
        QTest::newRow("at the edge of 32 bits") << Change([](CardHistory &h) {
            h.document().setTextBounds(1, {2147483646, 60, 120, 24});
            for (int i = 0; i < 3; ++i)
                h.moveByKey(BoxRef::text(1), Qt::Key_Right, 1, 0);
        }) << 1 << BoxBounds{2147483646, 60, 120, 24};
    }
    void keyMovesMerge()
    {
        QFETCH(Change, presses);
        QFETCH(int, steps);
        QFETCH(BoxBounds, afterFirstUndo);
        CardFixture card;
        fillCard(card);
        CardHistory history(card.doc);
        const BoxFont font = card.doc.TextBoxes(1)->Font;
        presses(history);
        QCOMPARE(history.stack().count(), steps);
        history.stack().undo();
        QCOMPARE(card.doc.TextBoxes(1)->bounds, afterFirstUndo);
        QCOMPARE(card.doc.TextBoxes(1)->Font, font);   // a move is no resize
    }

    // The first caption typed into a new box is part of adding it.
    void firstCaptionJoinsTheAdd_data()
    {
        QTest::addColumn<Change>("between");
        QTest::addColumn<int>("steps");
        QTest::newRow("right after") << Change([](CardHistory &) {}) << 1;
        QTest::newRow("after another step") << Change([](CardHistory &h) { h.setPrintSettings({0, 1, 1}); }) << 3;
    }
    void firstCaptionJoinsTheAdd()
    {
        QFETCH(Change, between);
        QFETCH(int, steps);
        CardFixture card;
        CardHistory history(card.doc);
        const QByteArray empty = cardBytes(card.doc);
        const int slot = history.addTextBox();
        between(history);
        history.setCaption(slot, QStringLiteral("佐藤"));
        const QByteArray typed = cardBytes(card.doc);
        QCOMPARE(history.stack().count(), steps);
        history.setCaption(slot, QStringLiteral("佐藤 一郎"));
        QCOMPARE(history.stack().count(), steps + 1);
        history.stack().undo();
        QCOMPARE(cardBytes(card.doc), typed);
        while (history.stack().canUndo())
            history.stack().undo();
        QCOMPARE(cardBytes(card.doc), empty);
    }

    // A caption committed during a drag is a step of its own.
    void captionInsideDrag()
    {
        CardFixture card;
        fillCard(card);
        CardHistory history(card.doc);
        const QByteArray before = cardBytes(card.doc);
        history.beginStep(Msg::stepResize());
        card.doc.setTextBounds(1, {40, 60, 120, 30});
        history.setCaption(0, QStringLiteral("新しい名前"));
        card.doc.setTextBounds(1, {40, 60, 130, 34});
        history.endStep();
        QCOMPARE(history.stack().count(), 2);
        history.stack().undo();
        QCOMPARE(card.doc.TextBoxes(1)->bounds, (BoxBounds{40, 60, 120, 24}));
        QCOMPARE(card.doc.TextBoxes(0)->Caption, QStringLiteral("新しい名前"));
        history.stack().undo();
        QCOMPARE(cardBytes(card.doc), before);
    }

    // Paste takes the lowest free slot, 10 px right and down; full slots: message, no step.
    void paste()
    {
        CardFixture card;
        fillCard(card);
        CardHistory history(card.doc);
        QCOMPARE(history.pasteBox({*card.doc.TextBoxes(1), std::nullopt, std::nullopt}, Msg::stepPaste()), 2);
        const BoxBounds from = card.doc.TextBoxes(1)->bounds;
        QCOMPARE(card.doc.TextBoxes(2)->bounds, (BoxBounds{from.Left + 10, from.Top + 10, from.Width, from.Height}));
        QCOMPARE(card.doc.TextBoxes(2)->Font, card.doc.TextBoxes(1)->Font);
        for (int n = 1; n < CardDocument::SlotCount; ++n)
            card.doc.AddImageBox();
        ClipBox image;
        image.image = *card.doc.ImageBoxes(0);
        QCOMPARE(history.pasteBox(image, Msg::stepPaste()), -1);
        QCOMPARE(history.stack().count(), 1);
        QCOMPARE(card.sink.infos, QStringList{Msg::tooManyBoxes()});
    }

    // A copied text box reads back the same, to the exact font height.
    void clipboardRoundTrip()
    {
        CardFixture card;
        fillCard(card);
        card.doc.setScreenPpi(120);
        // 14.4 pt: the size alone would give -23
        const BoxFont font(QStringLiteral("ＭＳ ゴシック"), -24, 0x0000FF, FontStyle::Italic | FontStyle::StrikeOut);
        card.doc.setTextFont(1, font);
        const std::unique_ptr<QMimeData> data = BoxClipboard::encode(card.doc, BoxRef::text(1));
        QVERIFY(data);
        QCOMPARE(data->text(), QStringLiteral("営業部"));
        QVERIFY(data->data(BoxClipboard::mimeType()).startsWith("Tavelo DataFile\r\n"));
        const std::optional<ClipBox> back = BoxClipboard::decode(*data, 120, &card.sink);
        QVERIFY(back && card.sink.errors.isEmpty());
        QVERIFY(back->text && !back->image);
        QCOMPARE(back->text->bounds, card.doc.TextBoxes(1)->bounds);
        QCOMPARE(back->text->Font, font);
    }

    void clipboardRefusesBadInput()
    {
        RecordingSink sink;
        std::optional<ClipBox> read;
        QCOMPARE(thrownMessage([&] { read = BoxClipboard::decodeBytes(QByteArray(), 96, &sink); }), QString());
        QVERIFY(!read && sink.errors.isEmpty());
        QCOMPARE(sink.infos, QStringList{Msg::badCardFile()});
        const QString thrown = thrownMessage(
            [&] { read = BoxClipboard::decodeBytes("Tavelo DataFile\r\n1\r\n0\r\n0\r\n#0\r\nA\r\nx\r\n", 96, &sink); });
        QVERIFY(!read);
        QCOMPARE(thrown.isEmpty() ? sink.errors.value(0) : thrown, Msg::notAnInteger(QStringLiteral("x")));
        QCOMPARE(sink.infos.size(), 1);
    }

    void clearEmptiesTheHistory()
    {
        CardFixture card;
        CardHistory history(card.doc);
        history.addTextBox();
        history.beginStep(Msg::stepMove());
        history.clear();
        QVERIFY(!history.inStep());
        QCOMPARE(history.stack().count(), 0);
        history.addTextBox();
        QCOMPARE(history.stack().count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
