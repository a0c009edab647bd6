#pragma once
// Every page of a PDF job shows the same sheet. Instead of drawing it again
// for each copy, the one drawn page is repeated: the further pages refer to
// its content and resources, so a job of many copies costs little more than
// one, in time and in bytes.
#include <QByteArray>

#include <optional>

namespace SheetPrinterPdfPages {

// The PDF with pages pages that all show its only page. The new pages are
// added as an incremental update, so the bytes of the PDF stay as they are.
// Nothing when the PDF is not laid out as the PDF writer makes it (a single
// page, one cross-reference table) or pages is below 1.
std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages);

} // namespace SheetPrinterPdfPages
