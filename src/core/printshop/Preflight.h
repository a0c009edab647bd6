#pragma once
// The checks a print shop makes on a card before it prints it, made before
// the export so that the user can mend the card first. Each problem is one
// line a user reads; the export is made all the same.
//
// - text (or a QR code) closer than 3 mm to the trim: the cut may touch it;
// - a picture under 300 dpi at the size it prints: it prints blurred;
// - characters no face draws, neither the box's nor one of its chain: they
//   print as the missing-glyph box;
// - a picture, line or rectangle that crosses the trim but stops short of
//   the bleed edge: a cut a little off shows a hairline of what lies under
//   it. The card's
//   background is drawn to the bleed edge and never stops short.
#include "card/CardDocument.h"
#include "printshop/PrintShopLayout.h"

#include <QStringList>

#include <functional>

class CardSheet;

namespace Preflight {

// Shops ask for these.
constexpr double SafeMarginMm = 3.0;
constexpr int MinPictureDpi = 300;

// The problems of doc's card as sheet lays it out at dpi, the card's
// top-left corner at the painter's origin; only the text boxes for which
// wanted says yes when given. nameOf names a box in the lines (by default
// its caption).
using SlotFilter = std::function<bool(int slot)>;
using BoxName = std::function<QString(int slot)>;
QStringList textProblems(const CardDocument &doc, const CardSheet &sheet, int dpi, const SlotFilter &wanted = {},
                         const BoxName &nameOf = {});
QStringList pictureProblems(const CardDocument &doc, const PrintShopOptions &options);

// Every check on doc's card.
QStringList check(const CardDocument &doc, const CardSheet &sheet, int dpi, const PrintShopOptions &options);

}   // namespace Preflight
