#pragma once
// The calibration page: what a user prints to see how far a printer's sheet
// lands from the paper's perforations. The outline of every card of the
// layout, a crosshair at each card's centre, a millimetre ruler along the top
// and the left edge measured from the sheet's origin, and a line saying which
// printer and offset printed it. Everything moves with the offset, exactly as
// the card sheet does.
//
// For a two-sided job the page gets a back: the same marks, turned over the
// page's edge as the card sheet's backs are, so that they stand behind the
// front's, shifted by the back-side offset as well. Each crosshair of the back
// carries a millimetre scale on its arms: held against the light, the
// front's crosshair shows through at the amount to add to the back-side
// offset (right and down positive).
#include "sheet/SheetLayout.h"
#include "sheet/SheetPrinter.h"

#include <QSizeF>
#include <QString>

class QPagedPaintDevice;
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

// The scale on a back crosshair's arms: a tick every millimetre, longer at 5.
inline constexpr std::int32_t ScaleTickTenths = 6;
inline constexpr std::int32_t ScaleLongTickTenths = 12;

// Draws the page for a paper of pageMm with the painter's origin at the
// layout's (the paper's corner for any layout but the standard sheet). A
// turned-over layout draws the back page: its marks where the back of the
// front's land, its crosshairs with their scales.
void draw(QPainter &painter, const SheetLayout &layout, const QSizeF &pageMm, const QString &note);

// The calibration job on a paged device, the painter open on its first page:
// the front page (layout), then for a job with backs the back page turned and
// shifted as sides say; a job of backs only prints the back page alone. False
// when the device refused a new page.
bool printPages(QPainter &painter, QPagedPaintDevice &device, const SheetLayout &layout, const SheetSides &sides,
                const QSizeF &pageMm, const QString &frontNote, const QString &backNote);

} // namespace CalibrationSheet
