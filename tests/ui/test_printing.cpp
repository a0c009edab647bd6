// The print settings dialog and the print command on a PDF printer.
#include "SheetImages.h"
#include "UiTestSupport.h"
#include "base/TaveloError.h"
#include "cardfile/CardFile.h"
#include "dialogs/PrinterChoice.h"
#include "sheet/SheetPrinter.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QException>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace {
struct Window : PrintSetWindow {
    void retype(TSpinEdit *spin, const QString &text)
    {
        spin->lineEdit()->setFocus();
        spin->lineEdit()->selectAll();
        QTest::keyClick(spin->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(spin->lineEdit(), text);
    }
};
}

class TestPrinting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // OK, or Enter in the field, stores what is shown once the field is left.
    void okStoresTypedValues_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shownAfterLeaving");
        QTest::addColumn<int>("stored");
        QTest::newRow("250 clamps to 100, Enter") << QStringLiteral("250") << true << QStringLiteral("100") << 100;
        QTest::newRow("emptied stores 0") << QString() << false << QString() << 0;
        QTest::newRow("decimal point key refused") << QStringLiteral("1.5") << false << QStringLiteral("15") << 15;
    }
    void okStoresTypedValues()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, shownAfterLeaving);
        QFETCH(int, stored);
        Window w;
        w.open({1, 20, 30});
        w.retype(w.dialog->SpinEditLeft, typed);
        if (enter) {
            QTest::keyClick(w.dialog->SpinEditLeft->lineEdit(), Qt::Key_Return);
            QVERIFY(!w.dialog->isVisible());
        } else {
            w.dialog->SpinEditTop->lineEdit()->setFocus();   // leaving the field
            QCOMPARE(w.dialog->SpinEditLeft->text(), shownAfterLeaving);
            QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        }
        QCOMPARE(w.stored(), (PrintSettings{1, stored, 30}));
    }

    // The dialog shows the card's settings, held to the fields' range; Cancel
    // keeps the card's own and the next opening shows them again.
    void cancelKeepsAndReopenReloads()
    {
        Window w;
        w.open({0, 150, -3});
        w.retype(w.dialog->SpinEditLeft, QStringLiteral("50"));
        w.dialog->CheckBoxGuide->setChecked(true);
        QTest::keyClick(w.dialog, Qt::Key_Escape);
        QCOMPARE(w.stored(), (PrintSettings{0, 150, -3}));
        w.open({0, 150, -3});
        QVERIFY(!w.dialog->CheckBoxGuide->isChecked());
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(w.stored(), (PrintSettings{0, 100, 0}));
    }

    // OK with nothing changed leaves the card unmodified; the arrows and the
    // buttons step by one.
    void arrowsStepByOne()
    {
        Window w;
        w.open({1, 0, 0});   // the new card's own
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!w.doc().Modified());
        w.open({1, 99, 0});
        QLineEdit *edit = w.dialog->SpinEditLeft->lineEdit();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("100"));
        QTest::mouseClick(w.dialog->SpinEditLeft->downButton(), Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("99"));
        w.dialog->reject();
    }

    void printsOneSheetPerCopy()
    {
        Window w;
        QTemporaryDir dir;
        w.textBox(QStringLiteral("営業部"), {8, 8, 80, 20});
        PdfPrinter printer(dir.filePath(QStringLiteral("sheet.pdf")));
        printer.setCopyCount(3);
        const QByteArray before = *CardFileBytes(w.doc());
        w.form.printSheets(printer, 3);
        QCOMPARE(*CardFileBytes(w.doc()), before);   // printing leaves the card as it was
        QCOMPARE(printer.copyCount(), 1);
        QVERIFY(w.form.isEnabled());
        QCOMPARE(PdfPrinter::pages(dir.filePath(QStringLiteral("sheet.pdf"))), 3);
    }

    // A PDF printed from the print dialog to a file and one written by the
    // command-line tool put the cards at the same spot of the page: a PDF
    // has no unprintable border.
    void pdfFromDialogLandsWhereTheToolPutsIt()
    {
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm is not installed");
        Window w;
        QTemporaryDir dir;
        w.textBox(QStringLiteral("営業部"), {8, 8, 80, 20});
        const QString fromDialog = dir.filePath(QStringLiteral("dialog.pdf"));
        const QString fromTool = dir.filePath(QStringLiteral("tool.pdf"));
        PdfPrinter printer(fromDialog);
        w.form.printSheets(printer, 1);
        QString error;
        QVERIFY2(SheetPrinter::writePdf(w.doc(), SheetJob{}, fromTool, &error), qPrintable(error));
        const QStringList at72 = {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-gray")};
        const QImage dialogPage = SheetImages::shownPdfPage(fromDialog, at72);
        const QImage toolPage = SheetImages::shownPdfPage(fromTool, at72);
        QVERIFY(!toolPage.isNull());
        QCOMPARE(dialogPage.size(), toolPage.size());
        QCOMPARE(dialogPage, toolPage);
    }

    // An error in the middle of a job (memory that ran out, here or on a
    // worker thread) stops the job: the printer gets no half-drawn pages,
    // the error box says why, and the program goes on.
    void errorInAJobStopsIt_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("allocation failed") << 0 << errorBoxText(Msg::outOfMemory());
        QTest::newRow("allocation failed on a worker thread") << 1 << errorBoxText(Msg::outOfMemory());
        QTest::newRow("the program's own error") << 2 << errorBoxText(QStringLiteral("x"));
    }
    void errorInAJobStopsIt()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("job.pdf"));
        RecordingPresenter presenter;
        {
            PdfPrinter printer(path);
            try {
                runPrinterJob(printer, [&](QPainter &painter) {
                    painter.fillRect(QRect(0, 0, 600, 600), Qt::black);
                    printer.newPage();
                    if (kind == 0)
                        throw std::bad_alloc();
                    if (kind == 1)
                        throw QUnhandledException(std::make_exception_ptr(std::bad_alloc()));
                    throw TaveloError(QStringLiteral("x"));
                    return true;
                });
                QFAIL("the job went on");
            } catch (const std::exception &e) {
                ErrorGuard::report(e);
            }
        }
        QCOMPARE(presenter.errors, QStringList{shown});
        QVERIFY(!QFile::exists(path));
    }
};

TAVELO_UI_TEST_MAIN(TestPrinting)
#include "test_printing.moc"
