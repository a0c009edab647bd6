#pragma once
// What the pages of a PDF draw: each page's images and its content,
// uncompressed, as qpdf reads them, and a PDF drawn in memory. A test that
// includes this links qpdf.
#include <QBuffer>
#include <QByteArray>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

struct PdfPage {
    QByteArray content;
    std::size_t images = 0;
};

// The pages of pdf; none when it cannot be read.
inline std::vector<PdfPage> pdfPages(const QByteArray &pdf)
{
    std::vector<PdfPage> pages;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("pdf", pdf.constData(), size_t(pdf.size()));
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(document).getAllPages()) {
            Pl_Buffer buffer("content");
            page.pipeContents(&buffer);
            const std::shared_ptr<Buffer> bytes = buffer.getBufferSharedPointer();
            pages.push_back({QByteArray(reinterpret_cast<const char *>(bytes->getBuffer()), qsizetype(bytes->getSize())),
                             page.getImages().size()});
        }
    } catch (const std::exception &) {
        return {};
    }
    return pages;
}

// A PDF of one page of size at 600 dpi, drawn by draw in memory, the page's
// top-left corner at (0, 0).
inline QByteArray drawnPdf(const std::function<void(QPainter &, QPdfWriter &)> &draw,
                           const QPageSize &size = QPageSize(QPageSize::A4))
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setPageSize(size);
        writer.setPageMargins(QMarginsF());
        QPainter painter(&writer);
        draw(painter, writer);
    }
    return pdf;
}
