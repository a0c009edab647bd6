// Bold captions of faces without a bold style and QR codes, written once in
// a PDF sheet as forms that every cell draws, and shown as the drawings made
// in each cell would be.
#include "PdfContents.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "WrittenSheets.h"
#include "card/CardDocument.h"
#include "sheet/SheetPrinter.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <functional>

namespace {

using Setup = std::function<void(CardDocument &)>;

const SheetJob Job{2, 300, QPageSize(QPageSize::A4), {}};

int addTextBox(CardDocument &doc, QPoint at, const QString &caption, int points, FontStyles style,
               std::int32_t colour = 0)
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, {at.x(), at.y(), 200, 24});
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setHeight(-points * 96 / 72);
    font.setStyle(style);
    font.setColor(colour);
    doc.setTextFont(slot, font);
    return slot;
}

void addPicture(CardDocument &doc, const QRect &bounds, const QImage &picture)
{
    const int slot = doc.AddImageBox();
    doc.setImageBounds(slot, {bounds.x(), bounds.y(), bounds.width(), bounds.height()});
    doc.setImagePicture(slot, picture);
}

// The form XObjects the written file holds.
int formCount(const QByteArray &pdf)
{
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("job", pdf.constData(), size_t(pdf.size()));
    int forms = 0;
    for (QPDFObjectHandle object : document.getAllObjects()) {
        if (object.isStream() && object.getDict().getKey("/Subtype").unparse() == "/Form")
            ++forms;
    }
    return forms;
}

// Pixels whose channels differ by more than a reader's rounding.
int pixelsApart(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    int apart = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            const int most = std::max({std::abs(qRed(p[column]) - qRed(q[column])),
                                       std::abs(qGreen(p[column]) - qGreen(q[column])),
                                       std::abs(qBlue(p[column]) - qBlue(q[column]))});
            apart += most > 16 ? 1 : 0;
        }
    }
    return apart;
}

} // namespace

class TestPdfCellForms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formsShowWhatTheDrawingsShow_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("forms");
        const FontStyles bold = FontStyle::Bold;
        QTest::newRow("one bold caption") << Setup([=](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 14, bold);
        }) << 1;
        QTest::newRow("a plain caption makes no form") << Setup([](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 14, {});
        }) << 0;
        QTest::newRow("one caption in two colours") << Setup([=](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("営業部"), 12, bold);
            addTextBox(doc, {20, 80}, QStringLiteral("営業部"), 12, bold, 0x0000ff);
        }) << 2;
        QTest::newRow("bold, italic and underlined") << Setup([=](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("株式会社 Tavelo"), 12,
                       FontStyle::Bold | FontStyle::Italic | FontStyle::Underline);
        }) << 1;
        QTest::newRow("one caption in two boxes: one form") << Setup([=](CardDocument &doc) {
            addTextBox(doc, {20, 20}, QStringLiteral("代表取締役"), 16, bold);
            addTextBox(doc, {20, 100}, QStringLiteral("代表取締役"), 16, bold);
        }) << 1;
        QTest::newRow("over a picture, whose stand-in is replaced as well") << Setup([=](CardDocument &doc) {
            addPicture(doc, {10, 10, 64, 48}, SheetImages::noise({200, 150}, 4));
            addTextBox(doc, {20, 20}, QStringLiteral("東京都千代田区"), 12, bold);
        }) << 1;
        QTest::newRow("a QR code") << Setup([](CardDocument &doc) {
            const int slot = addTextBox(doc, {20, 20}, QStringLiteral("QR:https://example.jp/yamada"), 10, {});
            doc.setTextBounds(slot, {20, 20, 90, 90});
        }) << 1;
        QTest::newRow("a QR code in colour beside a bold caption") << Setup([=](CardDocument &doc) {
            const int slot = addTextBox(doc, {20, 20}, QStringLiteral("QR:TEL:03-1234-5678"), 10, {}, 0x800000);
            doc.setTextBounds(slot, {20, 20, 90, 90});
            addTextBox(doc, {120, 20}, QStringLiteral("山田 太郎"), 14, bold);
        }) << 2;
        // Drawn without stand-ins at all: the picture could be taken for one.
        QTest::newRow("a picture of one pixel in a stand-in's colour") << Setup([=](CardDocument &doc) {
            QImage pixel(1, 1, QImage::Format_ARGB32);
            pixel.fill(qRgb(0, 0, 0xa5));
            addPicture(doc, {200, 100, 40, 40}, pixel);
            addTextBox(doc, {20, 20}, QStringLiteral("山田 太郎"), 14, bold);
        }) << 0;
    }
    void formsShowWhatTheDrawingsShow()
    {
        QFETCH(Setup, setup);
        QFETCH(int, forms);
        CardDocument doc;
        doc.setPrintSettings({1, 0, 0});
        setup(doc);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("job.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(doc, Job, path, &error), qPrintable(error));
        const QByteArray written = TestFiles::readFile(path);
        QCOMPARE(formCount(written), forms);
        const std::vector<PdfPage> pages = pdfPages(written);
        QCOMPARE(int(pages.size()), Job.copies);
        if (forms > 0)   // the outlines are in the forms, not in the page
            QVERIFY(!pages.front().content.contains(" c\n"));

        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        const QImage expected = WrittenSheets::drawnDirectly(doc, Job, dir.path());
        QVERIFY(!expected.isNull());
        QCOMPARE(pixelsApart(WrittenSheets::shownPage(written, dir.path(), QStringLiteral("written.pdf")), expected), 0);
    }
};

QTEST_MAIN(TestPdfCellForms)
#include "test_pdfcellforms.moc"
