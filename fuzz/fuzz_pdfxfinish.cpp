// The print-shop finishing of a drawn page: any content stream, with the
// colour spaces Qt's PDF writer names, is finished without a crash into a
// file that reads back, with the page's boxes, and with no RGB colour
// operator left in its content.
#include "FuzzCheck.h"
#include "printshop/PdfxFinish.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <string>

namespace {

QByteArray pageWith(const std::string &content)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /ColorSpace << /CSp /DeviceRGB /CSpg /DeviceGray "
                                                         "/PCSp [/Pattern /DeviceRGB] >> >>");
    QPDFObjectHandle page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 275 173] >>");
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
    Pl_Buffer buffer("fuzz");
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&buffer);
    writer.write();
    const std::unique_ptr<Buffer> bytes(buffer.getBuffer());
    return QByteArray(reinterpret_cast<const char *>(bytes->getBuffer()), qsizetype(bytes->getSize()));
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray drawn = pageWith(std::string(reinterpret_cast<const char *>(data), size));
    const PrintShopLayout layout{PrintShopOptions()};
    QStringList problems;
    QString error;
    const std::optional<QByteArray> finished = PdfxFinish::finish(
        drawn, layout, {QStringLiteral("fuzz"), QDateTime::fromSecsSinceEpoch(0, Qt::UTC)}, &problems, &error);
    FUZZ_CHECK(finished.has_value());
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("finished", finished->constData(), size_t(finished->size()));
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    FUZZ_CHECK(pages.size() == 1);
    FUZZ_CHECK(pages.front().getObjectHandle().getKey("/TrimBox").isArray());
    return 0;
}
