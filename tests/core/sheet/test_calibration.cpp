// Printer calibration: offsets kept per printer in the user's settings, and
// the calibration page drawn at 300 dpi and read back; the page's back, as a
// PDF read back by poppler, standing behind the front.
#include "SheetImages.h"
#include "TestFiles.h"
#include "sheet/CalibrationSheet.h"
#include "sheet/FontMapping.h"
#include "sheet/PrinterCalibration.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

Q_DECLARE_METATYPE(SheetOffset)
Q_DECLARE_METATYPE(DuplexMode)

namespace {

constexpr int PdfDpi = 150;

// The page of the PDF at PdfDpi in grey, without smoothing.
QImage pdfPage(const QString &pdf, int page)
{
    return SheetImages::shownPdfPage(
        pdf,
        QStringLiteral("-r %1 -f %2 -l %2 -gray -aa no -aaVector no").arg(PdfDpi).arg(page).split(QLatin1Char(' ')));
}

bool dark(const QImage &image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// The columns dark over nearly all of the rows from top to bottom (the
// cards' vertical outlines and the left ruler's line; crosshairs, ticks and
// text are far shorter), and the rows dark over nearly all of the columns
// from left to right (the horizontal outlines, the top ruler's line).
std::vector<int> longLines(const QImage &image, Qt::Orientation lines, int from, int to)
{
    const bool columns = lines == Qt::Vertical;
    const int count = columns ? image.width() : image.height();
    std::vector<int> found;
    for (int line = 0; line < count; ++line) {
        int darkPixels = 0;
        for (int along = from; along < to; ++along)
            darkPixels += (columns ? dark(image, line, along) : dark(image, along, line)) ? 1 : 0;
        if (darkPixels * 10 > (to - from) * 9)
            found.push_back(line);
    }
    return found;
}

std::vector<int> longColumns(const QImage &image, int top, int bottom)
{
    return longLines(image, Qt::Vertical, top, bottom);
}

std::vector<int> longRows(const QImage &image, int left, int right)
{
    return longLines(image, Qt::Horizontal, left, right);
}

// Where a line at pixel p stands on the back when the page turns across
// that direction (extent pixels), moved by shift pixels.
std::vector<int> behind(const std::vector<int> &front, bool turned, int extent, int shift)
{
    std::vector<int> back;
    for (const int p : front)
        back.push_back((turned ? extent - 1 - p : p) + shift);
    std::sort(back.begin(), back.end());
    return back;
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontMapping::installFaceSubstitutions(); }

    void offsets_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<SheetOffset>("stored");
        QTest::addColumn<SheetOffset>("read");
        QTest::newRow("beyond the limits") << QStringLiteral("p") << SheetOffset{-201, 5000} << SheetOffset{-200, 200};
        QTest::newRow("a name with separators") << QStringLiteral("ipp://host/printers/a\\b c") << SheetOffset{3, -4}
                                                << SheetOffset{3, -4};
        QTest::newRow("no name keeps nothing") << QString() << SheetOffset{7, 7} << SheetOffset{};
    }
    void offsets()
    {
        QFETCH(QString, printer);
        QFETCH(SheetOffset, stored);
        QFETCH(SheetOffset, read);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("settings.ini"));
        {
            QSettings settings(file, QSettings::IniFormat);
            PrinterCalibration(&settings).setOffset(printer, stored);
            PrinterCalibration(&settings).setOffset(QStringLiteral("other"), SheetOffset{9, 9});
        }
        QSettings settings(file, QSettings::IniFormat);
        const PrinterCalibration calibration(&settings);   // read back from the file
        QCOMPARE(calibration.offsetFor(printer), read);
        QCOMPARE(calibration.offsetFor(QStringLiteral("other")), (SheetOffset{9, 9}));
        QCOMPARE(calibration.offsetFor(QStringLiteral("never calibrated")), SheetOffset{});
    }

    // Values edited by hand in the settings file are kept within range.
    void storedByHand()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("printerCalibration/p/x"), QStringLiteral("left a bit"));
        settings.setValue(QStringLiteral("printerCalibration/p/y"), QStringLiteral("-99999999999"));
        QCOMPARE(PrinterCalibration(&settings).offsetFor(QStringLiteral("p")), (SheetOffset{0, -200}));
        // A zero offset leaves no entry behind.
        PrinterCalibration(&settings).setOffset(QStringLiteral("p"), {});
        QVERIFY(settings.allKeys().isEmpty());
    }

    // The back-side offset is kept beside the front's: clearing one leaves
    // the other, and it is brought into range as the front's is.
    void backOffsetKeptApart()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        PrinterCalibration calibration(&settings);
        const QString printer = QStringLiteral("office/duplex");
        calibration.setOffset(printer, {5, -5});
        calibration.setBackOffset(printer, {12, 999});
        calibration.setOffset(printer, {});
        QCOMPARE(calibration.offsetFor(printer), SheetOffset{});
        QCOMPARE(PrinterCalibration(&settings).backOffsetFor(printer), (SheetOffset{12, 200}));
        calibration.setBackOffset(printer, {});
        QVERIFY(settings.allKeys().isEmpty());
    }

    // The ten-up page at 300 dpi shifted by −0.5 mm and +1.2 mm: pixels are
    // (tenths − 5) × 300 ÷ 254 and (tenths + 12) × 300 ÷ 254, rounded.
    void page()
    {
        QImage image(2480, 3508, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(11811);
        image.fill(Qt::white);
        const SheetLayout layout(300, 300, 96, 0, 0, PaperLayout::tenUp(), SheetOffset{-5, 12});
        {
            QPainter painter(&image);
            CalibrationSheet::draw(painter, layout, QSizeF(210, 297), QStringLiteral("test"));
        }
        const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
        // The top ruler's line at 9 mm: 120.5 → 120; a 4 mm tick at 50 mm (585), one pixel wide.
        QCOMPARE(image.pixel(700, 120), black);
        QCOMPARE(image.pixel(585, 119), black);
        QCOMPARE(image.pixel(586, 119), white);
        QCOMPARE(image.pixel(585, 120 - 46), black);   // 102 − 40 tenths: 73.2 → 73 .. 119
        // The left ruler's line at 11 mm: 124.0 → 124; a tick at 100 mm (1195).
        QCOMPARE(image.pixel(124, 2000), black);
        QCOMPARE(image.pixel(123, 2000), white);
        QCOMPARE(image.pixel(123, 1195), black);
        // The first card's outline from (159, 144) to (1233, 793), the next right after.
        for (const QPoint p : {QPoint(159, 144), QPoint(1233, 793), QPoint(1234, 144)})
            QCOMPARE(image.pixel(p), black);
        QCOMPARE(image.pixel(160, 145), white);
        // The crosshair at the card's centre (696, 469), arms of 5 mm (59 pixels).
        for (const QPoint p : {QPoint(696, 469), QPoint(696 + 59, 469), QPoint(696, 469 + 59)})
            QCOMPARE(image.pixel(p), black);
        QCOMPARE(image.pixel(696 + 61, 469), white);
    }

    // Printed with a duplex mode, the page gets a back whose card outlines
    // stand behind the front's once the sheet is turned: across the page
    // (page width − x) for a long-edge turn, top to bottom for a short one,
    // moved by the back-side offset on the back page (right and down). The
    // front offset moves both pages alike, as a printer shifts both.
    void backPage_data()
    {
        QTest::addColumn<DuplexMode>("mode");
        QTest::addColumn<SheetOffset>("offset");
        QTest::addColumn<SheetOffset>("backOffset");
        QTest::addColumn<int>("pages");
        QTest::newRow("one-sided: no back") << DuplexMode::OneSided << SheetOffset{} << SheetOffset{20, 0} << 1;
        QTest::newRow("long edge") << DuplexMode::LongEdge << SheetOffset{} << SheetOffset{} << 2;
        QTest::newRow("long edge, back 2 mm right, 1 mm up")
            << DuplexMode::LongEdge << SheetOffset{} << SheetOffset{20, -10} << 2;
        QTest::newRow("long edge, front offset too")
            << DuplexMode::LongEdge << SheetOffset{-17, 12} << SheetOffset{-8, 5} << 2;
        QTest::newRow("short edge, back 1.5 mm down")
            << DuplexMode::ShortEdge << SheetOffset{} << SheetOffset{0, 15} << 2;
        QTest::newRow("backs only: the back page alone")
            << DuplexMode::BackOnly << SheetOffset{} << SheetOffset{10, 10} << 1;
    }
    void backPage()
    {
        QFETCH(DuplexMode, mode);
        QFETCH(SheetOffset, offset);
        QFETCH(SheetOffset, backOffset);
        QFETCH(int, pages);
        if (!SheetImages::pdfReaderInstalled())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("calibration.pdf"));
        const SheetSides sides = SheetSides::of(mode, backOffset);
        // A grid placed off the middle both ways, with gaps between the cards:
        // no mirror of it is the grid itself.
        const PaperLayout paper = PaperLayout::custom(2, 4, 200, 150, 930, 580);
        {
            QPdfWriter writer(pdf);
            writer.setResolution(PdfDpi);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter(&writer);
            const SheetLayout layout(PdfDpi, PdfDpi, 96, 0, 0, paper, offset);
            QVERIFY(CalibrationSheet::printPages(painter, writer, layout, sides, QSizeF(210, 297),
                                                 QStringLiteral("front"), QStringLiteral("back")));
        }
        QCOMPARE(TestFiles::pdfPageCount(TestFiles::readFile(pdf)), pages);

        // The front as it is printed one-sided, for the back to be read against.
        const QString frontPdf = dir.filePath(QStringLiteral("front.pdf"));
        {
            QPdfWriter writer(frontPdf);
            writer.setResolution(PdfDpi);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter(&writer);
            const SheetLayout layout(PdfDpi, PdfDpi, 96, 0, 0, paper, offset);
            CalibrationSheet::draw(painter, layout, QSizeF(210, 297), QStringLiteral("front"));
        }
        const QImage front = pdfPage(frontPdf, 1);
        QVERIFY(!front.isNull());
        // Bands through the cards, clear of the rulers: 60–240 mm down, 25–190 mm across.
        const auto px = [](double mm) { return int(std::lround(mm * PdfDpi / 25.4)); };
        const std::vector<int> frontColumns = longColumns(front, px(60), px(240));
        const std::vector<int> frontRows = longRows(front, px(25), px(190));
        QCOMPARE(int(frontColumns.size()), 5);   // two columns of cards, two edges each, and the ruler
        QCOMPARE(int(frontRows.size()), 9);      // four rows, and the ruler

        const bool hasBack = mode != DuplexMode::OneSided;
        const QImage first = pdfPage(pdf, 1);
        if (mode != DuplexMode::BackOnly) {   // the job's front is the front
            QCOMPARE(longColumns(first, px(60), px(240)), frontColumns);
            QCOMPARE(longRows(first, px(25), px(190)), frontRows);
        }
        if (!hasBack)
            return;
        const QImage back = mode == DuplexMode::BackOnly ? first : pdfPage(pdf, 2);
        QCOMPARE(back.size(), front.size());
        const bool acrossWidth = mode != DuplexMode::ShortEdge;   // a portrait page
        const auto shift = [](std::int32_t tenths) { return int(std::lround(tenths * PdfDpi / 254.0)); };
        // The front offset and the back's own, on a page whose mirror is
        // taken without any offset: the lines before shifting are
        // frontColumns less the front offset.
        const std::vector<int> unshiftedColumns = behind(frontColumns, false, 0, -shift(offset.x));
        const std::vector<int> unshiftedRows = behind(frontRows, false, 0, -shift(offset.y));
        const int backX = shift(offset.x + backOffset.x), backY = shift(offset.y + backOffset.y);
        const std::vector<int> expectedColumns = behind(unshiftedColumns, acrossWidth, back.width(), backX);
        const std::vector<int> expectedRows = behind(unshiftedRows, !acrossWidth, back.height(), backY);
        const std::vector<int> columns = longColumns(back, px(60), px(240));
        const std::vector<int> rows = longRows(back, px(25), px(190));
        // Every line found is one expected and every line expected is found,
        // two pixels either way (0.34 mm): each edge is rounded with the
        // offsets before the turn, so touching cards' edges, neighbouring
        // lines on the front, may meet or part by a pixel on the back. A
        // missing or reversed offset or turn is many pixels off.
        const auto within = [](const std::vector<int> &lines, int at) {
            return std::any_of(lines.begin(), lines.end(), [at](int p) { return std::abs(p - at) <= 2; });
        };
        for (const auto &[found, expected, what] :
             {std::tuple{&columns, &expectedColumns, "column"}, std::tuple{&rows, &expectedRows, "row"}}) {
            for (const int p : *found)
                QVERIFY2(within(*expected, p),
                         qPrintable(QStringLiteral("a %1 at %2 where none stands behind the front")
                                        .arg(QLatin1String(what))
                                        .arg(p)));
            for (const int p : *expected)
                QVERIFY2(within(*found, p), qPrintable(QStringLiteral("no %1 at %2").arg(QLatin1String(what)).arg(p)));
        }
        // The back's crosshairs carry a millimetre scale (twenty ticks of a
        // few pixels each); the front's do not. A card of the second row, away
        // from the notes.
        const auto inkAround = [&](const QImage &page, int x, int y) {
            int count = 0;
            for (int dy = px(-6); dy <= px(6); ++dy)
                for (int dx = px(-6); dx <= px(6); ++dx)
                    count += dark(page, x + dx, y + dy) ? 1 : 0;
            return count;
        };
        // A card's centre: the middle of the first pair of lines a card's
        // width apart, and of the second pair a card's height apart.
        const auto centre = [px](const std::vector<int> &lines, int sizeMm, int pair) {
            for (size_t i = 0; i < lines.size(); ++i)
                for (size_t j = i + 1; j < lines.size(); ++j)
                    if (std::abs(lines[j] - lines[i] - px(sizeMm)) <= px(2) && pair-- == 0)
                        return (lines[i] + lines[j]) / 2;
            return -1;
        };
        const int frontInk = inkAround(front, centre(frontColumns, 91, 0), centre(frontRows, 55, 1));
        const int backInk = inkAround(back, centre(columns, 91, 0), centre(rows, 55, 1));
        QVERIFY2(backInk >= frontInk + 50, qPrintable(QStringLiteral("%1 against %2").arg(backInk).arg(frontInk)));
    }
};

QTEST_MAIN(TestCalibration)
#include "test_calibration.moc"
