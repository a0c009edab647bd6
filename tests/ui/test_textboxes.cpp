// Editing text boxes in place, driven by mouse and key events on the window.
#include "UiTestSupport.h"
#include "dialogs/FontDialog.h"
#include "widgets/CardPanel.h"
#include "widgets/InlineEditor.h"

#include "cardfile/CardFile.h"
#include "sheet/SheetPrinter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolButton>

namespace {
struct Window;
}
using WindowAction = std::function<void(Window &)>;
Q_DECLARE_METATYPE(WindowAction)

namespace {
struct Window : TestWindow {
    void click(int slot) { QTest::mouseClick(form.textPanel(slot), Qt::LeftButton, {}, QPoint(50, 15)); }
    // One key press per character (or surrogate pair).
    void type(const QString &text)
    {
        for (int i = 0; i < text.size(); i += text.at(i).isHighSurrogate() ? 2 : 1)
            QTest::sendKeyEvent(QTest::Click, form.Edit1, Qt::Key_unknown, text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1),
                                Qt::NoModifier);
    }
    QString caption(int slot) { return doc().TextBoxes(slot)->Caption; }
};
}

class TestTextBoxes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The tool button opens the editor, empty and focused, on the new box.
    void newBoxOpensEmptyEditor()
    {
        Window w;
        for (int i = 0; i < 3; ++i)
            w.textBox(QStringLiteral("x"), {0, 100, 50, 20});
        QTest::mouseClick(w.form.SpeedButtons[4], Qt::LeftButton);
        QCOMPARE(w.doc().CurrentBox(), BoxRef::text(3));
        QCOMPARE(w.form.Edit1->geometry(), QRect(30, 30, 100, 20));
        QCOMPARE(w.form.Edit1->text(), QString());
        QVERIFY(!w.form.textPanel(3)->isVisible());
        QVERIFY(w.form.Edit1->hasFocus());
    }

    // Typing stays in the editor until it closes or moves to another box;
    // Escape, menu commands and tool buttons leave it open with the focus.
    void whatCommitsTheEditor_data()
    {
        QTest::addColumn<WindowAction>("action");
        QTest::addColumn<bool>("committed");
        QTest::addColumn<bool>("open");
        const auto row = [](const char *name, WindowAction action, bool committed, bool open) {
            QTest::newRow(name) << action << committed << open;
        };
        row("Escape", [](Window &w) { QTest::keyClick(w.form.Edit1, Qt::Key_Escape); }, false, true);
        row("Enter", [](Window &w) { QTest::keyClick(w.form.Edit1, Qt::Key_Return); }, true, false);
        row("a click on the other box", [](Window &w) { w.click(1); }, true, true);
        row("a click on the card", [](Window &w) { QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(300, 150)); },
            true, false);
        // Adds an image box; its dialog is cancelled.
        row("a tool button", [](Window &w) { QTest::mouseClick(w.form.SpeedButtons[5], Qt::LeftButton); }, false, true);
    }
    void whatCommitsTheEditor()
    {
        QFETCH(WindowAction, action);
        QFETCH(bool, committed);
        QFETCH(bool, open);
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        w.textBox(QStringLiteral("B"), {0, 50, 100, 30});
        w.click(a);
        w.type(QStringLiteral("1"));
        action(w);
        QCOMPARE(w.caption(a), committed ? QStringLiteral("A1") : QStringLiteral("A"));
        QCOMPARE(w.form.editorOpen(), open);
        QCOMPARE(w.form.textPanel(a)->caption(), committed ? QStringLiteral("A1") : QStringLiteral("A"));
        if (open)
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.form.Edit1));
        if (open && committed)   // moved to the other box, with its text and place
            QCOMPARE(w.form.Edit1->geometry(), QRect(0, 50, 100, 30));
        QVERIFY(w.presenter.errors.isEmpty());
    }

    // A click on the card with the editor closed, after a box was deleted
    // from its menu, changes nothing and says nothing.
    void cardClickAfterADelete()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        const int b = w.textBox(QStringLiteral("B"), {0, 40, 100, 20});
        w.boxMenu(w.form.textPanel(a), QPoint(50, 10), w.form.MenuDelete);
        QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(300, 150));
        QVERIFY(!w.doc().TextBoxes(a));
        QCOMPARE(w.caption(b), QStringLiteral("B"));
        QVERIFY(!w.form.editorOpen());
        QVERIFY(w.presenter.errors.isEmpty());
    }

    // The right press commits, then the menu comes up on the box pressed.
    void rightPressMenuActsOnTheBoxPressed()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        const int b = w.textBox(QStringLiteral("B"), {0, 40, 100, 20});
        w.click(a);
        QTest::mousePress(w.form.textPanel(b), Qt::RightButton, {}, QPoint(50, 10));
        QTRY_VERIFY(w.form.PopupMenu1->isVisible());
        QCOMPARE(w.caption(a), QStringLiteral("A"));
        w.form.MenuDelete->trigger();
        w.form.PopupMenu1->hide();
        QTest::mouseRelease(&w.form, Qt::RightButton);
        QVERIFY(w.doc().TextBoxes(a));
        QVERIFY(!w.doc().TextBoxes(b));
    }

    // The panel shows the font the resize gave the box (the rule itself is
    // test_document's fontHeightRule).
    void sizeDragScalesText()
    {
        Window w;
        const int a = w.textBox(QString(), {0, 0, 100, 20});
        w.doc().setTextFont(a, BoxFont(QStringLiteral("ＭＳ Ｐ明朝"), -13));
        w.click(a);
        w.type(QStringLiteral("名刺"));
        TMovePanel *panel = w.form.textPanel(a);
        w.drag(panel, QPoint(95, 15), QPoint(95, 25));
        QCOMPARE(panel->font().pixelSize(), 28);
        QCOMPARE(w.caption(a), QStringLiteral("名刺"));   // the resize committed the edit
    }

    void contextMenuFontRefits()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("営業部"), {0, 0, 100, 20});
        BoxFont chosen(QStringLiteral("ＭＳ ゴシック"), -28, 0x0000FF, FontStyle::Bold);
        w.fonts.answers << chosen;
        w.boxMenu(w.form.textPanel(a), QPoint(50, 10), w.form.MenuFont);
        const TextBox *box = w.doc().TextBoxes(a);
        QCOMPARE(box->Font, chosen);
        QCOMPARE(box->bounds.Height, 30);
        const BoxBounds before = box->bounds;   // a cancelled chooser changes nothing
        w.boxMenu(w.form.textPanel(a), QPoint(5, 15), w.form.MenuFont);
        QCOMPARE(w.doc().TextBoxes(a)->bounds, before);
        QCOMPARE(w.doc().TextBoxes(a)->Font, chosen);
    }

    void doubleClickFontKeepsBounds()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("営業部"), {0, 0, 100, 20});
        w.click(a);
        BoxFont chosen(QStringLiteral("ＭＳ Ｐ明朝"), -30, 0xFF0000);
        w.fonts.answers << chosen;
        QTest::mouseDClick(w.form.Edit1, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(w.doc().TextBoxes(a)->Font, chosen);
        QCOMPARE(w.doc().TextBoxes(a)->bounds, (BoxBounds{0, 0, 100, 20}));
        QCOMPARE(w.form.Edit1->font().pixelSize(), 30);
        QVERIFY(w.form.editorOpen());
    }

    void clearingTheCardCommitsNothing()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        w.click(a);
        w.type(QStringLiteral("lost"));
        w.doc().ClearBoxes();
        QVERIFY(!w.form.editorOpen());
        const int b = w.doc().AddTextBox();
        QCOMPARE(w.caption(b), QString());
        QVERIFY(w.presenter.errors.isEmpty());
    }

    // Any character is typed and pasted: the card file keeps what code page
    // 932 lacks in the box's Caption= line.
    void editorTakesAnyCharacter()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        w.click(a);
        w.type(QStringLiteral("ｱ亜"));
        w.type(QString::fromUtf8("\xF0\x9F\x98\x80"));   // emoji
        QCOMPARE(w.form.Edit1->text(), QStringLiteral("Aｱ亜😀"));
        QApplication::clipboard()->setText(QStringLiteral("x€y 𠮷"));
        w.form.Edit1->paste();
        QCOMPARE(w.form.Edit1->text(), QStringLiteral("Aｱ亜😀x€y 𠮷"));
        QTest::keyClick(w.form.Edit1, Qt::Key_Return);
        QCOMPARE(w.caption(a), QStringLiteral("Aｱ亜😀x€y 𠮷"));
        QVERIFY(w.presenter.infos.isEmpty());
    }

    // 𠮷 typed into a box, saved, read again and printed: the registry face
    // draws it in the PDF.
    void typedNamePrints()
    {
        Window w;
        const int a = w.textBox(QString(), {0, 0, 200, 20});
        w.click(a);
        w.type(QStringLiteral("𠮷田 太郎"));
        QTest::keyClick(w.form.Edit1, Qt::Key_Return);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("name.tvl"));
        QVERIFY(WriteCardFile(w.doc(), card));
        QVERIFY(TestFiles::readFile(card).contains("Caption=%F0%A0%AE%B7%E7%94%B0 %E5%A4%AA%E9%83%8E\r\n"));

        CardDocument again;
        LoadCardFile(again, card);
        QCOMPARE(again.TextBoxes(a)->Caption, QStringLiteral("𠮷田 太郎"));
        const QString pdf = dir.filePath(QStringLiteral("name.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(again, {1, 300, QPageSize(QPageSize::A4), {}}, pdf, &error), qPrintable(error));
        if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
            QSKIP("pdffonts (poppler-utils) is not installed");
        QProcess fonts;
        fonts.start(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {pdf});
        QVERIFY(fonts.waitForFinished(60000));
        QVERIFY(fonts.readAllStandardOutput().contains("IPAmjMincho"));
    }

    // A character no installed face draws is kept and named once, when the
    // caption that brings it is committed.
    void unshowableCharacterIsNamed()
    {
        Window w;
        const int a = w.textBox(QStringLiteral("A"), {0, 0, 100, 20});
        w.click(a);
        w.type(QString::fromUcs4(U"\U0010FFFD"));
        QTest::keyClick(w.form.Edit1, Qt::Key_Return);
        QCOMPARE(w.caption(a), QStringLiteral("A") + QString::fromUcs4(U"\U0010FFFD"));
        QCOMPARE(w.presenter.infos, QStringList{Msg::unshowableCharacters(w.doc().TextBoxes(a)->Name(), QStringLiteral("U+10FFFD"))});
        // Edited again with the character still there: nothing new to tell.
        w.click(a);
        w.type(QStringLiteral("B"));
        QTest::keyClick(w.form.Edit1, Qt::Key_Return);
        QCOMPARE(w.presenter.infos.size(), 1);
        // Committed by a click on the card: told as well.
        w.click(a);
        w.type(QString::fromUcs4(U"\U0010FFFC"));
        QTest::mouseClick(w.form.Panel1, Qt::LeftButton, {}, QPoint(300, 150));
        QCOMPARE(w.caption(a), QStringLiteral("A") + QString::fromUcs4(U"\U0010FFFDB\U0010FFFC"));
        QCOMPARE(w.presenter.infos.value(1), Msg::unshowableCharacters(w.doc().TextBoxes(a)->Name(), QStringLiteral("U+10FFFC")));
    }

    void fontDialogReturnsWholeFont()
    {
        const BoxFont initial(QStringLiteral("ＭＳ Ｐ明朝"), -13, 0x0000FF, FontStyle::Bold | FontStyle::Underline);
        TFontDialog dialog(nullptr, initial, 96);
        dialog.sizeBox()->setValue(21);
        dialog.styleBox()->setCurrentIndex(1);   // italic
        dialog.strikeOutBox()->setChecked(true);
        dialog.colorBox()->setCurrentIndex(dialog.colorBox()->findData(0x008000));
        dialog.faceBox()->setCurrentText(QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(dialog.selectedFont(), BoxFont(QStringLiteral("ＭＳ ゴシック"), -28, 0x008000,
                                                FontStyle::Italic | FontStyle::Underline | FontStyle::StrikeOut));
    }
};

TAVELO_UI_TEST_MAIN(TestTextBoxes)
#include "test_textboxes.moc"
