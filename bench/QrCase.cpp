// QR code boxes against text boxes: the same card printed to PDF at 600 dpi,
// once with 20 text boxes, once with those 20 boxes turned into QR codes of
// contacts. The jobs run in this process, taking turns.
#include "Cases.h"

#include "BenchCard.h"
#include "Measure.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "qr/ContactCard.h"
#include "sheet/SheetPrinter.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The captions' colours stay unless black is asked for.
void turnIntoQrCodes(CardDocument &doc, bool black)
{
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *box = doc.TextBoxes(slot);
        if (!box)
            continue;
        ContactCard contact;
        contact.name = QStringLiteral("山田 太郎%1").arg(slot);
        contact.company = QStringLiteral("株式会社サンプル");
        contact.phone = QStringLiteral("03-1234-%1").arg(5600 + slot);
        contact.email = QStringLiteral("staff%1@example.jp").arg(slot);
        contact.url = QStringLiteral("https://example.jp/staff/%1").arg(slot);
        doc.setTextCaption(slot, QStringLiteral("QR:") + contact.toVCard());
        // Five columns of four rows, as the image boxes stand.
        doc.setTextBounds(slot, {8 + (slot % 5) * 66, 8 + (slot / 5) * 50, 48, 48});
        if (black) {
            BoxFont font = doc.TextBoxes(slot)->Font;
            font.setColor(0);
            doc.setTextFont(slot, font);
        }
    }
}

} // namespace

void qrCase(const BenchSetup &setup, ResultTable &table)
{
    CardDocument text, qr, colouredQr;
    for (CardDocument *doc : {&text, &qr, &colouredQr}) {
        doc->setScreenPpi(BenchCard::ScreenPpi);
        BenchCard::fill(*doc, 20, {});
    }
    turnIntoQrCodes(qr, true);
    turnIntoQrCodes(colouredQr, false);

    const QDir dir(setup.dir);
    const std::vector<double> medians = mediansInTurns(
        setup.runs, {[&] { return BenchCard::pdfSeconds(text, dir.filePath(QStringLiteral("text-boxes.pdf"))); },
                     [&] { return BenchCard::pdfSeconds(qr, dir.filePath(QStringLiteral("qr-boxes.pdf"))); },
                     [&] {
                         return BenchCard::pdfSeconds(colouredQr, dir.filePath(QStringLiteral("coloured-qr-boxes.pdf")));
                     }});
    const double textTime = medians[0];
    const double qrTime = medians[1];
    const QString ms = QStringLiteral(" ms");
    table.section(QStringLiteral("QR codes: PDF at 600 dpi, 20 QR boxes against 20 text boxes"));
    table.reference(QStringLiteral("20 text boxes: time"), QString::number(textTime * 1000, 'f', 1) + ms);
    // Every cell draws its codes' modules as rectangles (about 600 a code
    // here, written into the page 160 times): their cost is the PDF writer's
    // per rectangle, not the box's pixels.
    table.atMost(QStringLiteral("20 black QR boxes (contacts): time"), qrTime * 1000, 3.0 * textTime * 1000, ms, 1);
    table.atMost(QStringLiteral("20 black QR boxes / 20 text boxes"), qrTime / textTime, 3.0, QStringLiteral(" x"));
    // Vectors cost the same in any colour.
    table.reference(QStringLiteral("20 QR boxes in the captions' colours: time"),
                    QString::number(medians[2] * 1000, 'f', 1) + ms);
}
