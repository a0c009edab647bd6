// QR code boxes: what is drawn and printed is read back by zbarimg to the exact
// content, in whole-pixel modules inside the quiet zone.
#include "BatchRun.h"
#include "ProcessUsage.h"
#include "SheetImages.h"
#include "TestFiles.h"
#include "base/Messages.h"
#include "card/CardDocument.h"
#include "qr/ContactCard.h"
#include "qr/QrCaption.h"
#include "qr/QrDrawing.h"
#include "sheet/CardSheet.h"
#include "sheet/SheetPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using SheetImages::drawnSheet;

namespace {

constexpr QRgb White = 0xffffffff;

const QString Japanese = QStringLiteral("山田 太郎／株式会社サンプル 営業部 ﾃｽﾄ");
const QString VCard = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:山田;太郎;;;\nFN:山田 太郎\n"
                                     "ORG:株式会社サンプル;営業部\nTEL;TYPE=CELL:090-1234-5678\n"
                                     "EMAIL:taro@example.jp\nURL:https://example.jp/\nEND:VCARD");

// What zbarimg reads in image, which holds one symbol at most: its bytes
// exactly as they are coded (zbar's own guess of the character set is left out).
QString decode(const QImage &image)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("code.png"));
    if (!image.save(path))
        return QStringLiteral("(not saved)");
    QProcess reader;
    reader.start(QStandardPaths::findExecutable(QStringLiteral("zbarimg")),
                 {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sbinary"), path});
    if (!reader.waitForFinished(60000))
        return QStringLiteral("(zbarimg did not finish)");
    return QString::fromUtf8(reader.readAllStandardOutput());
}

void addQrBox(CardDocument &doc, const QString &caption, BoxBounds bounds = {20, 20, 80, 80}, std::int32_t color = 0)
{
    doc.setScreenPpi(96);
    const int slot = doc.AddTextBox();
    doc.setTextCaption(slot, caption);
    doc.setTextBounds(slot, bounds);
    BoxFont font = doc.TextBoxes(slot)->Font;
    font.setColor(color);
    doc.setTextFont(slot, font);
}

// The smallest rectangle holding every pixel that is not white.
QRect inkExtent(const QImage &image, const QRect &area)
{
    QRect extent;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != White)
                extent |= QRect(x, y, 1, 1);
    return extent;
}

} // namespace

class TestQrCode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captions()
    {
        QVERIFY(!isQrCaption(QStringLiteral("qr:abc")) && !qrCaption(QStringLiteral("qr:abc")));   // upper case only
        QCOMPARE(qrLevelLetter(qrCaption(QStringLiteral("QR:https://example.jp/"))->level), 'M');   // unless told
        const std::optional<QrCaption> qr = qrCaption(QStringLiteral("QR:(H)abc"));
        QVERIFY(qr && isQrCaption(QStringLiteral("QR:(H)abc")));
        QCOMPARE(qr->content + qrLevelLetter(qr->level), QStringLiteral("abcH"));
        const std::optional<QrCaption> again = qrCaption(qr->captionText());
        QVERIFY(again && again->content == qr->content && again->level == qr->level);
    }

    void printedPdfReadsBack_data()
    {
        QTest::addColumn<std::int32_t>("color");   // as the card file keeps it: BGR
        QTest::addColumn<QRgb>("seen");
        QTest::addColumn<QString>("caption");
        // Black codes take the one-bit way through the PDF, others their colour.
        QTest::newRow("black, japanese, level H") << std::int32_t(0) << qRgb(0, 0, 0) << "QR:(H)" + Japanese;
        QTest::newRow("red vcard") << std::int32_t(0x0000ff) << qRgb(255, 0, 0) << "QR:" + VCard;
    }
    void printedPdfReadsBack()
    {
        QFETCH(std::int32_t, color);
        QFETCH(QRgb, seen);
        QFETCH(QString, caption);
        CardDocument doc;
        addQrBox(doc, caption, {20, 20, 80, 80}, color);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        QString error;
        QVERIFY2(SheetPrinter::writePdf(doc, SheetJob{}, pdf, &error), qPrintable(error));
        // The first card as a PDF reader shows it at 600 dpi.
        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(23622);
        probe.setDotsPerMeterY(23622);
        const CardSheet prepared(doc, probe);
        const QRect card(prepared.layout().pagePoint(0, 0, 0, 0), prepared.layout().pagePoint(0, 0, 344, 208));
        const QImage shown = SheetImages::shownPdfPage(
            pdf, {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-x"), QString::number(card.x()),
                  QStringLiteral("-y"), QString::number(card.y()), QStringLiteral("-W"), QString::number(card.width()),
                  QStringLiteral("-H"), QString::number(card.height())});
        QVERIFY(!shown.isNull());
        QCOMPARE(decode(shown), qrCaption(caption)->content);
        int dark = 0;
        for (int n = 0; n < shown.width() * shown.height(); ++n)
            dark += shown.pixel(n % shown.width(), n / shown.width()) == (seen | 0xff000000u) ? 1 : 0;
        QVERIFY(dark > 1000);
    }

    void modulesAreWholePixelsInsideTheQuietZone()
    {
        for (const int dpi : {300, 600}) {
            const QString content = QStringLiteral("https://example.jp/");
            CardDocument doc;
            addQrBox(doc, QStringLiteral("QR:") + content, {0, 0, 60, 60}, 0x0000ff);
            const QImage sheet = drawnSheet(doc, QSize(dpi * 100 / 25, dpi * 60 / 25), dpi, White);
            const CardSheet layoutOnly(doc, sheet);
            const SheetLayout &layout = layoutOnly.layout();
            const QRect cell(QPoint(layout.pageX(0, 0), layout.pageY(0, 0)),
                             QPoint(layout.pageX(0, 60) - 1, layout.pageY(0, 60) - 1));
            const QrSymbol symbol = QrSymbol::encode(content.toUtf8(), QrLevel::M);
            const int module = std::min(cell.width(), cell.height()) / (symbol.width() + 8);
            QVERIFY(module >= 2);
            const QRect ink = inkExtent(sheet, cell);
            QCOMPARE(ink.size(), QSize(symbol.width() * module, symbol.width() * module));
            // Four modules of white at least on every side within the box.
            QVERIFY(cell.marginsRemoved(QMargins(4, 4, 4, 4) * module).contains(ink));
            // Every module a solid square of red or white.
            for (int y = 0; y < symbol.width(); ++y) {
                for (int x = 0; x < symbol.width(); ++x) {
                    const QRgb expected = symbol.dark(x, y) ? qRgb(255, 0, 0) : White;
                    for (int py = 0; py < module; ++py)
                        for (int px = 0; px < module; ++px)
                            if (sheet.pixel(ink.left() + x * module + px, ink.top() + y * module + py) != expected)
                                QFAIL(qPrintable(QStringLiteral("module %1,%2 is not one colour").arg(x).arg(y)));
                }
            }
        }
    }

    // A box's code costs what its modules cost, whatever the box's size or
    // the resolution: a few kilobytes of vectors in the PDF, no picture.
    void largeBoxesPrintAsVectors_data()
    {
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("dpi");
        QTest::addColumn<int>("mostBytes");   // of the PDF
        const auto box = [](int n, int width, int colour) {
            return TestFiles::textRecord(QStringLiteral("#%1").arg(n), QStringLiteral("QR:https://example.jp/%1").arg(n),
                                         10 + n, 20, width, width, QStringLiteral("ＭＳ Ｐ明朝"), 10, colour);
        };
        // 3200 screen pixels at 96 ppi are 20000 pixels at 600 dpi.
        QTest::newRow("20000-pixel box, black") << box(0, 3200, 0) << "600" << 64 * 1024;
        QTest::newRow("20000-pixel box, red") << box(0, 3200, 0x0000ff) << "600" << 64 * 1024;
        QStringList twenty;
        for (int n = 0; n < 20; ++n)
            twenty << box(n, 80, n % 2 ? 0x0000ff : 0);
        QTest::newRow("20 boxes at 100000 dpi") << twenty << "100000" << 1024 * 1024;
        // 343597384 screen pixels are 2^31 pixels at 600 dpi: far off the page.
        QTest::newRow("a box of 2^31 pixels") << box(0, 343597384, 0) << "600" << 64 * 1024;
    }
    void largeBoxesPrintAsVectors()
    {
#ifdef TAVELO_ASAN
        QSKIP("the address space is limited: not under AddressSanitizer");
#endif
        QFETCH(QStringList, records);
        QFETCH(QString, dpi);
        QFETCH(int, mostBytes);
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("qr.tvl"));
        const QString pdf = dir.filePath(QStringLiteral("qr.pdf"));
        QVERIFY(TestFiles::writeFile(card, TestFiles::cardBytes(TestFiles::fixedLines() + records)));
        const QStringList args{QStringLiteral("print"), card, QStringLiteral("-o"), pdf, QStringLiteral("--dpi"), dpi};
        const BatchRun run = runBatchWithin(args, rlim_t(2) << 30);
        const QString said = QString::fromUtf8(run.err);
        QVERIFY2(run.exitCode == 0, qPrintable(QStringLiteral("exit %1: %2").arg(run.exitCode).arg(said)));
        const QByteArray bytes = TestFiles::readFile(pdf);
        QVERIFY2(bytes.size() > 0 && bytes.size() <= mostBytes, qPrintable(QString::number(bytes.size())));
        QCOMPARE(bytes.count("/Subtype /Image"), 0);
    }

    void screenShowsWhatCannotBeDrawn_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("message");
        // A version 1 symbol with its quiet zone is 29 modules wide; what fits is read back.
        QTest::newRow("too small") << "abc" << 28 << false;
        QTest::newRow("just fits") << "abc" << 29 << false;
        QTest::newRow("too long") << QString(2332, QLatin1Char('a')) << 200 << true;
    }
    void screenShowsWhatCannotBeDrawn()
    {
        QFETCH(QString, content);
        QFETCH(int, side);
        QFETCH(bool, message);
        const QrSymbol symbol = QrSymbol::encode(content.toUtf8(), QrLevel::M);
        QImage screen(side, side, QImage::Format_RGB32);
        screen.fill(Qt::blue);
        QPainter painter(&screen);
        painter.setFont(QFont(QStringLiteral("IPAGothic"), 9));
        QrDrawing::drawOnScreen(painter, screen.rect(), symbol, Qt::red);
        painter.end();
        int red = 0, grey = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QColor c = screen.pixelColor(x, y);
                red += c.red() > c.green() + 64 && c.red() > c.blue() + 64 ? 1 : 0;   // the text is smoothed
                grey += c.red() == c.green() && c.green() == c.blue() && c != Qt::white ? 1 : 0;
            }
        const bool fits = symbol.isValid() && QrDrawing::moduleSize(symbol.width(), screen.size()) > 0;
        if (fits) {
            QVERIFY(red > 0);
            QCOMPARE(decode(screen), content);
            return;
        }
        // The crossed box: both diagonals at least, in grey; the message in the
        // box's colour only when the content is too long.
        QVERIFY(grey >= 2 * side - 2);
        QCOMPARE(red > 0, message);
    }

    void tooLongPrintsNothing()
    {
        CardDocument doc;
        addQrBox(doc, QStringLiteral("QR:(H)") + QString(1274, QLatin1Char('a')), {0, 0, 300, 200});
        const QImage sheet = drawnSheet(doc, QSize(1200, 800), 300, White);
        QCOMPARE(inkExtent(sheet, sheet.rect()), QRect());
    }

    void batchToolNamesCodesAndRefusals()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("qr.tvl"));
        const QString tooLong = QStringLiteral("QR:(H)") + QString(1274, QLatin1Char('a'));
        QVERIFY(TestFiles::writeFile(
            path, TestFiles::cardBytes(TestFiles::fixedLines()
                                       + TestFiles::textRecord(QStringLiteral("#0"), QStringLiteral("QR:(Q)") + Japanese)
                                       + TestFiles::textRecord(QStringLiteral("#1"), QStringLiteral("名刺"))
                                       + TestFiles::textRecord(QStringLiteral("#2"), tooLong))));

        const BatchRun info = runBatch({QStringLiteral("info"), path});
        QCOMPARE(info.exitCode, 1);
        const QJsonObject card = QJsonDocument::fromJson(info.out).object();
        const QJsonArray boxes = card.value(QStringLiteral("textBoxes")).toArray();
        QCOMPARE(boxes.size(), 3);
        const QJsonObject qr = boxes[0].toObject();
        QVERIFY(qr.value(QStringLiteral("qr")).toBool());
        QCOMPARE(qr.value(QStringLiteral("content")).toString() + qr.value(QStringLiteral("level")).toString(), Japanese + 'Q');
        QVERIFY(!boxes[1].toObject().contains(QStringLiteral("qr")));
        QCOMPARE(card.value(QStringLiteral("messages")).toArray(), QJsonArray{Msg::qrTooLong()});

        const BatchRun print = runBatch({QStringLiteral("print"), path, QStringLiteral("-o"), dir.filePath(QStringLiteral("out.pdf"))});
        QCOMPARE(print.exitCode, 1);
        QVERIFY(QString::fromUtf8(print.err).contains(Msg::qrTooLong()));
    }

    void contactComposesAVCard()
    {
        ContactCard c;
        c.name = QStringLiteral("山田　太郎");
        c.kana = QStringLiteral("やまだ たろう");
        c.company = QStringLiteral("株式会社サンプル");
        c.department = QStringLiteral("営業部");
        c.title = QStringLiteral("課長");
        c.phone = QStringLiteral("03-1234-5678");
        c.mobile = QStringLiteral("090-1234-5678");
        c.email = QStringLiteral("taro@example.jp");
        c.url = QStringLiteral("https://example.jp/");
        c.address = QStringLiteral("東京都千代田区1-1, 2F");
        QCOMPARE(c.toVCard(), QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:山田;太郎;;;\nFN:山田　太郎\n"
                                             "X-PHONETIC-LAST-NAME:やまだ\nX-PHONETIC-FIRST-NAME:たろう\n"
                                             "ORG:株式会社サンプル;営業部\nTITLE:課長\nTEL;TYPE=WORK,VOICE:03-1234-5678\n"
                                             "TEL;TYPE=CELL:090-1234-5678\nEMAIL;TYPE=INTERNET:taro@example.jp\n"
                                             "URL:https://example.jp/\nADR;TYPE=WORK:;;東京都千代田区1-1\\, 2F;;;;\nEND:VCARD"));
    }

    void contactReadsBackOnlyItsOwnVCards_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isContact");
        ContactCard c;
        c.name = QStringLiteral("山田 太郎");
        c.company = QStringLiteral("サンプル");
        c.mobile = QStringLiteral("090");
        QTest::newRow("composed") << c.toVCard() << true;
        QTest::newRow("hand-written") << "BEGIN:VCARD\nVERSION:3.0\nFN:太郎\nNOTE:x\nEND:VCARD" << false;
        QTest::newRow("crlf lines") << c.toVCard().replace(QStringLiteral("\n"), QStringLiteral("\r\n")) << false;
    }
    void contactReadsBackOnlyItsOwnVCards()
    {
        QFETCH(QString, text);
        QFETCH(bool, isContact);
        const std::optional<ContactCard> card = ContactCard::fromVCard(text);
        QCOMPARE(card.has_value(), isContact);
        if (card)
            QCOMPARE(card->toVCard(), text);
    }
};

QTEST_MAIN(TestQrCode)
#include "test_qrcode.moc"
