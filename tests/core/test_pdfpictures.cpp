// The pictures of a PDF job are compressed beside the drawing and put in
// place of the stand-ins the sheet was drawn with: the file must hold each
// picture's own samples, once, and show the very sheet the PDF writer draws
// with the pictures themselves.
#include "CardDocument.h"
#include "CardSheet.h"
#include "SheetImages.h"
#include "SheetPrinter.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using SheetImages::noise;

namespace {

struct Embedded {
    int width = 0;
    int height = 0;
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
            images.push_back({int(dict.getKey("/Width").getIntValue()), int(dict.getKey("/Height").getIntValue()),
                              QByteArray(reinterpret_cast<const char *>(data->getBuffer()), qsizetype(data->getSize())),
                              dict.hasKey("/SMask") || dict.hasKey("/Mask")});
        }
        break;   // the further pages share the first one's images
    }
    return images;
}

QByteArray rgbSamples(const QImage &picture)
{
    QByteArray samples;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            samples += char(qRed(p));
            samples += char(qGreen(p));
            samples += char(qBlue(p));
        }
    return samples;
}

// Pictures of their printed size in the boxes below at 300 dpi (64 x 48
// screen pixels: 200 x 150), so they are embedded as they are, and the
// drawing instructions are the same whichever way the picture gets into the
// file. (A picture enlarged into its box is placed exactly by its stand-in,
// where Qt rounds its scale to eight decimals: a reader may then resample it
// a pixel differently.)
const QImage First = noise({200, 150}, 1);
const QImage Second = noise({150, 200}, 2);
const QImage Translucent = noise({150, 150}, 3, QImage::Format_ARGB32);

struct Box {
    BoxBounds bounds;
    QImage picture;
};

void fill(CardDocument &doc, const QList<Box> &boxes)
{
    doc.setPrintSettings({1, 0, 0});
    for (const Box &box : boxes) {
        const int slot = doc.AddImageBox();
        doc.setImageBounds(slot, box.bounds);
        doc.setImagePicture(slot, box.picture);
    }
}

const SheetJob Job{3, 300, QPageSize(QPageSize::A4), {}};

QByteArray writtenPdf(const CardDocument &doc, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("job.pdf"));
    QString error;
    if (!SheetPrinter::writePdf(doc, Job, path, &error))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A page as poppler's pdftoppm shows it.
QImage shownPage(const QByteArray &pdf, const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name + QStringLiteral(".pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    return SheetImages::shownPdfPage(path, {QStringLiteral("-r"), QStringLiteral("150")});
}

} // namespace

Q_DECLARE_METATYPE(QList<Box>)

class TestPdfPictures : public QObject
{
    Q_OBJECT

    void cases_data()
    {
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<QList<QImage>>("embedded");
        QTest::newRow("one picture") << QList<Box>{{{10, 10, 64, 48}, First}} << QList<QImage>{First};
        QTest::newRow("two pictures") << QList<Box>{{{10, 10, 64, 48}, First}, {{200, 10, 48, 64}, Second}}
                                      << QList<QImage>{First, Second};
        QTest::newRow("one picture in two boxes")
            << QList<Box>{{{10, 10, 64, 48}, First}, {{200, 10, 64, 48}, First}} << QList<QImage>{First};
        // The PDF writer gives such a picture a mask: it embeds it itself.
        QTest::newRow("translucent beside opaque")
            << QList<Box>{{{10, 10, 48, 48}, Translucent}, {{200, 10, 64, 48}, First}}
            << QList<QImage>{Translucent, First};
        // A box off any sheet is not drawn: its stand-in never reaches the
        // file, and the sheet is drawn with the pictures themselves.
        QTest::newRow("a box off the sheet")
            << QList<Box>{{{10, 10, 64, 48}, First}, {{1 << 26, 10, 64, 48}, Second}} << QList<QImage>{First};
    }

private Q_SLOTS:
    void filesHoldThePictures_data() { cases_data(); }
    void filesHoldThePictures()
    {
        QFETCH(QList<Box>, boxes);
        QFETCH(QList<QImage>, embedded);
        CardDocument doc;
        fill(doc, boxes);
        QTemporaryDir dir;
        const std::vector<Embedded> images = embeddedImages(writtenPdf(doc, dir));
        QCOMPARE(int(images.size()), embedded.size());
        for (const QImage &picture : embedded) {   // each of its own size
            const auto image = std::find_if(images.begin(), images.end(), [&](const Embedded &e) {
                return QSize(e.width, e.height) == picture.size();
            });
            QVERIFY(image != images.end());
            QCOMPARE(image->masked, picture.hasAlphaChannel());
            if (!picture.hasAlphaChannel())
                QVERIFY(image->samples == rgbSamples(picture));
        }
    }

    // The reader shows the file exactly as the sheet drawn with the pictures
    // themselves, on every copy.
    void readersShowTheDrawnSheet_data() { cases_data(); }
    void readersShowTheDrawnSheet()
    {
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QFETCH(QList<Box>, boxes);
        CardDocument doc;
        fill(doc, boxes);
        QTemporaryDir dir;
        const std::optional<QByteArray> drawn = SheetPrinter::pdfBytes(
            Job, [&](QPainter &painter, QPagedPaintDevice &device) {
                return SheetPrinter::printSheets(doc, painter, device, 1);
            }, QString(), nullptr);
        QVERIFY(drawn);
        const QImage expected = shownPage(*drawn, dir, QStringLiteral("drawn"));
        QVERIFY(!expected.isNull());
        QCOMPARE(shownPage(writtenPdf(doc, dir), dir, QStringLiteral("written")), expected);
    }
};

QTEST_MAIN(TestPdfPictures)
#include "test_pdfpictures.moc"
