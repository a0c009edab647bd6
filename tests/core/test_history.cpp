// The undo history and the box clipboard, without any window.
#include "BoxClipboard.h"
#include "CardFile.h"
#include "CardHistory.h"
#include "CardFixture.h"
#include "Messages.h"
#include "TestFiles.h"

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

BoxFont boldRed()
{
    return BoxFont(QStringLiteral("ＭＳ ゴシック"), -21, 0x0000FF, FontStyle::Bold);
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(BoxRef)
Q_DECLARE_METATYPE(BoxBounds)

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each change, undone, gives the card file written before it; redone,
    // the one written after it; both mark the card modified, and a box
    // brought back is shown. A row without a label is no step.
    void undoRedo_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("label");
        QTest::newRow("add text box") << Change([](CardHistory &h) { h.addTextBox(); }) << Msg::stepAdd();
        QTest::newRow("add image box") << Change([](CardHistory &h) { h.addImageBox(); }) << Msg::stepAdd();
        QTest::newRow("delete text box") << Change([](CardHistory &h) { h.deleteBox(BoxRef::text(0)); })
                                         << Msg::stepDelete();
        QTest::newRow("delete image box") << Change([](CardHistory &h) { h.deleteBox(BoxRef::image(0)); })
                                          << Msg::stepDelete();
        QTest::newRow("drag moves") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepMove());
            for (int x = 41; x < 60; ++x)
                h.document().setTextBounds(1, {x, 61, 120, 24});
            h.endStep();
        }) << Msg::stepMove();
        QTest::newRow("drag resizes, font height follows") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepResize());
            for (int height = 25; height < 40; ++height)
                h.document().setTextBounds(1, {40, 60, 120, height});
            h.endStep();
        }) << Msg::stepResize();
        QTest::newRow("image box resized") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepResize());
            h.document().setImageBounds(0, {100, 0, 130, 66});
            h.endStep();
        }) << Msg::stepResize();
        QTest::newRow("caption") << Change([](CardHistory &h) { h.setCaption(0, QStringLiteral("鈴木")); })
                                 << Msg::stepCaption();
        QTest::newRow("font") << Change([](CardHistory &h) { h.setFont(1, boldRed()); }) << Msg::stepFont();
        QTest::newRow("font and fit") << Change([](CardHistory &h) {
            h.beginStep(Msg::stepFont());
            h.setFont(1, boldRed());
            h.document().setTextBounds(1, {40, 60, 120, 23});
            h.document().setTextBounds(1, {40, 60, 77, 23});
            h.endStep();
        }) << Msg::stepFont();
        QTest::newRow("picture") << Change([](CardHistory &h) {
            h.setPicture(0, QStringLiteral(TAVELO_TEST_DATA "/logo8.bmp"), QImage(4, 4, QImage::Format_RGB32));
        }) << Msg::stepPicture();
        QTest::newRow("print settings") << Change([](CardHistory &h) { h.setPrintSettings({0, 12, 30}); })
                                        << Msg::stepPrintSettings();
        QTest::newRow("paste text box") << Change([](CardHistory &h) {
            h.pasteBox({*h.document().TextBoxes(1), std::nullopt}, Msg::stepPaste());
        }) << Msg::stepPaste();
        QTest::newRow("key moves") << Change([](CardHistory &h) {
            for (int i = 0; i < 3; ++i)
                h.moveByKey(BoxRef::image(0), Qt::Key_Down, 0, 10);
        }) << Msg::stepMove();
        // What is no change of the card is no step.
        QTest::newRow("same caption") << Change([](CardHistory &h) { h.setCaption(0, QStringLiteral("山田 太郎")); })
                                      << QString();
        QTest::newRow("same print settings") << Change([](CardHistory &h) { h.setPrintSettings({1, 5, 7}); }) << QString();
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
        QTest::newRow("21st text box") << Change([](CardHistory &h) {
            for (int n = 0; n < CardDocument::SlotCount; ++n)
                h.document().AddTextBox();
            h.addTextBox();
            h.stack().clear();
            h.addTextBox();
        }) << QString();
        QTest::newRow("key move of an empty slot") << Change([](CardHistory &h) {
            h.moveByKey(BoxRef::text(7), Qt::Key_Left, -1, 0);
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
        if (label.isEmpty()) {
            QCOMPARE(history.stack().count(), 0);
            QVERIFY(!history.stack().canUndo());
            return;
        }
        const QByteArray after = cardBytes(card.doc);
        QVERIFY(after != before);
        QCOMPARE(history.stack().count(), 1);
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

    // Several steps undone one by one walk back through every card written.
    void undoWalksBack()
    {
        CardFixture card;
        CardHistory history(card.doc);
        QList<QByteArray> written{cardBytes(card.doc)};
        const int slot = history.addTextBox();
        written << cardBytes(card.doc);
        history.setPrintSettings({1, 2, 3});
        written << cardBytes(card.doc);
        history.setCaption(slot, QStringLiteral("abc"));
        written << cardBytes(card.doc);
        history.beginStep(Msg::stepMove());
        card.doc.setTextBounds(slot, {30, 40, 100, 20});
        history.endStep();
        written << cardBytes(card.doc);
        history.deleteBox(BoxRef::text(slot));
        written << cardBytes(card.doc);
        for (int n = written.size() - 2; n >= 0; --n) {
            history.stack().undo();
            QCOMPARE(cardBytes(card.doc), written[n]);
        }
        for (int n = 1; n < written.size(); ++n) {
            history.stack().redo();
            QCOMPARE(cardBytes(card.doc), written[n]);
        }
    }

    // Presses of one key on one box in a row are one step; another key,
    // another box or a broken row starts a new one.
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
        QTest::newRow("shift is another key") << Change([=](CardHistory &h) {
            right(h);
            h.moveByKey(BoxRef::text(1), (Qt::Key_Right | Qt::ShiftModifier).toCombined(), 10, 0);
            right(h);
        }) << 3 << BoxBounds{51, 60, 120, 24};
        QTest::newRow("other key between") << Change([=](CardHistory &h) {
            right(h);
            right(h);
            h.moveByKey(BoxRef::text(1), Qt::Key_Up, 0, -1);
            right(h);
        }) << 3 << BoxBounds{42, 59, 120, 24};
        QTest::newRow("row broken") << Change([=](CardHistory &h) {
            right(h);
            h.breakKeyRun();
            right(h);
            right(h);
        }) << 2 << BoxBounds{41, 60, 120, 24};
        QTest::newRow("other box between") << Change([=](CardHistory &h) {
            right(h);
            h.moveByKey(BoxRef::text(0), Qt::Key_Right, 1, 0);
            right(h);
        }) << 3 << BoxBounds{41, 60, 120, 24};
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

    // The first caption typed into a new box is part of adding it; later
    // ones, or one after another step, are steps of their own.
    void firstCaptionJoinsTheAdd_data()
    {
        QTest::addColumn<Change>("between");
        QTest::addColumn<int>("steps");
        QTest::newRow("right after") << Change([](CardHistory &) {}) << 1;
        QTest::newRow("after another step") << Change([](CardHistory &h) { h.setPrintSettings({0, 1, 1}); }) << 3;
        QTest::newRow("after an image box was added") << Change([](CardHistory &h) { h.addImageBox(); }) << 3;
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
        for (int n = 0; n < steps; ++n)
            history.stack().redo();
        QCOMPARE(cardBytes(card.doc), typed);
    }

    // A caption committed while a drag is collected (the resize closed the
    // editor) is a step of its own, undone after the drag.
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

    // Paste takes the lowest free slot and stands 10 pixels right and down;
    // full slots give the limit message and no step.
    void paste_data()
    {
        QTest::addColumn<bool>("image");
        QTest::addColumn<int>("occupied");
        QTest::addColumn<int>("slot");
        QTest::newRow("text box into slot 2") << false << 0 << 2;
        QTest::newRow("image box into slot 1") << true << 0 << 1;
        QTest::newRow("text slots full") << false << 18 << -1;
        QTest::newRow("image slots full") << true << 19 << -1;
    }
    void paste()
    {
        QFETCH(bool, image);
        QFETCH(int, occupied);
        QFETCH(int, slot);
        CardFixture card;
        fillCard(card);
        for (int n = 0; n < occupied; ++n)
            image ? card.doc.AddImageBox() : card.doc.AddTextBox();
        CardHistory history(card.doc);
        ClipBox clip;
        if (image)
            clip.image = *card.doc.ImageBoxes(0);
        else
            clip.text = *card.doc.TextBoxes(1);
        QCOMPARE(history.pasteBox(clip, Msg::stepPaste()), slot);
        QCOMPARE(history.stack().count(), slot >= 0 ? 1 : 0);
        QCOMPARE(card.sink.infos, slot >= 0 ? QStringList() : QStringList{Msg::tooManyBoxes()});
        if (slot < 0)
            return;
        const BoxBounds from = image ? card.doc.ImageBoxes(0)->bounds : card.doc.TextBoxes(1)->bounds;
        const BoxBounds to = image ? card.doc.ImageBoxes(slot)->bounds : card.doc.TextBoxes(slot)->bounds;
        QCOMPARE(to, (BoxBounds{from.Left + 10, from.Top + 10, from.Width, from.Height}));
        if (!image)
            QCOMPARE(card.doc.TextBoxes(slot)->Font, card.doc.TextBoxes(1)->Font);
    }

    // A box copied and read back is the same box: font, colour, style and
    // exact height, or the picture's path (and picture).
    void clipboardRoundTrip_data()
    {
        QTest::addColumn<BoxRef>("box");
        QTest::addColumn<QString>("plainText");
        QTest::newRow("text box with font and colour") << BoxRef::text(1) << QStringLiteral("営業部");
        QTest::newRow("image box") << BoxRef::image(0) << QStringLiteral(TAVELO_TEST_DATA "/logo24.bmp");
    }
    void clipboardRoundTrip()
    {
        QFETCH(BoxRef, box);
        QFETCH(QString, plainText);
        CardFixture card;
        fillCard(card);
        card.doc.setScreenPpi(120);
        BoxFont font = boldRed();
        font.setHeight(-24);   // 14.4 pt: the size alone would give -23
        font.setStyle(FontStyle::Italic | FontStyle::StrikeOut);
        card.doc.setTextFont(1, font);
        const std::unique_ptr<QMimeData> data = BoxClipboard::encode(card.doc, box);
        QVERIFY(data);
        QCOMPARE(data->text(), plainText);
        const QByteArray bytes = data->data(BoxClipboard::mimeType());
        QVERIFY(bytes.startsWith("Tavelo DataFile\r\n"));
        QVERIFY(!bytes.contains('\n') || bytes.count('\n') == bytes.count("\r\n"));

        const std::optional<ClipBox> back = BoxClipboard::decode(*data, 120, &card.sink);
        QVERIFY(back);
        QVERIFY(card.sink.errors.isEmpty());
        if (box.isText()) {
            QVERIFY(back->text && !back->image);
            QCOMPARE(back->text->Caption, card.doc.TextBoxes(1)->Caption);
            QCOMPARE(back->text->bounds, card.doc.TextBoxes(1)->bounds);
            QCOMPARE(back->text->Font, font);
        } else {
            QVERIFY(back->image && !back->text);
            QCOMPARE(back->image->ImagePath, plainText);
            QCOMPARE(back->image->bounds, card.doc.ImageBoxes(0)->bounds);
            QCOMPARE(back->image->Picture.size(), QSize(5, 3));
        }
    }

    // What another program may put under the program's type is read with the
    // card file's rules: no box, a message, or the reader's error.
    void clipboardBadInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("box");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << false << Msg::badCardFile() << QString();
        QTest::newRow("header only") << QByteArray("Tavelo DataFile\r\n1\r\n0\r\n0\r\n") << false << QString()
                                     << QString();
        QTest::newRow("bad number") << QByteArray("Tavelo DataFile\r\n1\r\n0\r\n0\r\n#0\r\nA\r\nx\r\n") << false
                                    << QString() << Msg::notAnInteger(QStringLiteral("x"));
        QTest::newRow("missing picture")
            << QByteArray("Tavelo DataFile\r\n1\r\n0\r\n0\r\n$0\r\n/nonexistent/x.bmp\r\n1\r\n2\r\n3\r\n4\r\n") << true
            << QString() << Msg::cannotOpenFile(QStringLiteral("/nonexistent/x.bmp"));
        QTest::newRow("bad height line kept to the record")
            << QByteArray("Tavelo DataFile\r\n1\r\n0\r\n0\r\n#0\r\nA\r\n1\r\n2\r\n3\r\n4\r\nX\r\n10\r\n0\r\n    \r\n"
                          "FontHeight=abc\r\n")
            << true << QString() << QString();
    }
    void clipboardBadInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, box);
        QFETCH(QString, info);
        QFETCH(QString, error);
        RecordingSink sink;
        std::optional<ClipBox> read;
        const QString thrown = thrownMessage([&] { read = BoxClipboard::decodeBytes(bytes, 96, &sink); });
        QCOMPARE(bool(read), box);
        QCOMPARE(sink.infos, info.isEmpty() ? QStringList() : QStringList{info});
        QCOMPARE(thrown.isEmpty() ? sink.errors.value(0) : thrown, error);
        if (read && read->text)
            QCOMPARE(read->text->Font.height(), -13);
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
