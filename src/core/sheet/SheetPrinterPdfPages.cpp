#include "sheet/SheetPrinterPdfPages.h"

#include "sheet/PdfPictureStreams.h"

#include <qpdf/Pl_Function.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <memory>

namespace SheetPrinterPdfPages {
namespace {

// Far beyond any real job.
constexpr int MaxPages = 1'000'000;
// About what each further page adds to the file.
constexpr qsizetype PageObjectBytes = 256;

// A PDF of pdf's bytes, read without repairs.
void readInto(QPDF &document, const char *name, const QByteArray &pdf)
{
    document.setSuppressWarnings(true);
    document.setAttemptRecovery(false);
    document.processMemoryFile(name, pdf.constData(), size_t(pdf.size()));
}

// The document's pages as they stand, then copies − 1 times again in the
// same order. A page of the document added again goes in as a shallow copy:
// a page object of its own that refers to the same content and resources.
void repeatPages(QPDFPageDocumentHelper &pageTree, int copies)
{
    const std::vector<QPDFPageObjectHelper> once = pageTree.getAllPages();
    for (int n = 1; n < copies; ++n) {
        for (const QPDFPageObjectHelper &page : once)
            pageTree.addPage(page, false);
    }
}

// Written straight into memory reserved for the whole file (expected bytes):
// the pictures are most of it and need not be copied again. The drawn
// streams are written as the PDF writer compressed them.
QByteArray writtenToMemory(QPDF &document, qsizetype expected)
{
    QByteArray written;
    written.reserve(expected);
    Pl_Function output("sheet", nullptr, [&written](const unsigned char *data, size_t length) {
        written.append(reinterpret_cast<const char *>(data), qsizetype(length));
    });
    QPDFWriter writer(document);
    writer.setOutputPipeline(&output);
    writer.setStreamDataMode(qpdf_s_preserve);
    writer.write();
    return written;
}

std::optional<QByteArray> rewritten(const QByteArray &pdf, int pages, PdfPictureStreams *pictures)
{
    if (pages < 1 || pages > MaxPages)
        return std::nullopt;
    if (pages == 1 && (!pictures || pictures->empty()))
        return pdf;
    try {
        QPDF document;
        readInto(document, "sheet", pdf);
        QPDFPageDocumentHelper pageTree(document);
        if (pageTree.getAllPages().size() != 1)
            return std::nullopt;
        if (pictures && !pictures->empty() && !pictures->replaceStandIns(document))
            return std::nullopt;
        repeatPages(pageTree, pages);
        return writtenToMemory(document, pdf.size() + (pictures ? pictures->compressedBytes() : 0)
                                             + qsizetype(pages) * PageObjectBytes);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QByteArray> alternated(const QByteArray &front, const QByteArray &back, int copies)
{
    if (copies < 1 || copies > MaxPages / 2)
        return std::nullopt;
    try {
        QPDF document;
        readInto(document, "front", front);
        QPDF backDocument;
        readInto(backDocument, "back", back);
        QPDFPageDocumentHelper pageTree(document);
        const std::vector<QPDFPageObjectHelper> backPages = QPDFPageDocumentHelper(backDocument).getAllPages();
        if (pageTree.getAllPages().size() != 1 || backPages.size() != 1)
            return std::nullopt;
        // The back's page comes in with everything it refers to.
        pageTree.addPage(backPages.front(), false);
        repeatPages(pageTree, copies);
        return writtenToMemory(document, front.size() + back.size() + qsizetype(2) * copies * PageObjectBytes);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

std::optional<QByteArray> repeatOnlyPage(const QByteArray &pdf, int pages)
{
    return rewritten(pdf, pages, nullptr);
}

std::optional<QByteArray> finishedSheet(const QByteArray &pdf, int pages, PdfPictureStreams &pictures)
{
    return rewritten(pdf, pages, &pictures);
}

} // namespace SheetPrinterPdfPages
