#include "printshop/Preflight.h"

#include "base/Messages.h"
#include "card/CardGeometry.h"
#include "qr/QrCaption.h"
#include "sheet/CardSheet.h"
#include "sheet/FaceFallback.h"
#include "sheet/FontMapping.h"
#include "sheet/SheetLayout.h"

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

QString shortened(const QString &text, bool keepEnd)
{
    constexpr qsizetype Shown = 24;
    if (text.size() <= Shown)
        return text;
    const QString ellipsis(QChar(0x2026));
    return keepEnd ? ellipsis + text.right(Shown) : text.left(Shown) + ellipsis;
}

QString imageBoxName(const MoveImageRecord &record) { return Msg::mergeImageBox(shortened(record.ImagePath, true)); }

}   // namespace

QString textBoxName(const TextBox &box) { return Msg::mergeTextBox(shortened(box.Caption, false)); }

namespace {

double screenToMm(std::int64_t pixels, std::int32_t ppi) { return ppi > 0 ? double(pixels) * 25.4 / ppi : 0.0; }

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

QStringList textProblems(const CardDocument &doc, const QPaintDevice &device, int dpi, const SlotFilter &wanted,
                         const BoxName &nameOf)
{
    QStringList problems;
    const CardSheet sheet = CardSheet::singleCard(doc, device, dpi, 0);
    std::map<int, QRectF> inkOf;
    for (const CardSheet::PrintedInk &ink : sheet.printedInk())
        inkOf[ink.slot] = ink.ink;
    const SheetLayout layout = SheetLayout::singleCard(dpi, doc.screenPpi(), 0);
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        const TextBox *box = doc.TextBoxes(slot);
        if (!box || (wanted && !wanted(slot)))
            continue;
        const QString name = nameOf ? nameOf(slot) : textBoxName(*box);
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
        boxFont.setHeight(layout.printerFontHeight(box->Font.height()));
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
        // The picture's density at the size it prints, the lower of the two directions.
        const double dpi = std::min(record->Picture.width() / ((right - left) / 25.4),
                                    record->Picture.height() / ((bottom - top) / 25.4));
        if (dpi < MinPictureDpi)
            problems << Msg::preflightLowResolution(imageBoxName(*record), int(std::floor(dpi)));
        // An edge on or past the trim that stops before the bleed edge.
        const auto shortOfBleed = [&](double beyondTrim) {
            return beyondTrim > -OnLineMm && beyondTrim < bleed - OnLineMm;
        };
        if (shortOfBleed(-left) || shortOfBleed(-top) || shortOfBleed(right - TrimWidthMm)
            || shortOfBleed(bottom - TrimHeightMm))
            problems << Msg::preflightShortOfBleed(imageBoxName(*record));
        // A background (the card's own) fills the whole bleed: it has no such edge.
    }
    return problems;
}

QStringList check(const CardDocument &doc, const QPaintDevice &device, int dpi, const PrintShopOptions &options)
{
    return textProblems(doc, device, dpi) + pictureProblems(doc, options);
}

}   // namespace Preflight
