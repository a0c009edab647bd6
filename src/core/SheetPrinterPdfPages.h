#pragma once
// Every page of a PDF job shows the same sheet. Instead of drawing it again
// for each copy, the one drawn page is repeated: the further pages, made by
// qpdf, share its content and resources, so a job of many copies costs little
// more than one, in time and in bytes.
#include <QByteArray>

#include <optional>

namespace SheetPrinterPdfPages {

// The PDF with pages pages that all show its only page. Nothing when the
// PDF cannot be read, has more than one page, or pages is below 1.
std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages);

} // namespace SheetPrinterPdfPages
