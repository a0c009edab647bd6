#pragma once
// Print jobs of the card sheet: one sheet per page, as many pages as copies,
// on a printer, into a PDF file or into PNG files.
#include "card/PrintSettings.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetLayout.h"

#include <QPageSize>
#include <QString>

#include <QByteArray>
#include <QImage>

#include <functional>
#include <optional>

class CardDocument;
class QPagedPaintDevice;
class QPainter;
class QPdfWriter;

// The sides a job prints: a page of fronts, then (for both) the page of
// backs behind it, for every copy. Back pages are turned over as turn says
// and shifted by backOffset besides the job's offset.
struct SheetSides {
    bool front = true;
    bool back = false;
    SheetTurn turn = SheetTurn::LongEdge;
    SheetOffset backOffset;

    static SheetSides of(DuplexMode mode, SheetOffset backOffset = {});
    bool twoSided() const { return front && back; }
    // The pages of one copy.
    int pagesPerCopy() const { return int(front) + int(back); }
    bool operator==(const SheetSides &o) const
    {
        return front == o.front && back == o.back && turn == o.turn && backOffset == o.backOffset;
    }
};

struct SheetJob {
    int copies = 1;
    int dpi = 600;   // files only; a printer has its own
    QPageSize pageSize = QPageSize(QPageSize::A4);
    SheetOffset offset;   // shifts the whole sheet
    SheetSides sides = {};   // the fronts only unless the job says otherwise
};

namespace SheetPrinter {

// Prints copies sheets with a painter already open on device (a printer or a
// PDF writer), whose first page is the current one: a new page between
// sheets, none after the last. The sheet is laid out at the device's resolution. Returns
// false when the device refused a new page (the job should then be aborted).
// A layout other than the standard one is measured from the paper's corner:
// the painter's origin must be there (a printer printing its full page).
bool printSheets(const CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies,
                 SheetOffset offset = {});
// The same for the sides given: copies × sides.pagesPerCopy() pages.
bool printSheets(const CardDocument &doc, QPainter &painter, QPagedPaintDevice &device, int copies, SheetOffset offset,
                 const SheetSides &sides);

// How a back page is turned over on device (its page, and where the
// painter's origin stands on it), for a job of sides.
BackSheet backSheetOn(const QPaintDevice &device, const SheetSides &sides);

// The face of the card a page of the job prints: page 0 is the first.
SheetFace pageFace(const QPaintDevice &device, const SheetSides &sides, int page);

// The sides a job prints of doc: a card without a back prints its fronts
// only; nothing (with *problem set) when only backs are asked for and the
// card has none.
std::optional<SheetSides> sidesFor(const CardDocument &doc, const SheetSides &asked, QString *problem);

// Why the document's layout cannot be printed on a paper of pageMm, or
// nothing when it can.
std::optional<QString> layoutProblem(const CardDocument &doc, const QSizeF &pageMm);

// Both file jobs need at least one copy; fewer is reported as a failure.

// Writes job.copies pages (times the job's sides) to a PDF file at job.dpi, the page's top-left
// corner as origin. The file is replaced only when complete; a device or a
// pipe is written to as a stream (AtomicFile::write). On failure *error says
// why and false is returned.
bool writePdf(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error);
// The bytes writePdf writes; nothing, with *error naming path, on failure.
std::optional<QByteArray> pdf(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error);

// Writes job.copies PNG files (times the job's sides, in page order) at
// job.dpi on a white page: "card.png" gives "card-1.png", "card-2.png", … each a regular file (never a device or a
// pipe). On failure *error says why and false is returned; the pages written
// before stay.
bool writePng(const CardDocument &doc, const SheetJob &job, const QString &path, QString *error);

// The name of page (from 1) of a PNG job written to path.
QString pngPageName(const QString &path, int page);

// A file job's output, as far as the captions' layout differs by it.
enum class FileOutput { Pdf, Png };
// Lays the captions of a file job's sheets out now, on this thread, for the
// job made here later (same card, job and output) to find them laid out:
// for a thread that would otherwise wait, as for the card's pictures still
// loading on the other cores. Nothing for a job that cannot be made.
void layOutCaptionsAhead(const CardDocument &doc, const SheetJob &job, FileOutput output);

// The pieces the file jobs are made of, for jobs of other pages (merge
// printing).

// What keeps a file job from being made on the document's layout and the
// job's paper (the copies aside), or nothing.
std::optional<QString> pageProblem(const CardDocument &doc, const SheetJob &job);

// A PDF at job.dpi on job.pageSize drawn in memory by draw (a painter open
// on the writer at the first page; false when the writer refused a page);
// nothing, with *error naming path, when the writer failed.
using PdfDrawing = std::function<bool(QPainter &painter, QPagedPaintDevice &device)>;
// A PDF writer set to job's page and resolution, as pdfBytes draws on it.
void setUpPdfWriter(QPdfWriter &writer, const SheetJob &job);
std::optional<QByteArray> pdfBytes(const SheetJob &job, const PdfDrawing &draw, const QString &path, QString *error);

// A white page of job.pageSize at job.dpi; null with *error set when it is too large.
QImage blankPngPage(const SheetJob &job, QString *error);
// The page encoded as PNG and written to file (replacing it whole).
bool savePngPage(const QImage &page, const QString &file, QString *error);

} // namespace SheetPrinter
