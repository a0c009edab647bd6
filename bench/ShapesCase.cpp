// Design elements against a plain card: the same card printed to PDF at
// 600 dpi, once as it is, once with a background, 20 lines and rectangles
// (dashed, dotted, rounded) and an SVG logo. The jobs run in this process,
// taking turns, so both figures come from the same machine at the same time.
#include "Cases.h"

#include "BenchCard.h"
#include "Measure.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "picture/SvgPicture.h"
#include "sheet/SheetPrinter.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

const QByteArray Logo = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64' viewBox='0 0 64 64'>"
                        "<circle cx='32' cy='32' r='30' fill='#1f4e8c'/><path d='M14 40 L32 12 L50 40 Z' "
                        "fill='#fff'/><rect x='14' y='44' width='36' height='6' fill='#f2a900'/></svg>";

void addDesign(CardDocument &doc)
{
    CardBackground background;
    background.color = 0xf0f8ff;
    doc.setBackground(background);
    for (int n = 0; n < CardSide::MaxShapes; ++n) {
        CardShape shape;
        if (n % 2 == 0) {
            shape.direction = n % 4 == 0 ? LineDirection::Horizontal : LineDirection::Free;
            shape.x1 = 10;
            shape.y1 = 10 + n * 9;
            shape.x2 = 330;
            shape.y2 = n % 4 == 0 ? shape.y1 : shape.y1 + 20;
            shape.widthTenths = 1 + n;
            shape.style = StrokeStyle(n % 3);
        } else {
            shape.kind = ShapeKind::Rectangle;
            shape.x1 = 4 + n;
            shape.y1 = 4 + n;
            shape.x2 = 340 - n;
            shape.y2 = 204 - n;
            shape.widthTenths = 3;
            shape.style = StrokeStyle(n % 3);
            shape.radiusTenths = n * 5;
            if (n == 1)
                shape.fill = 0xeeeeee;
        }
        shape.color = 0x8c4e1f;
        doc.addShape(shape);
    }
    // The logo in place of the first picture, or in a box of its own.
    int slot = 0;
    if (!doc.ImageBoxes(slot))
        slot = doc.AddImageBox();
    if (slot >= 0) {
        doc.setImageBounds(slot, {260, 40, 64, 64});
        doc.setImagePath(slot, QStringLiteral("logo.svg"));
        doc.setImagePicture(slot, SvgPicture::fromBytes(Logo, QStringLiteral("logo.svg")));
    }
}

} // namespace

void shapesCase(const BenchSetup &setup, ResultTable &table)
{
    CardDocument plain, designed;
    for (CardDocument *doc : {&plain, &designed}) {
        doc->setScreenPpi(BenchCard::ScreenPpi);
        BenchCard::fill(*doc, 20, {});
    }
    addDesign(designed);

    const QDir dir(setup.dir);
    const std::vector<double> medians = mediansInTurns(
        setup.runs, {[&] { return BenchCard::pdfSeconds(plain, dir.filePath(QStringLiteral("plain-card.pdf"))); },
                     [&] { return BenchCard::pdfSeconds(designed, dir.filePath(QStringLiteral("designed-card.pdf"))); }});
    const double plainTime = medians[0];
    const double designedTime = medians[1];
    const QString ms = QStringLiteral(" ms");
    table.section(QStringLiteral("Design elements: PDF at 600 dpi, 20 shapes, a background and an SVG logo"));
    table.reference(QStringLiteral("plain card: time"), QString::number(plainTime * 1000, 'f', 1) + ms);
    table.reference(QStringLiteral("with the design elements: time"), QString::number(designedTime * 1000, 'f', 1) + ms);
    table.atMost(QStringLiteral("with the design elements / plain card"), designedTime / plainTime, 1.3,
                 QStringLiteral(" x"));
}
