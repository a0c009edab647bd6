#include "dialogs/PrinterChoice.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "sheet/PrinterCalibration.h"
#include "sheet/SheetPrinter.h"

#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

bool choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    return dialog.exec() == QDialog::Accepted;
}

SheetOffset readyPrinterFor(const CardDocument &doc, QPrinter &printer)
{
    if (const std::optional<QString> problem =
            SheetPrinter::layoutProblem(doc, printer.pageLayout().fullRect(QPageLayout::Millimeter).size()))
        throw TaveloError(*problem);
    // Layouts other than the standard one are measured from the paper's
    // corner; so is every sheet of a PDF file, which has no unprintable
    // border: the file then puts the cards where tavelo-batch puts them.
    printer.setFullPage(!doc.printSettings().Layout.isStandard() || printer.outputFormat() == QPrinter::PdfFormat);
    // A printer's own calibration; a file printed through the dialog has none.
    return printer.outputFormat() == QPrinter::NativeFormat ? PrinterCalibration().offsetFor(printer.printerName())
                                                            : SheetOffset{};
}

namespace {

// Stops a job the printer has begun: nothing of it is printed, and a job
// printed to a file leaves no file behind.
void abandon(QPrinter &printer, QPainter &painter)
{
    printer.abort();
    painter.end();
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        QFile::remove(printer.outputFileName());
}

} // namespace

void runPrinterJob(QPrinter &printer, const std::function<bool(QPainter &)> &draw)
{
    QPainter painter;
    if (!painter.begin(&printer))
        throw TaveloError(Msg::printerError());
    bool drawn = false;
    try {
        drawn = draw(painter);
    } catch (...) {
        // An error that stops the job (memory ran out) leaves nothing half printed.
        abandon(printer, painter);
        throw;
    }
    if (!drawn) {
        abandon(printer, painter);
        throw TaveloError(Msg::printerError());
    }
    if (!painter.end())
        throw TaveloError(Msg::printerError());
}
