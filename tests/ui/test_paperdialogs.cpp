// The paper choice of the print settings dialog and the print position
// calibration dialog, driven offscreen.
#include "CalibrationDialog.h"
#include "PaperLayoutBox.h"
#include "SheetImages.h"
#include "SpinEdit.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

Q_DECLARE_METATYPE(PaperLayout)
Q_DECLARE_METATYPE(SheetOffset)

namespace {

struct Window : PrintSetWindow {
    PaperLayoutBox *paper = dialog->PaperBox;
};

// Calibration offsets kept in a settings file of the test's own; messages recorded.
struct Calibrations {
    RecordingPresenter presenter;
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
    PrinterCalibration calibration{&settings};
};

template <typename Spin>
void retype(Spin *spin, const QString &text)
{
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClicks(spin, text);
}

} // namespace

class TestPaperDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The margin controls keep their places and sizes; the paper choice lies
    // below them and the dialog has grown downward only.
    void printSettingsGrowsDownward()
    {
        Window w;
        w.open({1, 0, 0});
        QCOMPARE(w.dialog->width(), 378);
        QVERIFY(w.dialog->height() > 176);
        QCOMPARE(w.dialog->Bevel1->geometry(), QRect(8, 8, 277, 158));
        QCOMPARE(w.dialog->SpinEditLeft->geometry(), QRect(136, 40, 49, 21));
        QCOMPARE(w.dialog->SpinEditTop->geometry(), QRect(136, 72, 49, 21));
        QCOMPARE(w.dialog->CheckBoxGuide->geometry(), QRect(16, 120, 257, 17));
        QCOMPARE(w.dialog->OKBtn->geometry(), QRect(295, 8, 75, 25));
        QCOMPARE(w.dialog->CancelBtn->geometry(), QRect(295, 38, 75, 24));
        QVERIFY(w.paper->geometry().top() >= 166);
        QVERIFY(w.dialog->rect().contains(w.paper->geometry()));
        QCOMPARE(w.paper->Choice->count(), 3);
        QCOMPARE(w.paper->Choice->itemText(0), QStringLiteral("8面 (標準)"));
        QCOMPARE(w.paper->Choice->itemText(1), QStringLiteral("10面 (A4 2×5 中央)"));
        QCOMPARE(w.paper->Choice->itemText(2), QStringLiteral("カスタム"));
        // After the margin controls in the tab order.
        w.dialog->CheckBoxGuide->setFocus();
        QTest::keyClick(w.dialog->CheckBoxGuide, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.paper->Choice));
    }

    // What is chosen and typed is what OK stores, margins and guides beside it.
    void okStoresThePaper_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("typed");   // columns, rows, origin x, y, pitch x, y
        QTest::addColumn<PaperLayout>("stored");
        QTest::newRow("standard") << 0 << QStringList() << PaperLayout::standard();
        QTest::newRow("ten-up") << 1 << QStringList() << PaperLayout::tenUp();
        QTest::newRow("custom from ten-up's numbers") << 2 << QStringList() << PaperLayout::custom(2, 5, 140, 110, 910, 550);
        QTest::newRow("custom typed") << 2 << QStringList{"2", "4", "5.5", "3", "95.2", "58"}
                                      << PaperLayout::custom(2, 4, 55, 30, 952, 580);
    }
    void okStoresThePaper()
    {
        QFETCH(int, choice);
        QFETCH(QStringList, typed);
        QFETCH(PaperLayout, stored);
        Window w;
        w.open({1, 5, 10, PaperLayout::tenUp()});
        w.paper->Choice->setFocus();
        w.paper->Choice->setCurrentIndex(choice);
        if (!typed.isEmpty()) {
            retype(w.paper->Columns, typed.at(0));
            retype(w.paper->Rows, typed.at(1));
            retype(w.paper->OriginX, typed.at(2));
            retype(w.paper->OriginY, typed.at(3));
            retype(w.paper->PitchX, typed.at(4));
            retype(w.paper->PitchY, typed.at(5));
        }
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!w.dialog->isVisible());
        QVERIFY(w.presenter.infos.isEmpty());
        QCOMPARE(w.doc().printSettings(), (PrintSettings{1, 5, 10, stored}));
    }

    // A custom paper that leaves A4 is refused: OK says why and the dialog
    // stays open with nothing stored; Cancel then keeps the card's paper.
    void tooLargeIsRefused()
    {
        Window w;
        w.open({1, 0, 0, PaperLayout::tenUp()});
        w.paper->Choice->setCurrentIndex(2);
        retype(w.paper->Columns, QStringLiteral("3"));   // 14 + 3 × 91 = 287 mm
        QVERIFY(w.paper->Status->text().contains(QStringLiteral("287.0")));
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(w.dialog->isVisible());
        QCOMPARE(w.presenter.infos.size(), 1);
        QVERIFY(w.presenter.infos.first().contains(QStringLiteral("287.0 × 286.0 mm")));
        QCOMPARE(w.doc().printSettings().Layout, PaperLayout::tenUp());
        QTest::mouseClick(w.dialog->CancelBtn, Qt::LeftButton);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.doc().printSettings().Layout, PaperLayout::tenUp());
    }

    // Opening shows the card's paper: its numbers, editable for a custom one.
    void opensWithTheCardsPaper_data()
    {
        QTest::addColumn<PaperLayout>("layout");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QString>("originX");
        QTest::newRow("standard") << PaperLayout::standard() << 0 << false << QStringLiteral("0.0");
        QTest::newRow("ten-up") << PaperLayout::tenUp() << 1 << false << QStringLiteral("14.0");
        QTest::newRow("custom") << PaperLayout::custom(1, 8, 123, 4, 1000, 600) << 2 << true << QStringLiteral("12.3");
    }
    void opensWithTheCardsPaper()
    {
        QFETCH(PaperLayout, layout);
        QFETCH(int, choice);
        QFETCH(bool, editable);
        QFETCH(QString, originX);
        Window w;
        w.open({1, 0, 0, layout});
        QCOMPARE(w.paper->Choice->currentIndex(), choice);
        QCOMPARE(w.paper->OriginX->isEnabled(), editable);
        QCOMPARE(w.paper->OriginX->text(), originX);
        QCOMPARE(w.paper->paperLayout(), layout);
    }

    // A printer job on the ten-up paper is placed from the paper's corner,
    // not from the printable area: with 10 mm page margins the first cross
    // still stands at 14 mm, 11 mm (331, 260 at 600 dpi).
    void printerJobFromThePapersCorner()
    {
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm is not installed");
        Window w;
        QTemporaryDir dir;
        w.doc().setPrintSettings({1, 0, 0, PaperLayout::tenUp()});
        PdfPrinter printer(dir.filePath(QStringLiteral("sheet.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        w.form.printSheets(printer, 1);
        const QImage corner = SheetImages::shownPdfPage(
            dir.filePath(QStringLiteral("sheet.pdf")),
            QStringLiteral("-r 600 -x 300 -y 230 -W 60 -H 60 -gray -aa no -aaVector no").split(QLatin1Char(' ')));
        QCOMPARE(corner.size(), QSize(60, 60));
        const auto dark = [&](int x, int y) { return qGray(corner.pixel(x - 300, y - 230)) < 128; };
        QVERIFY(dark(331, 260));
        QVERIFY(dark(321, 260) && dark(340, 260) && !dark(319, 260) && !dark(342, 260));
        QVERIFY(dark(331, 250) && dark(331, 269) && !dark(331, 248) && !dark(331, 271));
    }

    // Offsets typed for two printers are both stored on OK, each under its
    // printer; a printer shows its stored offset when chosen.
    void calibrationPerPrinter()
    {
        Calibrations c;
        PrinterCalibration &calibration = c.calibration;
        calibration.setOffset(QStringLiteral("A"), {3, 4});
        CalibrationDialog dialog(nullptr, calibration, {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("B"), {});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.Printer->currentText(), QStringLiteral("B"));
        QCOMPARE(dialog.shownOffset(), SheetOffset{});
        retype(dialog.OffsetX, QStringLiteral("-0.5"));
        retype(dialog.OffsetY, QStringLiteral("1.2"));
        dialog.Printer->setCurrentIndex(0);
        QCOMPARE(dialog.shownOffset(), (SheetOffset{3, 4}));
        retype(dialog.OffsetX, QStringLiteral("-20.0"));
        dialog.Printer->setCurrentIndex(1);   // what was typed for B comes back
        QCOMPARE(dialog.shownOffset(), (SheetOffset{-5, 12}));
        QCOMPARE(calibration.offsetFor(QStringLiteral("B")), SheetOffset{});   // not before OK
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QCOMPARE(calibration.offsetFor(QStringLiteral("A")), (SheetOffset{-200, 4}));
        QCOMPARE(calibration.offsetFor(QStringLiteral("B")), (SheetOffset{-5, 12}));
    }

    void calibrationFields()
    {
        Calibrations c;
        PrinterCalibration &calibration = c.calibration;
        QStringList printed;
        CalibrationDialog dialog(nullptr, calibration, {QStringLiteral("A")}, QString(),
                                 [&](const QString &printer, SheetOffset offset) {
                                     printed << QStringLiteral("%1 %2 %3").arg(printer).arg(offset.x).arg(offset.y);
                                 });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (QDoubleSpinBox *field : {dialog.OffsetX, dialog.OffsetY}) {
            QCOMPARE(field->minimum(), -20.0);
            QCOMPARE(field->maximum(), 20.0);
            QCOMPARE(field->singleStep(), 0.1);
            QCOMPARE(field->decimals(), 1);
        }
        // Typing past the limit is refused; the arrow keys step by 0.1.
        retype(dialog.OffsetX, QStringLiteral("25"));
        QCOMPARE(dialog.OffsetX->value(), 2.0);
        QTest::keyClick(dialog.OffsetX, Qt::Key_Up);
        QCOMPARE(dialog.shownOffset().x, 21);
        // The page prints with the offset shown, before anything is stored.
        QTest::mouseClick(dialog.PrintPageBtn, Qt::LeftButton);
        QCOMPARE(printed, QStringList{QStringLiteral("A 21 0")});
        QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        QCOMPARE(calibration.offsetFor(QStringLiteral("A")), SheetOffset{});
    }

    void calibrationWithoutPrinters()
    {
        Calibrations c;
        PrinterCalibration &calibration = c.calibration;
        CalibrationDialog dialog(nullptr, calibration, {}, QString(), {});
        QVERIFY(!dialog.PrintPageBtn->isEnabled());
        QVERIFY(!dialog.OffsetX->isEnabled());
        QCOMPARE(dialog.Help->text(), QStringLiteral("プリンタが見つかりません。"));
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QVERIFY(c.settings.allKeys().isEmpty());
    }
};

QTEST_MAIN(TestPaperDialogs)
#include "test_paperdialogs.moc"
