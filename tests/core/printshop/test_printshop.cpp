// The print-shop PDF read back as a shop's tools read it: qpdf's check, the
// boxes as pdfinfo gives them, the inks as Ghostscript counts them, the
// crop marks on a rasterised page, the text as pdftotext extracts it, the
// PDF/X keys through libqpdf; and the preflight's findings.
#include "MergeLists.h"
#include "PdfContents.h"
#include "ShapeFixtures.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "merge/MergeList.h"
#include "picture/SvgPicture.h"
#include "printshop/PdfxFinish.h"
#include "printshop/PrintShopExport.h"
#include "printshop/PrintShopLayout.h"
#include "sheet/FontMapping.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <functional>

namespace {

using Setup = std::function<void(CardDocument &)>;

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

ToolRun runTool(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    return run;
}

int addTextBox(CardDocument &doc, BoxBounds bounds, const QString &caption, std::int32_t colour = 0)
{
    const int slot = doc.AddTextBox();
    doc.setTextBounds(slot, bounds);
    doc.setTextCaption(slot, caption);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setColor(colour);
    doc.setTextFont(slot, font);
    return slot;
}

void addImageBox(CardDocument &doc, BoxBounds bounds, const QImage &picture,
                 const QString &path = QStringLiteral("logo.png"))
{
    const int slot = doc.AddImageBox();
    doc.setImageBounds(slot, bounds);
    doc.setImagePath(slot, path);
    doc.setImagePicture(slot, picture);
}

void setBackground(CardDocument &doc, Side side, std::optional<std::int32_t> colour, const QImage &picture = {},
                   BackgroundFit fit = BackgroundFit::Stretch)
{
    CardBackground background;
    background.color = colour;
    if (!picture.isNull())
        background.picturePath = QStringLiteral("背景.png");
    background.picture = picture;
    background.fit = fit;
    doc.setBackground(side, background);
}

// A background picture made as a shop asks for one, at ten pixels a
// millimetre: black where it runs into the bleed, white inside the trim.
// A wider one is a picture whose middle is to be filled in.
QImage madeWithBleed(int extraWidth = 0)
{
    QImage picture = SheetImages::solid(QSize(970 + extraWidth, 610), qRgb(0, 0, 0));
    QPainter(&picture).fillRect(QRect(30 + extraWidth / 2, 30, 910, 550), Qt::white);
    return picture;
}

// 0x00BBGGRR, as a card stores colours.
constexpr std::int32_t Red = 0x0000ff;
constexpr std::int32_t Grey = 0x808080;
constexpr std::int32_t DarkBlue = 0x800000;
// A character no installed face draws (𠮷 is drawn by a face of the chain).
constexpr char32_t NoGlyph = 0x10FFFD;   // private use

PrintShopJob jobWith(std::int32_t bleedTenths, CropMarks marks)
{
    PrintShopJob job;
    job.options.bleedTenthsMm = bleedTenths;
    job.options.marks = marks;
    job.title = QStringLiteral("名刺 テスト");
    job.created = QDateTime(QDate(2026, 4, 1), QTime(9, 30, 0), Qt::UTC);
    return job;
}

// The PDF of the card setup makes, written into dir; its preflight in *problems.
QString exported(const QTemporaryDir &dir, const Setup &setup, const PrintShopJob &job, QStringList *problems = nullptr)
{
    CardDocument doc;
    if (setup)
        setup(doc);
    QString error;
    QStringList found;
    const std::optional<QByteArray> pdf = PrintShopExport::pdf(doc, job, &found, &error);
    if (!pdf)
        return {};
    if (problems)
        *problems = found;
    const QString path = dir.filePath(QStringLiteral("card.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*pdf) != pdf->size())
        return {};
    return path;
}

// The four boxes pdfinfo reads, each as "x1 y1 x2 y2" to 0.01 pt.
QMap<QString, QString> boxesOf(const QString &pdf)
{
    QMap<QString, QString> boxes;
    const ToolRun run = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), pdf});
    static const QRegularExpression line(QStringLiteral("^(\\w+Box):\\s+(.*)$"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromUtf8(run.out)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        boxes[match.captured(1)] = match.captured(2).simplified();
    }
    return boxes;
}

// Ghostscript's ink coverage of each page: C, M, Y, K from 0 to 1.
QList<QList<double>> inkOf(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("-"),
                                                       QStringLiteral("-sDEVICE=inkcov"), pdf});
    QList<QList<double>> pages;
    for (const QByteArray &line : run.out.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || !line.contains("CMYK"))
            continue;
        pages.append({fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble(), fields[3].toDouble()});
    }
    return pages;
}

// The first page at 254 dpi (ten pixels a millimetre), grey, not smoothed.
QImage rasterised(const QString &pdf, const QTemporaryDir &dir)
{
    const QString stem = dir.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"), QStringLiteral("-aa"),
             QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-singlefile"),
             QStringLiteral("-png"), pdf, stem});
    return QImage(stem + QStringLiteral(".png"));
}

bool dark(const QImage &page, QPoint at) { return page.valid(at) && qGray(page.pixel(at)) < 128; }

}   // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(SideChoice)

class TestPrintShop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    // The page, the bleed and the trim in points, as pdfinfo reads them.
    void boxes_data()
    {
        QTest::addColumn<int>("bleed");
        QTest::addColumn<bool>("marks");
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("bleedBox");
        QTest::addColumn<QString>("trim");
        QTest::newRow("3 mm bleed") << 30 << false << "0.00 0.00 274.96 172.91"
                                    << "0.00 0.00 274.96 172.91"
                                    << "8.50 8.50 266.46 164.41";
        QTest::newRow("no bleed") << 0 << false << "0.00 0.00 257.95 155.91"
                                  << "0.00 0.00 257.95 155.91"
                                  << "0.00 0.00 257.95 155.91";
        QTest::newRow("3 mm bleed, marks") << 30 << true << "0.00 0.00 314.65 212.60"
                                           << "19.84 19.84 294.80 192.76"
                                           << "28.35 28.35 286.30 184.25";
        QTest::newRow("5 mm bleed, marks") << 50 << true << "0.00 0.00 325.98 223.94"
                                           << "19.84 19.84 306.14 204.09"
                                           << "34.02 34.02 291.97 189.92";
        QTest::newRow("2.5 mm bleed") << 25 << false << "0.00 0.00 272.13 170.08"
                                      << "0.00 0.00 272.13 170.08"
                                      << "7.09 7.09 265.04 162.99";
    }
    void boxes()
    {
        QFETCH(int, bleed);
        QFETCH(bool, marks);
        QTemporaryDir dir;
        const QString pdf = exported(
            dir,
            [](CardDocument &doc) {
                addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("山田"));
            },
            jobWith(bleed, marks ? CropMarks::Japanese : CropMarks::None));
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}).exitCode, 0);
        const QMap<QString, QString> boxes = boxesOf(pdf);
        QTEST(boxes.value(QStringLiteral("MediaBox")), "media");
        QTEST(boxes.value(QStringLiteral("BleedBox")), "bleedBox");
        QTEST(boxes.value(QStringLiteral("TrimBox")), "trim");
        QCOMPARE(boxes.value(QStringLiteral("CropBox")), boxes.value(QStringLiteral("MediaBox")));
    }

    // The keys a PDF/X-1a:2003 check looks for, and nothing RGB left.
    void pdfxKeys()
    {
        QTemporaryDir dir;
        const QString path = exported(
            dir,
            [](CardDocument &doc) {
                addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("山田 太郎"), Red);
                addImageBox(doc, {200, 60, 64, 64}, SheetImages::noise(QSize(64, 64), 3));
                addImageBox(doc, {200, 130, 32, 32}, SheetImages::noise(QSize(32, 32), 4, QImage::Format_ARGB32));
            },
            jobWith(30, CropMarks::Japanese));
        QVERIFY(!path.isEmpty());
        QPDF pdf;
        pdf.processFile(path.toLocal8Bit().constData());
        QCOMPARE(pdf.getPDFVersion(), std::string("1.4"));
        QPDFObjectHandle trailer = pdf.getTrailer();
        QVERIFY(trailer.getKey("/ID").isArray());
        QCOMPARE(trailer.getKey("/ID").getArrayNItems(), 2);
        QPDFObjectHandle info = trailer.getKey("/Info");
        QCOMPARE(QString::fromStdString(info.getKey("/Title").getUTF8Value()), QStringLiteral("名刺 テスト"));
        QCOMPARE(info.getKey("/GTS_PDFXVersion").getUTF8Value(), std::string("PDF/X-1a:2003"));
        QCOMPARE(info.getKey("/Trapped").getName(), std::string("/False"));
        QCOMPARE(info.getKey("/CreationDate").getUTF8Value(), std::string("D:20260401093000+00'00'"));
        QCOMPARE(info.getKey("/ModDate").getUTF8Value(), std::string("D:20260401093000+00'00'"));
        QPDFObjectHandle intents = pdf.getRoot().getKey("/OutputIntents");
        QCOMPARE(intents.getArrayNItems(), 1);
        QPDFObjectHandle intent = intents.getArrayItem(0);
        QCOMPARE(intent.getKey("/S").getName(), std::string("/GTS_PDFX"));
        QCOMPARE(intent.getKey("/OutputConditionIdentifier").getUTF8Value(), std::string("JC200103"));
        QCOMPARE(intent.getKey("/RegistryName").getUTF8Value(), std::string("http://www.color.org"));

        int images = 0;
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            for (auto &[name, image] : page.getImages()) {
                ++images;
                QCOMPARE(image.getDict().getKey("/ColorSpace").getName(), std::string("/DeviceCMYK"));
                QVERIFY(!image.getDict().hasKey("/SMask"));
            }
            QPDFObjectHandle resources = page.getAttribute("/Resources", false);
            for (auto &[name, font] : resources.getKey("/Font").ditems()) {
                QPDFObjectHandle described = font.getKey("/Subtype").isNameAndEquals("/Type0")
                                                 ? font.getKey("/DescendantFonts").getArrayItem(0)
                                                 : font;
                QVERIFY(described.getKey("/FontDescriptor").hasKey("/FontFile2"));
            }
            // No RGB colour in the drawing: the content names none.
            const std::string content = page.getObjectHandle().getKey("/Contents").getStreamData(qpdf_dl_generalized)->getSize() > 0
                                            ? [&] {
                                                  auto data = page.getObjectHandle().getKey("/Contents").getStreamData(qpdf_dl_generalized);
                                                  return std::string(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
                                              }()
                                            : std::string();
            QVERIFY(content.find(" rg") == std::string::npos);
            QVERIFY(content.find("/CSp") == std::string::npos);
        }
        QCOMPARE(images, 2);
    }

    // Ghostscript's inks: black and grey on the black plate alone, colours
    // on the others, alpha gone on white.
    void inks_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("colour");   // C, M or Y used
        QTest::addColumn<bool>("black");    // K used
        QTest::newRow("black text") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 40, 200, 20}, QStringLiteral("株式会社 Tavelo 山田太郎"));
            addTextBox(doc, {40, 80, 200, 20}, QStringLiteral("03-1234-5678"));
        }) << false << true;
        QTest::newRow("grey text") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 40, 200, 20}, QStringLiteral("グレーの文字"), Grey);
        }) << false << true;
        QTest::newRow("red text") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 40, 200, 20}, QStringLiteral("赤い文字"), Red);
        }) << true << false;
        QTest::newRow("grey picture") << Setup([](CardDocument &doc) {
            addImageBox(doc, {40, 40, 100, 100}, SheetImages::solid(QSize(50, 50), qRgb(90, 90, 90)));
        }) << false << true;
        QTest::newRow("blue picture") << Setup([](CardDocument &doc) {
            addImageBox(doc, {40, 40, 100, 100}, SheetImages::solid(QSize(50, 50), qRgb(0, 0, 200)));
        }) << true << true;
        QTest::newRow("clear picture") << Setup([](CardDocument &doc) {
            QImage clear(50, 50, QImage::Format_ARGB32);
            clear.fill(qRgba(0, 0, 255, 0));
            addImageBox(doc, {40, 40, 100, 100}, clear);
        }) << false << false;
        QTest::newRow("QR code") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 40, 120, 120}, QStringLiteral("QR:https://example.com"));
        }) << false << true;
        QTest::newRow("grey background") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, Grey);
        }) << false << true;
        QTest::newRow("grey background picture") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, std::nullopt, SheetImages::solid(QSize(91, 55), qRgb(128, 128, 128)));
        }) << false << true;
    }
    void inks()
    {
        QFETCH(Setup, setup);
        QFETCH(bool, colour);
        QFETCH(bool, black);
        QTemporaryDir dir;
        const QString pdf = exported(dir, setup, jobWith(30, CropMarks::None));
        QVERIFY(!pdf.isEmpty());
        const QList<QList<double>> pages = inkOf(pdf);
        QCOMPARE(pages.size(), 1);
        const QList<double> &ink = pages.front();
        QCOMPARE(ink[0] > 0 || ink[1] > 0 || ink[2] > 0, colour);
        QCOMPARE(ink[3] > 0, black);
        if (!colour)
            QVERIFY(ink[0] == 0 && ink[1] == 0 && ink[2] == 0);
    }

    // The pictures are drawn as stand-ins and put in place before the
    // conversion: each page shows its own side's pictures, and a picture
    // whose box is never drawn has the pages drawn with the pictures
    // instead. Inks: cyan, magenta, yellow used, page by page.
    void picturesInPlace_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QList<QList<bool>>>("inks");
        const QImage red = SheetImages::solid(QSize(50, 50), qRgb(255, 0, 0));
        const QImage cyan = SheetImages::solid(QSize(40, 30), qRgb(0, 255, 255));
        const QList<bool> redInks{false, true, true};
        const QList<bool> cyanInks{true, false, false};
        QTest::newRow("a picture on each side") << Setup([=](CardDocument &doc) {
            addImageBox(doc, {40, 40, 100, 100}, red);
            doc.showSide(Side::Back);
            addImageBox(doc, {40, 40, 100, 100}, cyan, QStringLiteral("map.png"));
            doc.showSide(Side::Front);
        }) << QList<QList<bool>>{redInks, cyanInks};
        QTest::newRow("one picture on both sides") << Setup([=](CardDocument &doc) {
            addImageBox(doc, {40, 40, 100, 100}, cyan);
            doc.showSide(Side::Back);
            addImageBox(doc, {200, 60, 80, 80}, cyan);
            doc.showSide(Side::Front);
        }) << QList<QList<bool>>{cyanInks, cyanInks};
        // Millions of pixels off the card: the sheet draws nothing of it.
        QTest::newRow("a box never drawn") << Setup([=](CardDocument &doc) {
            addImageBox(doc, {-3000000, 40, 100, 100}, cyan, QStringLiteral("map.png"));
            addImageBox(doc, {40, 40, 100, 100}, red);
        }) << QList<QList<bool>>{redInks};
    }
    void picturesInPlace()
    {
        QFETCH(Setup, setup);
        QFETCH(QList<QList<bool>>, inks);
        QTemporaryDir dir;
        const QString pdf = exported(dir, setup, jobWith(30, CropMarks::None));
        QVERIFY(!pdf.isEmpty());
        const QList<QList<double>> pages = inkOf(pdf);
        QCOMPARE(pages.size(), inks.size());
        for (qsizetype page = 0; page < pages.size(); ++page) {
            for (int ink = 0; ink < 3; ++ink)
                QVERIFY2((pages[page][ink] > 0.001) == inks[page][ink],
                         qPrintable(QStringLiteral("page %1, ink %2: %3").arg(page + 1).arg(ink).arg(pages[page][ink])));
        }
    }

    // Where a 91 × 55 mm trim puts the marks: ten pixels a millimetre, the
    // trim 10 mm in (3 mm bleed, 7 mm marks).
    void cropMarks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("ink");
        // Top-left corner: the trim lines and the bleed lines, outside the bleed.
        QTest::newRow("trim line, left of the bleed") << QPoint(35, 100) << true;
        QTest::newRow("trim line, above the bleed") << QPoint(100, 35) << true;
        QTest::newRow("bleed line, left") << QPoint(35, 70) << true;
        QTest::newRow("bleed line, reaching the trim") << QPoint(95, 70) << true;
        QTest::newRow("bleed line, above") << QPoint(70, 35) << true;
        QTest::newRow("inside the bleed") << QPoint(85, 85) << false;
        QTest::newRow("trim line not in the bleed") << QPoint(85, 100) << false;
        QTest::newRow("between the lines") << QPoint(35, 85) << false;
        // Bottom-right corner: trim at x = 1010, y = 650.
        QTest::newRow("bottom-right trim line") << QPoint(1075, 650) << true;
        QTest::newRow("bottom-right bleed line") << QPoint(1010, 715) << true;
        QTest::newRow("bottom-right inside the bleed") << QPoint(1025, 665) << false;
        // Centre marks: the card's centre line at x = 555 and y = 375.
        QTest::newRow("top centre") << QPoint(555, 20) << true;
        QTest::newRow("left centre") << QPoint(20, 375) << true;
        QTest::newRow("top, off centre") << QPoint(600, 20) << false;
        QTest::newRow("card") << QPoint(555, 375) << false;
    }
    void cropMarks()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, ink);
        QTemporaryDir dir;
        const QString pdf = exported(dir, {}, jobWith(30, CropMarks::Japanese));
        const QImage page = rasterised(pdf, dir);
        // 111 × 75 mm; the rasteriser may round a side up by a pixel.
        QVERIFY2(page.width() >= 1110 && page.width() <= 1111 && page.height() >= 750 && page.height() <= 751,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        // A hairline may land on either pixel next to its exact place.
        const bool found = dark(page, at) || dark(page, at + QPoint(1, 0)) || dark(page, at + QPoint(0, 1))
                           || dark(page, at - QPoint(1, 0)) || dark(page, at - QPoint(0, 1));
        QCOMPARE(found, ink);
    }

    // What crosses the card's edge prints into the bleed and stops at its edge.
    void bleed_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("ink");
        QTest::newRow("on the card") << QPoint(105, 200) << true;
        QTest::newRow("in the bleed") << QPoint(85, 200) << true;
        QTest::newRow("bleed's last pixels") << QPoint(72, 200) << true;
        QTest::newRow("past the bleed edge") << QPoint(67, 200) << false;
        QTest::newRow("in the marks' room") << QPoint(40, 200) << false;
    }
    void bleed()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, ink);
        QTemporaryDir dir;
        // A black picture from 20 mm left of the card's edge to 20 mm into it.
        const QString pdf = exported(
            dir,
            [](CardDocument &doc) {
                addImageBox(doc, {-76, 0, 152, 200}, SheetImages::solid(QSize(40, 40), qRgb(0, 0, 0)));
            },
            jobWith(30, CropMarks::Japanese));
        const QImage page = rasterised(pdf, dir);
        QCOMPARE(dark(page, at), ink);
    }

    // The background fills the bleed: a colour to its edge, a picture scaled
    // to the bleed box, so a picture made with 3 mm of bleed loses that to
    // the cut and no more. Ten pixels a millimetre: the trim from (100, 100)
    // to (1010, 650), the bleed edge 3 mm out.
    void backgroundInBleed_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<SideChoice>("sides");
        QTest::addColumn<QList<QPoint>>("inked");
        QTest::addColumn<QList<QPoint>>("clear");
        const QList<QPoint> bleedCorners{{72, 72}, {1037, 72}, {72, 677}, {1037, 677}};
        const QList<QPoint> pastBleed{{67, 300}, {300, 67}, {1043, 300}, {300, 683}};
        const QList<QPoint> bleedSides{{95, 300}, {300, 95}, {1015, 300}, {300, 655}};
        const QList<QPoint> insideTrim{{105, 300}, {300, 105}, {1005, 300}, {300, 645}};
        const auto front = [](CardDocument &doc) { addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("表")); };
        QTest::newRow("colour") << Setup([](CardDocument &doc) { setBackground(doc, Side::Front, DarkBlue); })
                                << SideChoice::Front << bleedCorners + bleedSides + insideTrim << pastBleed;
        QTest::newRow("picture stretched") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, std::nullopt, madeWithBleed());
        }) << SideChoice::Front << bleedCorners + bleedSides << pastBleed + insideTrim;
        QTest::newRow("picture filled: its middle in the bleed box's proportions") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, std::nullopt, madeWithBleed(970), BackgroundFit::Fill);
        }) << SideChoice::Front << bleedCorners + bleedSides << pastBleed + insideTrim;
        QTest::newRow("colour, back") << Setup([front](CardDocument &doc) {
            front(doc);
            setBackground(doc, Side::Back, DarkBlue);
        }) << SideChoice::Back << bleedCorners + bleedSides + insideTrim << pastBleed;
        QTest::newRow("picture, back") << Setup([front](CardDocument &doc) {
            front(doc);
            setBackground(doc, Side::Back, std::nullopt, madeWithBleed());
        }) << SideChoice::Back << bleedCorners + bleedSides << pastBleed + insideTrim;
        QTest::newRow("the back's background is not the front's") << Setup([front](CardDocument &doc) {
            front(doc);
            setBackground(doc, Side::Back, DarkBlue);
        }) << SideChoice::Front << QList<QPoint>() << bleedCorners + bleedSides + insideTrim;
    }
    void backgroundInBleed()
    {
        QFETCH(Setup, setup);
        QFETCH(SideChoice, sides);
        QFETCH(QList<QPoint>, inked);
        QFETCH(QList<QPoint>, clear);
        QTemporaryDir dir;
        PrintShopJob job = jobWith(30, CropMarks::Japanese);
        job.sides = sides;
        const QImage page = rasterised(exported(dir, setup, job), dir);
        QVERIFY(!page.isNull());
        for (const QPoint &at : inked)
            QVERIFY2(dark(page, at), qPrintable(QStringLiteral("no ink at %1, %2").arg(at.x()).arg(at.y())));
        for (const QPoint &at : clear)
            QVERIFY2(page.valid(at) && qGray(page.pixel(at)) > 200,
                     qPrintable(QStringLiteral("ink at %1, %2").arg(at.x()).arg(at.y())));
    }

    // A merged row's card is the whole design: its background in the bleed,
    // its shapes, the row's text.
    void mergedRowKeepsTheDesign()
    {
        CardDocument design;
        setBackground(design, Side::Front, DarkBlue);
        QVERIFY(design.appendShape(Side::Front, rectangleShape({40, 100}, {300, 140}, 0xffffff, 0)));
        addTextBox(design, {60, 40, 200, 20}, QStringLiteral("{氏名}"), 0xffffff);
        const MergeList list = MergeList::fromBytes(MergeLists::people());
        QStringList problems;
        QString error;
        const std::optional<QByteArray> pdf =
            PrintShopExport::mergedPdf(design, list, {0, 1}, jobWith(30, CropMarks::Japanese), &problems, &error);
        QVERIFY2(pdf, qPrintable(error));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("merged.pdf"));
        QVERIFY(TestFiles::writeFile(path, *pdf));
        const QImage page = rasterised(path, dir);
        QVERIFY(dark(page, QPoint(72, 72)));       // the background in the bleed
        QVERIFY(!dark(page, QPoint(300, 400)));    // the white band (card y 100 to 140 px: 26 to 37 mm)
        QVERIFY(!dark(page, QPoint(67, 300)));     // past the bleed edge
        const ToolRun text = runTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY2(text.out.contains("山田 太郎") && text.out.contains("佐藤 花子"), text.out.constData());
    }

    void textExtracted()
    {
        QTemporaryDir dir;
        const QString pdf = exported(
            dir,
            [](CardDocument &doc) {
                addTextBox(doc, {40, 40, 200, 20}, QStringLiteral("山田太郎"));
                addTextBox(doc, {40, 80, 200, 20}, QStringLiteral("taro@example.com"), Red);
            },
            jobWith(30, CropMarks::Japanese));
        const ToolRun run = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QCOMPARE(run.exitCode, 0);
        const QString text = QString::fromUtf8(run.out);
        QVERIFY2(text.contains(QStringLiteral("山田太郎")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("taro@example.com")), qPrintable(text));
    }

    // The preflight: each finding on its own line, none for a clean card.
    void preflight_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("bleed");
        QTest::addColumn<QStringList>("expected");   // a part of each line, in order
        const auto box = [](const QString &caption) { return Msg::mergeTextBox(caption); };
        const auto picture = Msg::mergeImageBox(QStringLiteral("logo.png"));
        QTest::newRow("clean") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("山田太郎"));
            addImageBox(doc, {200, 40, 64, 64}, SheetImages::solid(QSize(400, 400), qRgb(0, 0, 200)));
        }) << 30 << QStringList();
        QTest::newRow("text 1 mm from the left") << Setup([](CardDocument &doc) {
            addTextBox(doc, {4, 40, 100, 20}, QStringLiteral("山田"));
        }) << 30 << QStringList{box(QStringLiteral("山田")) + QStringLiteral("が仕上がり線から")};
        // The glyphs' own ink counts: inside the card, near its edge.
        QTest::newRow("text near the bottom") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 190, 100, 20}, QStringLiteral("下"));
        }) << 30 << QStringList{box(QStringLiteral("下")) + QStringLiteral("が仕上がり線から")};
        QTest::newRow("text near the top") << Setup([](CardDocument &doc) {
            addTextBox(doc, {40, 3, 100, 20}, QStringLiteral("上"));
        }) << 30 << QStringList{box(QStringLiteral("上")) + QStringLiteral("が仕上がり線から")};
        QTest::newRow("text over the trim") << Setup([](CardDocument &doc) {
            addTextBox(doc, {-10, 40, 100, 20}, QStringLiteral("外"));
        }) << 30 << QStringList{Msg::preflightTextCrossesTrim(box(QStringLiteral("外")))};
        QTest::newRow("QR code at the edge") << Setup([](CardDocument &doc) {
            addTextBox(doc, {0, 0, 100, 100}, QStringLiteral("QR:https://example.com"));
        }) << 30 << QStringList{box(QStringLiteral("QR:https://example.com"))};
        QTest::newRow("picture at 96 dpi") << Setup([](CardDocument &doc) {
            addImageBox(doc, {200, 40, 96, 96}, SheetImages::solid(QSize(96, 96), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightLowResolution(picture, 96)};
        QTest::newRow("picture at 300 dpi") << Setup([](CardDocument &doc) {
            addImageBox(doc, {200, 40, 96, 96}, SheetImages::solid(QSize(300, 300), qRgb(0, 0, 200)));
        }) << 30 << QStringList();
        QTest::newRow("picture wide, too low across") << Setup([](CardDocument &doc) {
            addImageBox(doc, {200, 40, 96, 96}, SheetImages::solid(QSize(200, 400), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightLowResolution(picture, 200)};
        QTest::newRow("picture stops inside the bleed") << Setup([](CardDocument &doc) {
            addImageBox(doc, {-5, 40, 100, 100}, SheetImages::solid(QSize(800, 800), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightShortOfBleed(picture)};
        QTest::newRow("picture flush with the trim") << Setup([](CardDocument &doc) {
            addImageBox(doc, {244, 108, 100, 100}, SheetImages::solid(QSize(800, 800), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightShortOfBleed(picture)};
        QTest::newRow("picture fills the bleed") << Setup([](CardDocument &doc) {
            addImageBox(doc, {-12, -12, 368, 232}, SheetImages::solid(QSize(2400, 1600), qRgb(0, 0, 200)));
        }) << 30 << QStringList();
        QTest::newRow("picture at the trim, no bleed asked") << Setup([](CardDocument &doc) {
            addImageBox(doc, {0, 40, 100, 100}, SheetImages::solid(QSize(800, 800), qRgb(0, 0, 200)));
        }) << 0 << QStringList();
        QTest::newRow("background colour and picture: they fill the bleed") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, DarkBlue, SheetImages::solid(QSize(1200, 760), qRgb(0, 0, 200)));
            addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("山田太郎"));
        }) << 30 << QStringList();
        QTest::newRow("picture stops inside the bleed, over a background") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, DarkBlue);
            addImageBox(doc, {-5, 40, 100, 100}, SheetImages::solid(QSize(800, 800), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightShortOfBleed(picture)};
        QTest::newRow("background picture at 104 dpi over the bleed box") << Setup([](CardDocument &doc) {
            setBackground(doc, Side::Front, std::nullopt, SheetImages::solid(QSize(400, 400), qRgb(0, 0, 200)));
        }) << 30 << QStringList{Msg::preflightLowResolution(Msg::backgroundPictureNamed(QStringLiteral("背景.png")), 104)};
        QTest::newRow("SVG logo: vectors, sharp at any size") << Setup([](CardDocument &doc) {
            const QImage logo = SvgPicture::fromBytes(
                "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='20'><rect width='20' height='20'/></svg>",
                QStringLiteral("logo.svg"));
            addImageBox(doc, {200, 40, 96, 96}, logo, QStringLiteral("logo.svg"));
        }) << 30 << QStringList();
        const auto rectangle = [](int n) { return Msg::preflightShortOfBleed(Msg::preflightShapeNamed(false, n)); };
        const auto line = [](int n) { return Msg::preflightShortOfBleed(Msg::preflightShapeNamed(true, n)); };
        QTest::newRow("band drawn to the trim only") << Setup([](CardDocument &doc) {
            doc.addShape(rectangleShape({0, 0}, {344, 40}, DarkBlue, 0));
        }) << 30 << QStringList{rectangle(1)};
        QTest::newRow("band into the bleed") << Setup([](CardDocument &doc) {
            doc.addShape(rectangleShape({-12, -12}, {356, 40}, DarkBlue, 0));
        }) << 30 << QStringList();
        QTest::newRow("frame's border over the trim, the frame inside") << Setup([](CardDocument &doc) {
            doc.addShape(rectangleShape({20, 20}, {324, 188}, std::nullopt, 10));
            doc.addShape(rectangleShape({0, 20}, {324, 188}, std::nullopt, 10));
        }) << 30 << QStringList{rectangle(2)};
        QTest::newRow("rectangle without fill or border leaves no ink") << Setup([](CardDocument &doc) {
            doc.addShape(rectangleShape({0, 0}, {344, 40}, std::nullopt, 0));
        }) << 30 << QStringList();
        QTest::newRow("rule inside the card; rule cut at the trim") << Setup([](CardDocument &doc) {
            doc.addShape(lineShape(LineDirection::Horizontal, {40, 100}, {300, 100}, 3));
            doc.addShape(lineShape(LineDirection::Horizontal, {0, 120}, {344, 120}, 3));
        }) << 30 << QStringList{line(2)};
        QTest::newRow("character the face lacks")
            << Setup([](CardDocument &doc) {
                   addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("山田𠮷男") + QString::fromUcs4(&NoGlyph, 1));
               })
            << 30
            << QStringList{QStringLiteral("の文字「") + QString::fromUcs4(&NoGlyph, 1) + QStringLiteral("」は書体")};
    }
    void preflight()
    {
        QFETCH(Setup, setup);
        QFETCH(int, bleed);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QStringList found;
        QVERIFY(!exported(dir, setup, jobWith(bleed, CropMarks::None), &found).isEmpty());
        QCOMPARE(found.size(), expected.size());
        for (int n = 0; n < expected.size(); ++n)
            QVERIFY2(found[n].contains(expected[n]), qPrintable(found[n]));
        // The dialog's list, made without the PDF, says the same.
        CardDocument doc;
        setup(doc);
        QCOMPARE(PrintShopExport::preflight(doc, jobWith(bleed, CropMarks::None)), found);
    }

    // A colour the conversion does not know (a gradient is a shading) is
    // reported, never passed over in silence.
    void unknownColourReported()
    {
        const QByteArray drawn = drawnPdf(
            [](QPainter &painter, QPdfWriter &) {
                QLinearGradient gradient(0, 0, 500, 0);
                gradient.setColorAt(0, Qt::red);
                gradient.setColorAt(1, Qt::blue);
                painter.fillRect(QRect(0, 0, 500, 500), gradient);
            },
            QPageSize(PrintShopLayout(PrintShopOptions()).pageMm(), QPageSize::Millimeter));
        QStringList problems;
        QString error;
        const std::optional<QByteArray> pdf =
            PdfxFinish::finish(drawn, PrintShopLayout(PrintShopOptions()),
                               {QStringLiteral("t"), QDateTime::currentDateTimeUtc()}, &problems, &error);
        QVERIFY(pdf);
        QVERIFY2(problems.contains(Msg::printShopColourNotConverted()), qPrintable(problems.join('\n')));
        // Not a PDF at all: an error, no file.
        QVERIFY(!PdfxFinish::finish("not a PDF", PrintShopLayout(PrintShopOptions()), {}, &problems, &error));
        QVERIFY(!error.isEmpty());
    }

    // A card without a back: its back cannot be asked for.
    void sides()
    {
        CardDocument doc;
        addTextBox(doc, {40, 40, 100, 20}, QStringLiteral("表"));
        QString problem;
        QVERIFY(!PrintShopExport::chosenSides(doc, SideChoice::Back, &problem));
        QCOMPARE(problem, Msg::printShopNoBack());
        QCOMPARE(PrintShopExport::chosenSides(doc, SideChoice::Both, nullptr)->size(), size_t(1));
        PrintShopJob job = jobWith(30, CropMarks::None);
        job.sides = SideChoice::Back;
        QString error;
        QVERIFY(!PrintShopExport::pdf(doc, job, nullptr, &error));
        QCOMPARE(error, Msg::printShopNoBack());
    }

    void bleedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("tenths");   // -1: refused
        QTest::newRow("whole") << "3" << 30;
        QTest::newRow("decimal") << "2.5" << 25;
        QTest::newRow("none") << "0" << 0;
        QTest::newRow("most") << "5" << 50;
        QTest::newRow("5.0") << "5.0" << 50;
        QTest::newRow("past the most") << "5.1" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("two decimals") << "2.55" << -1;
        QTest::newRow("comma") << "2,5" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("unit") << "3mm" << -1;
    }
    void bleedText()
    {
        QFETCH(QString, text);
        QFETCH(int, tenths);
        const std::optional<std::int32_t> parsed = parseBleedMm(text);
        QCOMPARE(parsed.value_or(-1), tenths);
    }
};

QTEST_MAIN(TestPrintShop)
#include "test_printshop.moc"
