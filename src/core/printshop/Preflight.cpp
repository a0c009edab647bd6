#include "printshop/Preflight.h"

#include "base/Messages.h"
#include "card/CardGeometry.h"
#include "card/CardShape.h"
#include "merge/BoxNames.h"
#include "picture/SvgPicture.h"
#include "qr/QrCaption.h"
#include "sheet/CardSheet.h"
#include "sheet/FaceFallback.h"
#include "sheet/FontMapping.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Preflight {
namespace {

constexpr double TrimWidthMm = 91.0;
constexpr double TrimHeightMm = 55.0;
// Closer to a line than this counts as on it: a screen pixel at 400 %
// zoom is larger.
constexpr double OnLineMm = 0.05;

// A picture's density printed over width × height mm, the lower of the two
// directions (a picture filled in keeps the higher one's excess outside).
double densityAt(const QImage &picture, double widthMm, double heightMm)
{
    return std::min(picture.width() / (widthMm / 25.4), picture.height() / (heightMm / 25.4));
}

double screenToMm(std::int64_t pixels, std::int32_t ppi) { return ppi > 0 ? double(pixels) * 25.4 / ppi : 0.0; }

// True when an edge of inkMm (card millimetres) lies on or past the trim
// but stops before the bleed edge.
bool stopsShortOfBleed(const QRectF &inkMm, double bleed)
{
    const auto shortOf = [bleed](double beyondTrim) {
        return beyondTrim > -OnLineMm && beyondTrim < bleed - OnLineMm;
    };
    return shortOf(-inkMm.left()) || shortOf(-inkMm.top()) || shortOf(inkMm.right() - TrimWidthMm)
           || shortOf(inkMm.bottom() - TrimHeightMm);
}

// Where a shape leaves ink, in card millimetres; empty for a rectangle with
// neither fill nor border. A line's ends are cut flat at its points; its
// width, like a border's, lies half on each side.
QRectF shapeInkMm(const CardShape &shape, std::int32_t ppi)
{
    if (!shape.isLine() && !shape.fill && shape.widthTenths <= 0)
        return {};
    const double half = shape.widthTenths / 20.0;
    const double left = screenToMm(shape.left(), ppi);
    const double top = screenToMm(shape.top(), ppi);
    const double right = screenToMm(shape.right(), ppi);
    const double bottom = screenToMm(shape.bottom(), ppi);
    if (shape.isLine() && shape.direction == LineDirection::Horizontal)
        return QRectF(QPointF(left, top - half), QPointF(right, bottom + half));
    if (shape.isLine() && shape.direction == LineDirection::Vertical)
        return QRectF(QPointF(left - half, top), QPointF(right + half, bottom));
    if (!shape.isLine() && shape.widthTenths <= 0)
        return QRectF(QPointF(left, top), QPointF(right, bottom));
    return QRectF(QPointF(left - half, top - half), QPointF(right + half, bottom + half));
}

// The characters of caption no installed face draws, each once: they
// print as the missing-glyph box. Those the box's face lacks but a face of
// its chain has print from that face, as the screen shows them.
QString lackedCharacters(const QString &caption, const QFont &font)
{
    QString lacked;
    for (const char32_t ucs4 : FaceFallback::missingCharacters(font, caption))
        lacked += QString::fromUcs4(&ucs4, 1);
    return lacked;
}

}   // namespace

QStringList textProblems(const CardDocument &doc, const CardSheet &sheet, int dpi, const SlotFilter &wanted,
                         const BoxName &nameOf)
{
    QStringList problems;
    std::map<int, QRectF> inkOf;
    for (const CardSheet::PrintedInk &ink : sheet.printedInk())
        inkOf[ink.slot] = ink.ink;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *box = doc.TextBoxes(slot);
        if (!box || (wanted && !wanted(slot)))
            continue;
        const QString name = nameOf ? nameOf(slot) : BoxNames::textBox(*box);
        if (const auto found = inkOf.find(slot); found != inkOf.end()) {
            const QRectF &ink = found->second;
            const auto mm = [dpi](double pixels) { return pixels * 25.4 / dpi; };
            const double nearest = std::min(
                {mm(ink.left()), mm(ink.top()), TrimWidthMm - mm(ink.right()), TrimHeightMm - mm(ink.bottom())});
            if (nearest < 0)
                problems << Msg::preflightTextCrossesTrim(name);
            else if (nearest < SafeMarginMm)
                problems << Msg::preflightTextNearTrim(name, nearest);
        }
        if (qrCaption(box->Caption))
            continue;
        BoxFont boxFont = box->Font;
        boxFont.setHeight(sheet.layout().printerFontHeight(box->Font.height()));
        const QFont font = FontMapping::toQFont(boxFont);
        const QString lacked = lackedCharacters(box->Caption, font);
        if (!lacked.isEmpty())
            problems << Msg::preflightMissingCharacters(name, lacked, box->Font.name());
    }
    return problems;
}

QStringList pictureProblems(const CardDocument &doc, const PrintShopOptions &options)
{
    QStringList problems;
    const double bleed = options.bleedTenthsMm / 10.0;
    const std::int32_t ppi = doc.screenPpi();
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const MoveImageRecord *record = doc.ImageBoxes(slot);
        if (!record || record->Picture.isNull())
            continue;
        const BoxBounds &b = record->bounds;
        const double left = screenToMm(b.Left, ppi);
        const double top = screenToMm(b.Top, ppi);
        const double right = screenToMm(std::int64_t(b.Left) + b.Width, ppi);
        const double bottom = screenToMm(std::int64_t(b.Top) + b.Height, ppi);
        if (right <= left || bottom <= top)
            continue;
        // A drawing prints as vectors, sharp at any size.
        if (!SvgPicture::isVector(record->Picture)) {
            const double dpi = densityAt(record->Picture, right - left, bottom - top);
            if (dpi < MinPictureDpi)
                problems << Msg::preflightLowResolution(BoxNames::imageBox(*record), int(std::floor(dpi)));
        }
        if (stopsShortOfBleed(QRectF(QPointF(left, top), QPointF(right, bottom)), bleed))
            problems << Msg::preflightShortOfBleed(BoxNames::imageBox(*record));
    }
    // A band or rule drawn to the trim shows a white hairline after a cut a
    // little off, as a picture does.
    const QList<CardShape> &shapes = doc.shapes();
    for (int n = 0; n < shapes.size(); ++n) {
        const QRectF ink = shapeInkMm(shapes[n], ppi);
        if (!ink.isNull() && stopsShortOfBleed(ink, bleed))
            problems << Msg::preflightShortOfBleed(Msg::preflightShapeNamed(shapes[n].isLine(), n + 1));
    }
    // The background picture is fitted to the bleed box; it never stops short.
    const CardBackground &background = doc.background();
    if (!background.picture.isNull() && !SvgPicture::isVector(background.picture)) {
        const double dpi = densityAt(background.picture, TrimWidthMm + 2 * bleed, TrimHeightMm + 2 * bleed);
        if (dpi < MinPictureDpi)
            problems << Msg::preflightLowResolution(BoxNames::backgroundPicture(background), int(std::floor(dpi)));
    }
    return problems;
}

QStringList check(const CardDocument &doc, const CardSheet &sheet, int dpi, const PrintShopOptions &options)
{
    return textProblems(doc, sheet, dpi) + pictureProblems(doc, options);
}

}   // namespace Preflight
