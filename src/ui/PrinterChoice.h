#pragma once
// The system's print dialog as every print command runs it: the printer and
// the number of copies, nothing else (a job is whole sheets, so no page range,
// selection, current page or collation).
class QPrinter;
class QWidget;

// True when the user chose to print; printer holds the choice.
bool choosePrinter(QPrinter &printer, QWidget *parent);
