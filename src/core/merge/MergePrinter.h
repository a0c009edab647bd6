#pragma once
// Merge print jobs: the pages of a merge plan on a printer, into a PDF file
// or into PNG files, as the card sheet's jobs print (SheetPrinter).
#include "merge/MergePlan.h"
#include "sheet/SheetPrinter.h"

#include <QStringList>

class CardDocument;
class MergeList;
class QPagedPaintDevice;
class QPainter;

namespace MergePrinter {

// The plan of a job: rows (from 0) in mode, copies each, on the sheets of
// the design's paper layout.
MergePlan planFor(const CardDocument &design, MergeMode mode, std::vector<int> rows, int copies);

// Why the plan cannot be printed (no pages, too many), or nothing.
std::optional<QString> planProblem(const MergePlan &plan);

// Every page of the plan with a painter already open on device, whose first
// page is the current one; false when the device refused a new page.
// *warnings gets a message for each merged picture that could not be loaded
// and each item a row's values left off or cut (MergedSheets::problems).
// With sides, each page of fronts is followed by the page of backs of the
// same rows, each back behind its own front.
bool printPages(const CardDocument &design, const MergeList &list, const MergePlan &plan, QPainter &painter,
                QPagedPaintDevice &device, SheetOffset offset, QStringList *warnings, const SheetSides &sides = {});

// The job's pages into one PDF at job.dpi (job.copies is not used: the plan
// holds the copies), replaced only when complete (a device or a pipe is
// written to as a stream); false with *error on failure.
bool writePdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings);
// The bytes writePdf writes; nothing, with *error naming path, on failure.
std::optional<QByteArray> pdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
                              const QString &path, QString *error, QStringList *warnings);

// The same drawn in two halves at once, on two threads, and joined; nothing
// when the halves cannot be joined (pdf then draws the pages in one pass),
// or with *error when the writer failed, and for a plan of one page or of
// more than MaxPagesInHalves pages (both sides counted).
constexpr std::int64_t MaxPagesInHalves = 256;
std::optional<QByteArray> pdfInHalves(const CardDocument &design, const MergeList &list, const MergePlan &plan,
                                      const SheetJob &job, const QString &path, QString *error, QStringList *warnings);

// The job's pages into PNG files named as SheetPrinter::writePng names them.
bool writePng(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings);

} // namespace MergePrinter
