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
        // Written straight into memory reserved for the whole file: the
        // pictures are most of it and need not be copied again.
        QByteArray written;
        written.reserve(pdf.size() + (pictures ? pictures->compressedBytes() : 0) + qsizetype(pages) * PageObjectBytes);
        Pl_Function output("sheet", nullptr, [&written](const unsigned char *data, size_t length) {
            written.append(reinterpret_cast<const char *>(data), qsizetype(length));
        });
        QPDFWriter writer(document);
        writer.setOutputPipeline(&output);
        // The drawn streams are written as the PDF writer compressed them.
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.write();
        return written;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

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

} // namespace

std::optional<QByteArray> alternated(const QByteArray &front, const QByteArray &back, int copies)
{
    if (copies < 1 || copies > MaxPages / 2)
        return std::nullopt;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.setAttemptRecovery(false);
        document.processMemoryFile("front", front.constData(), size_t(front.size()));
        QPDF backDocument;
        backDocument.setSuppressWarnings(true);
        backDocument.setAttemptRecovery(false);
        backDocument.processMemoryFile("back", back.constData(), size_t(back.size()));
        QPDFPageDocumentHelper pageTree(document);
        const std::vector<QPDFPageObjectHelper> frontPages = pageTree.getAllPages();
        const std::vector<QPDFPageObjectHelper> backPages = QPDFPageDocumentHelper(backDocument).getAllPages();
        if (frontPages.size() != 1 || backPages.size() != 1)
            return std::nullopt;
        // The back's page comes in with everything it refers to; further
        // copies of either page share their content and resources.
        pageTree.addPage(backPages.front(), false);
        const QPDFPageObjectHelper backPage = pageTree.getAllPages().back();
        for (int n = 1; n < copies; ++n) {
            pageTree.addPage(frontPages.front(), false);
            pageTree.addPage(backPage, false);
        }
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
