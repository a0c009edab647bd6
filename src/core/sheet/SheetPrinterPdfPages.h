#pragma once
// Every page of a PDF job shows the same sheet. Instead of drawing it again
// for each copy, the one drawn page is repeated: the further pages, made by
// qpdf, share its content and resources, so a job of many copies costs little
// more than one, in time and in bytes.
#include <QByteArray>

#include <optional>

class PdfCellForms;
class PdfPictureStreams;

namespace SheetPrinterPdfPages {

// The PDF with pages pages that all show its only page. Nothing when the
// PDF cannot be read, has more than one page, or pages is below 1.
std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages);

// The same, with the pictures' own streams put in place of the stand-ins the
// page was drawn with, and the outlines' forms in place of theirs. Nothing
// also when a stand-in is missing.
std::optional<QByteArray> finishedSheet(const QByteArray &pdf, int pages, PdfPictureStreams &pictures,
                                        const PdfCellForms *outlines = nullptr);

// A two-sided job: the front's only page, then the back's, copies times.
// Nothing when either PDF cannot be read or has more than one page.
std::optional<QByteArray> alternated(const QByteArray &front, const QByteArray &back, int copies);

// The pages of first, then those of second: one job's pages drawn in two
// parts. A picture both embed alike (the same stored samples, dictionary
// and mask) is embedded once. Nothing when either PDF cannot be read or has
// no page. With pictures, each picture's stream is put in place of its
// stand-in (nothing also when a stand-in is missing).
std::optional<QByteArray> joined(const QByteArray &first, const QByteArray &second,
                                 PdfPictureStreams *pictures = nullptr);

} // namespace SheetPrinterPdfPages
