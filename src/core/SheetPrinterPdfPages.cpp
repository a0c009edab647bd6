#include "SheetPrinterPdfPages.h"

#include "PdfPictureStreams.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>

namespace SheetPrinterPdfPages {
namespace {

// Far beyond any real job.
constexpr int MaxPages = 1'000'000;

std::optional<QByteArray> rewritten(const QByteArray &pdf, int pages, PdfPictureStreams *pictures)
{
    if (pages < 1 || pages > MaxPages)
        return std::nullopt;
    if (pages == 1 && (!pictures || pictures->empty()))
        return pdf;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.setAttemptRecovery(false);
        document.processMemoryFile("sheet", pdf.constData(), size_t(pdf.size()));
        QPDFPageDocumentHelper pageTree(document);
        const std::vector<QPDFPageObjectHelper> drawn = pageTree.getAllPages();
        if (drawn.size() != 1)
            return std::nullopt;
        if (pictures && !pictures->empty() && !pictures->replaceStandIns(document))
            return std::nullopt;
        // A page of the document added again goes in as a shallow copy: a
        // page object of its own that refers to the same content and resources.
        for (int n = 1; n < pages; ++n)
            pageTree.addPage(drawn.front(), false);
        QPDFWriter writer(document);
        writer.setOutputMemory();
        // The drawn streams are written as the PDF writer compressed them.
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.write();
        const std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char *>(bytes->getBuffer()), qsizetype(bytes->getSize()));
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages)
{
    return rewritten(pdf, pages, nullptr);
}

std::optional<QByteArray> finishedSheet(const QByteArray &pdf, int pages, PdfPictureStreams &pictures)
{
    return rewritten(pdf, pages, &pictures);
}

} // namespace SheetPrinterPdfPages
