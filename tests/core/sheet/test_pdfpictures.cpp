// The pictures of a PDF job, compressed beside the drawing and put in place
// of the stand-ins the sheet was drawn with.
#include "PdfContents.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "WrittenSheets.h"
#include "card/CardDocument.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetPrinter.h"
#include "sheet/SheetPrinterPdfPages.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using SheetImages::noise;

namespace {

struct Embedded {
    QSize size;
    QByteArray samples;   // as a PDF reader decodes them
    bool masked = false;
};

std::vector<Embedded> embeddedImages(const QByteArray &pdf)
{
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("job", pdf.constData(), size_t(pdf.size()));
    std::vector<Embedded> images;
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(document).getAllPages()) {
        for (auto &[name, image] : page.getImages()) {
            QPDFObjectHandle dict = image.getDict();
            const auto data = image.getStreamData(qpdf_dl_generalized);
            images.push_back({QSize(int(dict.getKey("/Width").getIntValue()), int(dict.getKey("/Height").getIntValue())),
                              QByteArray(reinterpret_cast<const char *>(data->getBuffer()), qsizetype(data->getSize())),
                              dict.hasKey("/SMask") || dict.hasKey("/Mask")});
        }
        break;   // the further pages share the first one's images
    }
    return images;
}

QByteArray rgbSamples(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    QByteArray samples;
    for (int y = 0; y < rgb.height(); ++y)
        samples.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
    return samples;
}

// Printed at their own size at 300 dpi (64 x 48 screen pixels: 200 x 150), so
// embedded as they are; an enlarged picture may be resampled a pixel apart.
const QImage First = noise({200, 150}, 1);
const QImage Second = noise({150, 200}, 2);
const QImage Translucent = noise({150, 150}, 3, QImage::Format_ARGB32);

struct Box {
    BoxBounds bounds;
    QImage picture;
};

const SheetJob Job{3, 300, QPageSize(QPageSize::A4), {}};

} // namespace

Q_DECLARE_METATYPE(QList<Box>)

class TestPdfPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesHoldThePictures_data()
    {
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<QList<QImage>>("embedded");
        QTest::newRow("opaque") << QList<Box>{{{10, 10, 64, 48}, First}} << QList<QImage>{First};
        QTest::newRow("one picture in two boxes")
            << QList<Box>{{{10, 10, 64, 48}, First}, {{200, 10, 64, 48}, First}} << QList<QImage>{First};
        QTest::newRow("translucent beside opaque")   // masked: the PDF writer embeds it itself
            << QList<Box>{{{10, 10, 48, 48}, Translucent}, {{200, 10, 64, 48}, First}}
            << QList<QImage>{Translucent, First};
        QTest::newRow("a box off the sheet: its stand-in never reaches the file")
            << QList<Box>{{{10, 10, 64, 48}, First}, {{1 << 26, 10, 64, 48}, Second}} << QList<QImage>{First};
    }
    // Each picture's own samples, once, and a reader shows the very sheet the
    // PDF writer draws with the pictures themselves.
    void filesHoldThePictures()
    {
        QFETCH(QList<Box>, boxes);
        QFETCH(QList<QImage>, embedded);
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0});
        for (const Box &box : boxes) {
            const int slot = doc.AddImageBox();
            doc.setImageBounds(slot, box.bounds);
            doc.setImagePicture(slot, box.picture);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("job.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(doc, Job, path, &error), qPrintable(error));
        const QByteArray written = TestFiles::readFile(path);
        const std::vector<Embedded> images = embeddedImages(written);
        QCOMPARE(int(images.size()), embedded.size());
        for (const QImage &picture : embedded) {   // each of its own size
            const auto image = std::find_if(images.begin(), images.end(),
                                            [&](const Embedded &e) { return e.size == picture.size(); });
            QVERIFY(image != images.end());
            QCOMPARE(image->masked, picture.hasAlphaChannel());
            if (!picture.hasAlphaChannel())
                QVERIFY(image->samples == rgbSamples(picture));
        }

        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        const QImage expected = WrittenSheets::drawnDirectly(doc, Job, dir.path());
        QVERIFY(!expected.isNull());
        QCOMPARE(WrittenSheets::shownPage(written, dir.path(), QStringLiteral("written.pdf")), expected);
    }

    // Two parts of one job joined: the first's pages, then the second's; a
    // picture both embed alike (samples, size and mask) embedded once.
    void joinedPartsEmbedAPictureOnce_data()
    {
        QTest::addColumn<QImage>("inFirst");
        QTest::addColumn<QImage>("inSecond");
        QTest::addColumn<int>("images");   // image objects in the joined file, masks included
        QTest::newRow("the same picture") << First << First << 1;
        QTest::newRow("two pictures") << First << Second << 2;
        QTest::newRow("the same translucent picture") << Translucent << Translucent << 2;
        QImage otherMask = Translucent;
        otherMask.setPixel(0, 0, (otherMask.pixel(0, 0) & 0xffffff) | 0x01000000);
        QTest::newRow("the same samples, another mask") << Translucent << otherMask << 4;
    }

    void joinedPartsEmbedAPictureOnce()
    {
        QFETCH(QImage, inFirst);
        QFETCH(QImage, inSecond);
        QFETCH(int, images);
        const auto part = [](const QImage &picture, int pages) {
            return drawnPdf([&](QPainter &painter, QPdfWriter &writer) {
                for (int page = 0; page < pages; ++page) {
                    if (page > 0)
                        writer.newPage();
                    painter.drawImage(QRect(100 * page, 100, 200, 150), picture);
                }
            });
        };
        const std::optional<QByteArray> joined = SheetPrinterPdfPages::joined(part(inFirst, 2), part(inSecond, 3));
        QVERIFY(joined);
        QCOMPARE(TestFiles::pdfPageCount(*joined), 5);
        QCOMPARE(joined->count("/Subtype /Image"), images);
        const std::vector<PdfPage> pages = pdfPages(*joined);
        QCOMPARE(pages.size(), size_t(5));
        QCOMPARE(pages[1].content, pdfPages(part(inFirst, 2))[1].content);
        QCOMPARE(pages[4].content, pdfPages(part(inSecond, 3))[2].content);

        QVERIFY(!SheetPrinterPdfPages::joined(part(inFirst, 1), QByteArray("%PDF-1.4 not a PDF")));
    }
};

QTEST_MAIN(TestPdfPictures)
#include "test_pdfpictures.moc"
