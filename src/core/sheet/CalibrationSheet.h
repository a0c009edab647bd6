#pragma once
// The calibration page: what a user prints to see how far a printer's sheet
// lands from the paper's perforations. The outline of every card of the
// layout, a crosshair at each card's centre, a millimetre ruler along the top
// and the left edge measured from the sheet's origin, and a line saying which
// printer and offset printed it. Everything moves with the offset, exactly as
// the card sheet does.
#include "sheet/SheetLayout.h"

#include <QSizeF>
#include <QString>

class QPainter;

namespace CalibrationSheet {

// Where the rulers run, in tenths of a millimetre from the sheet's origin:
// the top ruler's line, the left ruler's line, and the longest tick.
inline constexpr std::int32_t TopRulerTenths = 90;
inline constexpr std::int32_t LeftRulerTenths = 110;
inline constexpr std::int32_t LongTickTenths = 40;
inline constexpr std::int32_t MiddleTickTenths = 25;
inline constexpr std::int32_t ShortTickTenths = 15;

// The length of a tick at mm millimetres from the origin.
std::int32_t tickTenths(int mm);

// Draws the page for a paper of pageMm with the painter's origin at the
// layout's (the paper's corner for any layout but the standard sheet).
void draw(QPainter &painter, const SheetLayout &layout, const QSizeF &pageMm, const QString &note);

} // namespace CalibrationSheet
