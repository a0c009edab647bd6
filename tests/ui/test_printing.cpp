// The print settings dialog and the print command on a PDF printer.
#include "CardFile.h"
#include "SpinEdit.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
struct Window : PrintSetWindow {
    void retype(TSpinEdit *spin, const QString &text)
    {
        spin->lineEdit()->setFocus();
        spin->lineEdit()->selectAll();
        QTest::keyClick(spin->lineEdit(), Qt::Key_Backspace);
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(spin->lineEdit(), char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, spin->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
};
}

class TestPrinting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void okStoresTypedValues_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shownAfterLeaving");
        QTest::addColumn<int>("stored");
        QTest::newRow("250 clamps to 100") << QStringLiteral("250") << QStringLiteral("100") << 100;
        QTest::newRow("emptied stores 0") << QString() << QString() << 0;
        QTest::newRow("007 reads 7") << QStringLiteral("007") << QStringLiteral("007") << 7;
        QTest::newRow("+5 reads 5") << QStringLiteral("+5") << QStringLiteral("+5") << 5;
        QTest::newRow("-5 clamps to 0") << QStringLiteral("-5") << QStringLiteral("0") << 0;
        QTest::newRow("a sign alone reads 0") << QStringLiteral("-") << QStringLiteral("-") << 0;
        // Keys that cannot make a whole number do not reach the text.
        QTest::newRow("decimal point refused") << QStringLiteral("1.5") << QStringLiteral("15") << 15;
        QTest::newRow("decimal comma refused") << QStringLiteral("2,5") << QStringLiteral("25") << 25;
        QTest::newRow("sign after a digit refused") << QStringLiteral("5-") << QStringLiteral("5") << 5;
        QTest::newRow("second sign refused") << QStringLiteral("+-3") << QStringLiteral("+3") << 3;
        QTest::newRow("full-width digit refused") << QStringLiteral("1２") << QStringLiteral("1") << 1;
    }
    void okStoresTypedValues()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shownAfterLeaving);
        QFETCH(int, stored);
        Window w;
        w.open({1, 20, 30});
        w.retype(w.dialog->SpinEditLeft, typed);
        w.dialog->SpinEditTop->lineEdit()->setFocus();   // leaving the field
        QCOMPARE(w.dialog->SpinEditLeft->text(), shownAfterLeaving);
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(w.stored(), (PrintSettings{1, stored, 30}));
        QVERIFY(!w.dialog->isVisible());
    }

    void enterWithFocusInFieldStillClamps()
    {
        Window w;
        w.open({1, 0, 0});
        w.retype(w.dialog->SpinEditTop, QStringLiteral("150"));
        QTest::keyClick(w.dialog->SpinEditTop->lineEdit(), Qt::Key_Return);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.stored().MarginTop, 100);
    }

    // The dialog shows the card's settings, held to the fields' range; Cancel
    // keeps the card's own and the next opening shows them again.
    void cancelKeepsAndReopenReloads()
    {
        Window w;
        w.open({0, 150, -3});
        QCOMPARE(w.dialog->SpinEditLeft->text(), QStringLiteral("100"));
        QCOMPARE(w.dialog->SpinEditTop->text(), QStringLiteral("0"));
        QVERIFY(!w.dialog->CheckBoxGuide->isChecked());
        w.retype(w.dialog->SpinEditLeft, QStringLiteral("50"));
        w.dialog->CheckBoxGuide->setChecked(true);
        QTest::keyClick(w.dialog, Qt::Key_Escape);
        QCOMPARE(w.stored(), (PrintSettings{0, 150, -3}));
        w.open({0, 150, -3});
        QCOMPARE(w.dialog->SpinEditLeft->text(), QStringLiteral("100"));
        QVERIFY(!w.dialog->CheckBoxGuide->isChecked());
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(w.stored(), (PrintSettings{0, 100, 0}));
    }

    // Typed and pasted text is held to whole numbers; a sign can still go in
    // front of the digits; the arrows and the buttons step by one.
    void fieldTakesWholeNumbers()
    {
        Window w;
        w.open({1, 99, 0});
        QLineEdit *edit = w.dialog->SpinEditLeft->lineEdit();
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("a/x"));
        QCOMPARE(edit->text(), QStringLiteral("99"));
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("100"));
        QTest::mouseClick(w.dialog->SpinEditLeft->downButton(), Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("99"));
        edit->selectAll();
        edit->insert(QStringLiteral("1.2"));
        QCOMPARE(edit->text(), QStringLiteral("99"));
        edit->home(false);
        QTest::keyClick(edit, Qt::Key_Minus);
        QCOMPARE(edit->text(), QStringLiteral("-99"));
        edit->selectAll();
        edit->insert(QStringLiteral("42"));
        QCOMPARE(edit->text(), QStringLiteral("42"));
        w.dialog->reject();
    }

    void layout()
    {
        Window w;
        // The margins' hint sends the user to the calibration item, by its caption.
        for (TSpinEdit *field : {w.dialog->SpinEditLeft, w.dialog->SpinEditTop}) {
            QVERIFY(field->toolTip().contains(QStringLiteral("1 mm")));
            QVERIFY(field->toolTip().contains(QStringLiteral("「印刷位置の補正」")));
        }
        QCOMPARE(w.dialog->windowTitle(), QStringLiteral("印刷設定"));
        QCOMPARE(w.dialog->CancelBtn->text(), QStringLiteral("ｷｬﾝｾﾙ"));
        QCOMPARE(w.dialog->CheckBoxGuide->text(), QStringLiteral("切り取りガイド印字"));
        QVERIFY(w.dialog->OKBtn->isDefault());
        QCOMPARE(w.dialog->OKBtn->nextInFocusChain(), w.dialog->CancelBtn);
        QCOMPARE(w.dialog->CancelBtn->nextInFocusChain(), static_cast<QWidget *>(w.dialog->SpinEditLeft));
        // OK with nothing changed leaves the card unmodified.
        w.open({1, 0, 0});
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!w.doc().Modified());
    }

    void printsOneSheetPerCopy()
    {
        Window w;
        QTemporaryDir dir;
        CardDocument &doc = w.doc();
        const int slot = doc.AddTextBox();
        doc.setTextCaption(slot, QStringLiteral("営業部"));
        PdfPrinter printer(dir.filePath(QStringLiteral("sheet.pdf")));
        printer.setCopyCount(3);
        const QByteArray before = *CardFileBytes(doc);
        const bool modifiedBefore = doc.Modified();
        w.form.printSheets(printer, 3);
        // Printing leaves the card as it was.
        QCOMPARE(*CardFileBytes(doc), before);
        QCOMPARE(doc.Modified(), modifiedBefore);
        QCOMPARE(printer.copyCount(), 1);
        QVERIFY(w.form.isEnabled());
        QCOMPARE(PdfPrinter::pages(dir.filePath(QStringLiteral("sheet.pdf"))), 3);
    }
};

TAVELO_UI_TEST_MAIN(TestPrinting)
#include "test_printing.moc"
