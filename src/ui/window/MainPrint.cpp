// Printing: the print settings dialog, the preview and the print command.
#include "window/Main.h"

#include "base/MessageSink.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "dialogs/CalibrationDialog.h"
#include "dialogs/PrinterChoice.h"
#include "sheet/PrinterCalibration.h"
#include "sheet/SheetPrinter.h"
#include "window/PrintOp.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

void TForm1::MenuPrintOptionClick()
{
    PrintSet->exec();
}

void TForm1::MenuCalibrationClick()
{
    PrinterCalibration calibration;
    CalibrationDialog dialog(this, calibration, QPrinterInfo::availablePrinterNames(),
                             QPrinterInfo::defaultPrinterName(),
                             [this](const QString &printer, SheetOffset offset, SheetOffset backOffset) {
                                 printCalibrationPage(m_doc, printer, offset, backOffset);
                             });
    dialog.exec();
}

void TForm1::MenuPrintPreviewClick()
{
    QPrinter printer(QPrinter::HighResolution);
    // Layouts other than the standard one are measured from the paper's corner.
    printer.setFullPage(!m_doc.printSettings().Layout.isStandard());
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) {
        QPainter painter(p);
        const std::optional<SheetSides> sides =
            SheetPrinter::sidesFor(m_doc, SheetSides::of(m_doc.printSettings().Duplex), nullptr);
        SheetPrinter::printSheets(m_doc, painter, *p, 1, {}, sides.value_or(SheetSides()));
    });
    preview.exec();
}

void TForm1::MenuPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter(printer, this))
        return;
    printSheets(printer, printer.copyCount());
}

void TForm1::printSheets(QPrinter &printer, int copies)
{
    // The sheets are the copies: the printer must not multiply them again.
    printer.setCopyCount(1);
    if (copies <= 0)
        return;
    // The card's duplex setting; the back offset is the printer's.
    QString problem;
    const std::optional<SheetSides> sides = SheetPrinter::sidesFor(
        m_doc, SheetSides::of(m_doc.printSettings().Duplex, PrinterCalibration().backOffsetFor(printer.printerName())),
        &problem);
    if (!sides) {
        if (MessageSink *sink = m_doc.messageSink())
            sink->information(problem, MsgButton::Ok);
        return;
    }
    printer.setDuplex(!sides->twoSided()                       ? QPrinter::DuplexNone
                      : sides->turn == SheetTurn::ShortEdge ? QPrinter::DuplexShortSide
                                                            : QPrinter::DuplexLongSide);
    const SheetOffset offset = readyPrinterFor(m_doc, printer);
    // The window takes no input while the job runs, so the card stays as it
    // was when the job began.
    setEnabled(false);
    struct Reenable {
        QWidget *w;
        ~Reenable() { w->setEnabled(true); }
    } reenable{this};
    runPrinterJob(printer, [&](QPainter &painter) {
        return SheetPrinter::printSheets(m_doc, painter, printer, copies, offset, *sides);
    });
}
