// The paper choice of the print settings dialog and the print position
// calibration dialog, driven offscreen.
#include "SheetImages.h"
#include "UiTestSupport.h"
#include "dialogs/CalibrationDialog.h"
#include "dialogs/PaperLayoutBox.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

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

    // A custom paper that leaves A4 is refused: OK says why and the dialog
    // stays open. What fits is what OK stores, margins and guides beside it.
    void okStoresThePaper()
    {
        Window w;
        w.open({1, 5, 10, PaperLayout::tenUp()});
        w.paper->Choice->setFocus();
        w.paper->Choice->setCurrentIndex(2);
        retype(w.paper->Columns, QStringLiteral("3")), retype(w.paper->Rows, QStringLiteral("4"));
        retype(w.paper->OriginX, QStringLiteral("5.5")), retype(w.paper->OriginY, QStringLiteral("3"));
        retype(w.paper->PitchX, QStringLiteral("95.2")), retype(w.paper->PitchY, QStringLiteral("58"));
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);   // 5.5 + 2 × 95.2 + 91 mm wide
        QVERIFY(w.dialog->isVisible());
        QCOMPARE(w.presenter.infos.size(), 1);
        QVERIFY(w.presenter.infos.first().contains(QStringLiteral("(286.9 × 232.0 mm)")));
        retype(w.paper->Columns, QStringLiteral("2"));
        QTest::mouseClick(w.dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.doc().printSettings(), (PrintSettings{1, 5, 10, PaperLayout::custom(2, 4, 55, 30, 952, 580)}));
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

    // The printer's offset is shown, typing past the limit is refused, the
    // test page prints what is shown and OK stores it. Without printers OK
    // stores nothing.
    void calibration()
    {
        Calibrations c;
        c.calibration.setOffset(QStringLiteral("A"), {3, 4});
        QStringList printed;
        CalibrationDialog dialog(nullptr, c.calibration, {QStringLiteral("A")}, QString(),
                                 [&](const QString &printer, SheetOffset offset, SheetOffset back) {
                                     printed << QStringLiteral("%1 %2 %3 %4 %5")
                                                    .arg(printer)
                                                    .arg(offset.x)
                                                    .arg(offset.y)
                                                    .arg(back.x)
                                                    .arg(back.y);
                                 });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.shownOffset(), (SheetOffset{3, 4}));
        retype(dialog.OffsetX, QStringLiteral("25"));
        QTest::keyClick(dialog.OffsetX, Qt::Key_Up);
        retype(dialog.BackOffsetY, QStringLiteral("-1.5"));
        QTest::mouseClick(dialog.PrintPageBtn, Qt::LeftButton);
        // The page's back prints with the back-side offset typed, not yet stored.
        QCOMPARE(printed, QStringList{QStringLiteral("A 21 4 0 -15")});
        // The whole explanation shows, above the button, inside the dialog.
        QVERIFY(dialog.Help->height() >= dialog.Help->heightForWidth(dialog.Help->width()));
        QVERIFY(dialog.Help->geometry().bottom() < dialog.PrintPageBtn->geometry().top());
        QVERIFY(dialog.rect().contains(dialog.PrintPageBtn->geometry()));
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QCOMPARE(c.calibration.offsetFor(QStringLiteral("A")), (SheetOffset{21, 4}));
        QCOMPARE(c.calibration.backOffsetFor(QStringLiteral("A")), (SheetOffset{0, -15}));

        Calibrations empty;
        CalibrationDialog none(nullptr, empty.calibration, {}, QString(), {});
        QVERIFY(!none.PrintPageBtn->isEnabled());
        QCOMPARE(none.Help->text(), QStringLiteral("プリンタが見つかりません。"));
        QTest::mouseClick(none.OKBtn, Qt::LeftButton);
        QVERIFY(empty.settings.allKeys().isEmpty());
    }
};

QTEST_MAIN(TestPaperDialogs)
#include "test_paperdialogs.moc"
