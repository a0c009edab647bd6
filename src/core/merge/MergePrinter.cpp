#include "merge/MergePrinter.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "card/CardDocument.h"
#include "files/AtomicFile.h"
#include "merge/MergedSheets.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace MergePrinter {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

void addWarnings(QStringList *warnings, const MergedSheets &sheets)
{
    if (warnings)
        *warnings << sheets.problems();
}

std::optional<QString> jobProblem(const CardDocument &design, const MergePlan &plan, const SheetJob &job)
{
    if (std::optional<QString> problem = planProblem(plan))
        return problem;
    return SheetPrinter::pageProblem(design, job);
}

} // namespace

MergePlan planFor(const CardDocument &design, MergeMode mode, std::vector<int> rows, int copies)
{
    const PaperLayout &paper = design.printSettings().Layout;
    const int cells = paper.isValid() ? paper.columns * paper.rows : PaperLayout::standard().columns * PaperLayout::standard().rows;
    return MergePlan(mode, std::move(rows), copies, cells);
}

std::optional<QString> planProblem(const MergePlan &plan)
{
    if (plan.pageCount() < 1)
        return Msg::mergeNoRows();
    if (plan.pageCount() > MergePlan::MaxPages)
        return Msg::mergeTooManyPages(plan.pageCount(), MergePlan::MaxPages);
    return std::nullopt;
}

bool printPages(const CardDocument &design, const MergeList &list, const MergePlan &plan, QPainter &painter,
                QPagedPaintDevice &device, SheetOffset offset, QStringList *warnings)
{
    MergedSheets sheets(design, list, plan, device, offset);
    for (std::int64_t page = 0; page < sheets.pageCount(); ++page) {
        if (page > 0 && !device.newPage())
            return false;
        sheets.drawPage(painter, page);
    }
    addWarnings(warnings, sheets);
    return true;
}

std::optional<QByteArray> pdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
                              const QString &path, QString *error, QStringList *warnings)
{
    if (const std::optional<QString> problem = jobProblem(design, plan, job)) {
        setError(error, *problem);
        return std::nullopt;
    }
    QStringList found;
    std::optional<QByteArray> bytes = SheetPrinter::pdfBytes(job, [&](QPainter &painter, QPagedPaintDevice &device) {
        return printPages(design, list, plan, painter, device, job.offset, &found);
    }, path, error);
    if (bytes && warnings)
        *warnings << found;
    return bytes;
}

bool writePdf(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings)
{
    QStringList found;
    const std::optional<QByteArray> bytes = pdf(design, list, plan, job, path, error, &found);
    if (!bytes)
        return false;
    try {
        AtomicFile::write(path, *bytes);
    } catch (const TaveloError &e) {
        setError(error, Msg::cannotWriteOutput(path, e.message()));
        return false;
    }
    if (warnings)
        *warnings << found;
    return true;
}

bool writePng(const CardDocument &design, const MergeList &list, const MergePlan &plan, const SheetJob &job,
              const QString &path, QString *error, QStringList *warnings)
{
    if (const std::optional<QString> problem = jobProblem(design, plan, job)) {
        setError(error, *problem);
        return false;
    }
    QImage page = SheetPrinter::blankPngPage(job, error);
    if (page.isNull())
        return false;
    const QImage blank = page;
    MergedSheets sheets(design, list, plan, page, job.offset);
    for (std::int64_t n = 0; n < sheets.pageCount(); ++n) {
        page = blank;
        page.detach();
        {
            QPainter painter(&page);
            sheets.drawPage(painter, n);
        }
        if (!SheetPrinter::savePngPage(page, SheetPrinter::pngPageName(path, int(n + 1)), error)) {
            addWarnings(warnings, sheets);
            return false;
        }
    }
    addWarnings(warnings, sheets);
    return true;
}

} // namespace MergePrinter
