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
#include <QLabel>
#include <QPushButton>

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
    // The paper choice lies below the margin controls, which keep their
    // places, and follows them in the tab order.
    void printSettingsGrowsDownward()
    {
        Window w;
        w.open({1, 0, 0});
        QCOMPARE(w.dialog->width(), 378);
        QCOMPARE(w.dialog->OKBtn->geometry(), QRect(295, 8, 75, 25));
        QVERIFY(w.paper->geometry().top() >= 166 && w.dialog->rect().contains(w.paper->geometry()));
        QCOMPARE(w.paper->Choice->itemText(1), QStringLiteral("10面 (A4 2×5 中央)"));
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
            retype(w.paper->Columns, typed.at(0)), retype(w.paper->Rows, typed.at(1));
            retype(w.paper->OriginX, typed.at(2)), retype(w.paper->OriginY, typed.at(3));
            retype(w.paper->PitchX, typed.at(4)), retype(w.paper->PitchY, typed.at(5));
        }
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!w.dialog->isVisible() && w.presenter.infos.isEmpty());
        QCOMPARE(w.doc().printSettings(), (PrintSettings{1, 5, 10, stored}));
    }

    // A custom paper that leaves A4 is refused: OK says why and the dialog
    // stays open; Cancel then keeps the card's paper.
    void tooLargeIsRefused()
    {
        Window w;
        w.open({1, 0, 0, PaperLayout::tenUp()});
        w.paper->Choice->setCurrentIndex(2);
        retype(w.paper->Columns, QStringLiteral("3"));   // 14 + 3 × 91 = 287 mm
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(w.dialog->isVisible());
        QCOMPARE(w.presenter.infos.size(), 1);
        QVERIFY(w.presenter.infos.first().contains(QStringLiteral("287.0 × 286.0 mm")));
        QTest::mouseClick(w.dialog->CancelBtn, Qt::LeftButton);
        QCOMPARE(w.doc().printSettings().Layout, PaperLayout::tenUp());
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
        const auto dark = [&](int x, int y) { return qGray(corner.pixel(x - 300, y - 230)) < 128; };
        QVERIFY(dark(321, 260) && dark(340, 260) && !dark(319, 260) && !dark(342, 260));
        QVERIFY(dark(331, 250) && dark(331, 269) && !dark(331, 248) && !dark(331, 271));
    }

    // Offsets typed for two printers are kept while switching and both
    // stored on OK, each under its printer.
    void calibrationPerPrinter()
    {
        Calibrations c;
        c.calibration.setOffset(QStringLiteral("A"), {3, 4});
        CalibrationDialog dialog(nullptr, c.calibration, {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("B"), {});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        retype(dialog.OffsetX, QStringLiteral("-0.5"));
        retype(dialog.OffsetY, QStringLiteral("1.2"));
        dialog.Printer->setCurrentIndex(0);
        QCOMPARE(dialog.shownOffset(), (SheetOffset{3, 4}));
        retype(dialog.OffsetX, QStringLiteral("-20.0"));
        dialog.Printer->setCurrentIndex(1);
        QCOMPARE(dialog.shownOffset(), (SheetOffset{-5, 12}));
        QCOMPARE(c.calibration.offsetFor(QStringLiteral("B")), SheetOffset{});
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QCOMPARE(c.calibration.offsetFor(QStringLiteral("A")), (SheetOffset{-200, 4}));
        QCOMPARE(c.calibration.offsetFor(QStringLiteral("B")), (SheetOffset{-5, 12}));
    }

    // Past the limit is refused; the test page prints the offset shown, and
    // Cancel stores nothing. Without printers OK stores nothing either.
    void calibrationFields()
    {
        Calibrations c;
        QStringList printed;
        CalibrationDialog dialog(nullptr, c.calibration, {QStringLiteral("A")}, QString(),
                                 [&](const QString &printer, SheetOffset offset) {
                                     printed << QStringLiteral("%1 %2 %3").arg(printer).arg(offset.x).arg(offset.y);
                                 });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        retype(dialog.OffsetX, QStringLiteral("25"));
        QTest::keyClick(dialog.OffsetX, Qt::Key_Up);
        QTest::mouseClick(dialog.PrintPageBtn, Qt::LeftButton);
        QCOMPARE(printed, QStringList{QStringLiteral("A 21 0")});
        QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        QCOMPARE(c.calibration.offsetFor(QStringLiteral("A")), SheetOffset{});

        CalibrationDialog none(nullptr, c.calibration, {}, QString(), {});
        QVERIFY(!none.PrintPageBtn->isEnabled());
        QCOMPARE(none.Help->text(), QStringLiteral("プリンタが見つかりません。"));
        QTest::mouseClick(none.OKBtn, Qt::LeftButton);
        QVERIFY(c.settings.allKeys().isEmpty());
    }
};

QTEST_MAIN(TestPaperDialogs)
#include "test_paperdialogs.moc"
