// A long session of random commands through the main window, with a fixed
// seed: boxes added, typed into, moved and resized by their handles and the
// arrow keys, undone and redone, copied, pasted, cut and deleted, the card
// saved, opened and made new. After every command the panels show the
// document, no error box came up, and the card written reads back as the
// same bytes. TAVELO_SOAK_STEPS and TAVELO_SOAK_SEED run a longer or another
// session.
#include "UiTestSupport.h"
#include "cardfile/CardFile.h"
#include "widgets/CardPanel.h"
#include "widgets/InlineEditor.h"
#include "window/EditActions.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <iterator>
#include <numeric>

namespace {

const QString kPicture = QStringLiteral(TAVELO_TEST_DATA "/logo24.bmp");

int fromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// A read puts the boxes in the lowest free slots, in the file's order: the
// record marks' numbers are not kept.
QByteArray withoutSlotNumbers(const QByteArray &card)
{
    QList<QByteArray> lines = card.split('\n');
    for (QByteArray &line : lines) {
        if (line.startsWith('#') || line.startsWith('$'))
            line.truncate(1);
    }
    return lines.join('\n');
}

struct Session : TestWindow {
    QTemporaryDir dir;
    QRandomGenerator random;
    QStringList log;   // the commands so far, for the failure's message
    QString saved;     // the last file saved to

    explicit Session(quint32 seed) : random(seed) {}

    int below(int n) { return int(random.bounded(n)); }
    // A box of the kind asked for, at random, or −1.
    int anySlot(bool text)
    {
        QList<int> slots;
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot)
            if (text ? doc().TextBoxes(slot) != nullptr : doc().ImageBoxes(slot) != nullptr)
                slots << slot;
        return slots.isEmpty() ? -1 : slots.at(below(int(slots.size())));
    }
    TMovePanel *anyPanel()
    {
        const bool text = below(3) != 0;
        const int slot = anySlot(text);
        return slot < 0 ? nullptr : text ? form.textPanel(slot) : form.imagePanel(slot);
    }
    QString anyText()
    {
        static const QStringList words{"営業部", "ﾀﾍﾞﾛ",  "Tel 03-1234-5678", "山田 太郎", "", "株式会社",
                                       "@",      "QR:abc"};
        return words.at(below(int(words.size())));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &form, Qt::Key(key), modifiers);
    }

    // One command at random, each as often as its weight; returns its name.
    QString step()
    {
        presenter.answers.clear();
        static const int weights[] = {5, 2, 6, 2, 3, 6, 2, 3, 2, 1, 2, 2, 1, 2, 1, 1};
        int pick = below(int(std::accumulate(std::begin(weights), std::end(weights), 0)));
        int command = 0;
        while (pick >= weights[command])
            pick -= weights[command++];
        switch (command) {
        case 0:
            form.MenuNewBox->trigger();
            return "new box";
        case 1:
            files.openAnswers = {kPicture};
            form.MenuNewImage->trigger();
            return "new image";
        case 2:
            if (!form.editorOpen())
                return "type (no editor)";
            if (below(2))
                QTest::keyClicks(form.Edit1, QStringLiteral("ab1 "));
            else
                form.Edit1->insert(anyText());
            return "type";
        case 3:
            if (form.editorOpen() && below(2)) {
                QTest::keyClick(form.Edit1, Qt::Key_Return);
                return "enter";
            }
            QTest::mouseClick(form.Panel1, Qt::LeftButton, {},
                              QPoint(form.Panel1->width() - 2, form.Panel1->height() - 2));
            return "click card";
        case 4:
            if (const int slot = anySlot(true); slot >= 0) {
                const QRect box = form.textPanel(slot)->rect();
                QTest::mouseClick(form.textPanel(slot), Qt::LeftButton, {}, box.center());
                return "click box";
            }
            return "click box (none)";
        case 5:
            if (TMovePanel *panel = anyPanel()) {
                const QPoint by(below(81) - 40, below(61) - 30);
                const bool move = below(2);
                const QPoint from = move ? QPoint(2, 2) : panel->rect().bottomRight() - QPoint(2, 2);
                drag(panel, from, from + by);
                return move ? "move" : "resize";
            }
            return "drag (none)";
        case 6: {
            static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
            key(keys[below(4)], below(2) ? Qt::ShiftModifier : Qt::NoModifier);
            return "arrow";
        }
        case 7:
            form.Edit->MenuUndo->trigger();
            return "undo";
        case 8:
            form.Edit->MenuRedo->trigger();
            return "redo";
        case 9:
            form.Edit->MenuCopy->trigger();
            return "copy";
        case 10:
            form.Edit->MenuPaste->trigger();
            return "paste";
        case 11: {
            QAction *items[] = {form.Edit->MenuCut, form.Edit->MenuDuplicate, form.Edit->MenuDeleteBox};
            QAction *item = items[below(3)];
            item->trigger();
            return item->objectName();
        }
        case 12:
            if (const int slot = anySlot(false); slot >= 0) {
                files.openAnswers = {kPicture};
                QTest::mouseClick(form.imageControl(slot), Qt::LeftButton, {}, QPoint(20, 20));
                return "click picture";
            }
            return "click picture (none)";
        case 13:
            files.saveAnswers = {dir.filePath(QStringLiteral("soak%1.tvl").arg(below(2)))};
            (below(2) ? form.MenuSave : form.MenuSaveAs)->trigger();
            if (!doc().Modified())
                saved = doc().DocFileName();
            return "save";
        case 14:
            if (saved.isEmpty())
                return "open (nothing saved)";
            presenter.answers = {mrNo};
            // Mostly the other card saved, now and then the one open.
            files.openAnswers = {below(4) ? dir.filePath(QStringLiteral("soak%1.tvl").arg(below(2))) : saved};
            if (!QFile::exists(*files.openAnswers.first()))
                files.openAnswers = {saved};
            form.MenuOpen->trigger();
            return "open";
        default:
            presenter.answers = {mrNo};
            form.MenuNew->trigger();
            return "new";
        }
    }

    // What every command keeps true.
    void check(int number)
    {
        const QString where = QStringLiteral("after step %1: %2").arg(number).arg(log.mid(log.size() - 12).join(", "));
        const auto fail = [&](const QString &what) { QFAIL(qPrintable(what + QLatin1String(" — ") + where)); };
        if (!presenter.errors.isEmpty())
            return fail("error box: " + presenter.errors.join(" | "));
        // One program alone: its own saves are never another program's change.
        if (!presenter.infos.filter(Msg::changedOnDisk()).isEmpty())
            return fail("its own save taken for another program's");
        for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
            const TextBox *box = doc().TextBoxes(slot);
            const TMovePanel *panel = form.textPanel(slot);
            if (bool(box) != bool(panel))
                return fail(QStringLiteral("text slot %1: box and panel disagree").arg(slot));
            if (box) {
                const BoxBounds &b = box->bounds;
                if (panel->geometry() != QRect(b.Left, b.Top, b.Width, b.Height))
                    return fail(QStringLiteral("text panel %1 is not where its box is").arg(slot));
                if (panel->isVisibleTo(form.Panel1) != box->Visible)
                    return fail(QStringLiteral("text panel %1 shown wrongly").arg(slot));
            }
            const MoveImageRecord *image = doc().ImageBoxes(slot);
            const TMovePanel *imagePanel = form.imagePanel(slot);
            if (bool(image) != bool(imagePanel))
                return fail(QStringLiteral("image slot %1: box and panel disagree").arg(slot));
            if (image) {
                const BoxBounds &b = image->bounds;
                if (imagePanel->geometry() != QRect(b.Left, b.Top, b.Width, b.Height))
                    return fail(QStringLiteral("image panel %1 is not where its box is").arg(slot));
            }
        }
        if (form.editorOpen()) {
            const BoxRef current = doc().CurrentBox();
            if (!current.isText() || !doc().TextBoxes(current.slot) || doc().TextBoxes(current.slot)->Visible)
                return fail("the editor stands over no hidden current box");
        }
        if (form.windowTitle() != Msg::titlePrefix() + doc().DocFileName())
            return fail("the title does not name the card");
        // Not modified: the file holds the card.
        if (!doc().Modified() && doc().DocFileName() != Msg::defaultDocumentName()
            && withoutSlotNumbers(TestFiles::readFile(doc().DocFileName()))
                   != withoutSlotNumbers(CardFileBytesIfStorable(doc()).value_or("-")))
            return fail("an unmodified card differs from its file");
    }

    // Every step undone and redone again leaves the card as it was.
    void checkHistory(int number)
    {
        form.closeEditor();
        const std::optional<QByteArray> before = CardFileBytesIfStorable(doc());
        QUndoStack &stack = history().stack();
        const int index = stack.index();
        stack.setIndex(0);
        stack.setIndex(stack.count());
        stack.setIndex(index);
        if (CardFileBytesIfStorable(doc()) != before)
            QFAIL(qPrintable(QStringLiteral("undone and redone, step %1 differs: %2")
                                 .arg(number)
                                 .arg(log.mid(log.size() - 12).join(", "))));
    }

    // The card written and read back is the same card.
    void checkRoundTrip(int number)
    {
        const std::optional<QByteArray> bytes = CardFileBytesIfStorable(doc());
        if (!bytes)
            return;
        const QString path = dir.filePath(QStringLiteral("roundtrip.tvl"));
        QVERIFY(TestFiles::writeFile(path, *bytes));
        CardDocument read;
        read.setScreenPpi(doc().screenPpi());
        LoadCardFile(read, path);
        if (withoutSlotNumbers(CardFileBytesIfStorable(read).value_or("-")) != withoutSlotNumbers(*bytes))
            QFAIL(qPrintable(
                QStringLiteral("step %1 does not read back: %2").arg(number).arg(log.mid(log.size() - 12).join(", "))));
    }
};

}   // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomCommandsKeepTheWindowSound()
    {
        QGuiApplication::clipboard()->clear();
        const int steps = fromEnvironment("TAVELO_SOAK_STEPS", 2000);
        const quint32 seed = quint32(fromEnvironment("TAVELO_SOAK_SEED", 20261208));
        Session s(seed);
        for (int i = 1; i <= steps; ++i) {
            s.log << s.step();
            s.check(i);
            if (QTest::currentTestFailed())
                return;
            if (i % 5 == 0 || s.log.last() == QLatin1String("save") || s.log.last() == QLatin1String("open"))
                s.checkRoundTrip(i);
            if (i % 100 == 0)
                s.checkHistory(i);
            if (QTest::currentTestFailed())
                return;
        }
        // The session did what it is for: every kind of command did its work.
        for (const char *command : {"new box", "new image", "type", "enter", "click box", "move", "resize", "arrow",
                                    "undo", "redo", "copy", "paste", "MenuCut", "MenuDuplicate", "MenuDeleteBox",
                                    "click picture", "save", "open", "new"})
            QVERIFY2(s.log.count(QLatin1String(command)) >= steps / 500, command);
        s.presenter.answers = {mrNo};
        QVERIFY(s.form.close());
    }
};

TAVELO_UI_TEST_MAIN(TestSoak)
#include "test_soak.moc"
