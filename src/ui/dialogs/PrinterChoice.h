#pragma once
// A print command's dealings with the printer: the system's print dialog as
// every command runs it, the printer readied for the card's paper, and the
// job run so that any failure of the printer is an error.
#include "sheet/SheetLayout.h"

#include <functional>

class CardDocument;
class QPainter;
class QPrinter;
class QWidget;

// The printer and the number of copies, nothing else (a job is whole sheets,
// so no page range, selection, current page or collation). True when the user
// chose to print; printer holds the choice.
bool choosePrinter(QPrinter &printer, QWidget *parent);

// Sets printer up for the card's paper layout and gives the shift of the
// printer's own calibration (none for a file). Paper the layout does not fit
// on is an error.
SheetOffset readyPrinterFor(const CardDocument &doc, QPrinter &printer);

// Paints on printer with draw; a printer that cannot start, a draw that
// fails (the job is aborted) or a job that cannot end is an error.
void runPrinterJob(QPrinter &printer, const std::function<bool(QPainter &)> &draw);
