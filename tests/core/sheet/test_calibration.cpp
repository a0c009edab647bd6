// Printer calibration: offsets kept per printer in the user's settings, and
// the calibration page drawn at 300 dpi and read back.
#include "sheet/CalibrationSheet.h"
#include "sheet/FontMapping.h"
#include "sheet/PrinterCalibration.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SheetOffset)

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
};

QTEST_MAIN(TestCalibration)
#include "test_calibration.moc"
