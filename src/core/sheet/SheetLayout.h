#pragma once
// Where things stand on a printed card sheet: the card cells of the paper
// layout shifted by the margins (and by a calibration offset), and cut-guide
// crosses at the card corners. Pure arithmetic in printer pixels.
//
// Every position is reproducible to the pixel: a product of two integers is
// formed exactly and then converted to 80-bit extended, everything after that
// is extended arithmetic evaluated left to right, and only the whole sum is
// rounded (ties to even). The standard sheet then adds its sheet offset of
// 10 pixels and stands in the printable area; the other layouts are measured
// from the paper's corner and add nothing.
#include "card/PaperLayout.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// A shift of the whole sheet in tenths of a millimetre: a printer's
// calibration, or a job's own offset. Positive is right and down.
struct SheetOffset {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const SheetOffset &o) const { return x == o.x && y == o.y; }
};

// How a printed sheet is turned over to print its back: about its long edge
// or about its short edge.
enum class SheetTurn { LongEdge, ShortEdge };

// A sheet printed on the back of a page of fronts: how the page is turned,
// the page's size in device pixels, where the painter's origin stands on it
// (the printable area's corner for the standard sheet on a printer, else
// the paper's corner) and the back-side offset, added to the sheet's own.
struct BackSheet {
    SheetTurn turn = SheetTurn::LongEdge;
    QSize pagePixels;
    QPoint origin;
    SheetOffset offset;
};

class SheetLayout
{
public:
    static constexpr std::int32_t StandardSheetOffset = 10;   // added to every x and y of the standard sheet
    static constexpr std::int32_t CrossHalfArm = 10;

    // dpiX, dpiY: the printer's pixels per inch; screenPpi: the density the
    // box positions were laid out at; margins in millimetres; paper: where
    // the cards stand (an invalid layout counts as the standard one);
    // offset: a shift of everything on the sheet.
    SheetLayout(std::int32_t dpiX, std::int32_t dpiY, std::int32_t screenPpi,
                std::int32_t marginLeftMm, std::int32_t marginTopMm,
                const PaperLayout &paper = PaperLayout::standard(), SheetOffset offset = {});

    // One card alone at dpi, its top-left corner originPixels right of and
    // below the page's corner: every card point lands where it lands in a
    // cell of any sheet at that density, less the cell's origin.
    static SheetLayout singleCard(std::int32_t dpi, std::int32_t screenPpi, std::int32_t originPixels);

    // The same sheet for the back of the page: every card stands where the
    // back of its front lands once the page is turned over (for a portrait
    // page turned about its long edge, a card whose front stands at x stands
    // at page width − x − card width), and so do the cut guides. Nothing
    // within a card is mirrored: the whole card moves.
    SheetLayout turnedOver(const BackSheet &back) const;
    bool isTurnedOver() const { return m_mirrorX || m_mirrorY; }

    std::int32_t dpiX() const { return m_dpiX; }
    std::int32_t dpiY() const { return m_dpiY; }
    std::int32_t screenPpi() const { return m_screenPpi; }
    const PaperLayout &paper() const { return m_paper; }
    // Whether positions are measured from the paper's corner rather than
    // from the printable area's.
    bool fromPaperCorner() const { return !m_paper.isStandard(); }

    int columns() const { return m_paper.columns; }
    int rows() const { return m_paper.rows; }
    // Cut-guide crosses stand on every line through card edges: between
    // touching cards one line, around a gap two.
    int guideColumns() const { return int(m_guideX.size()); }
    int guideRows() const { return int(m_guideY.size()); }

    // The origin terms of a cell before rounding.
    long double columnTerm(std::int64_t column) const;
    long double rowTerm(std::int64_t row) const;
    long double leftMarginTerm() const;
    long double topMarginTerm() const;
    long double offsetXTerm() const;
    long double offsetYTerm() const;

    // Page coordinates of the card point (px, py), given in screen pixels of
    // the card panel, in the card cell (column, row). The card point is 64-bit
    // so that a box's far edge (Left + Width) never wraps.
    std::int32_t pageX(int column, std::int64_t px) const;
    std::int32_t pageY(int row, std::int64_t py) const;
    QPoint pagePoint(int column, int row, std::int64_t px, std::int64_t py) const;

    // The far (right, bottom) edge of the cards in a column or row, on the
    // page: for touching cards the next cell's origin.
    std::int32_t cardRightX(int column) const;
    std::int32_t cardBottomY(int row) const;

    // A point given in tenths of a millimetre from the sheet's origin (the
    // paper's corner, or the standard sheet's first cross at margins 0),
    // shifted by the offset but not by the margins: what a ruler marks.
    QPoint sheetPoint(std::int64_t tenthsX, std::int64_t tenthsY) const;

    // The centre of the cut-guide cross at the card corner (guideColumn, guideRow).
    QPoint crossCentre(int guideColumn, int guideRow) const;

    // The card's width in printer pixels: the right edge text must stay left of.
    long double cardWidthPixels() const;

    // The pixel height of a box font on the printer: the box font's whole
    // point size at the printer's vertical density, or the height itself
    // when the printer's density is the screen's.
    std::int32_t printerFontHeight(std::int32_t boxFontHeight) const;

    // Text widths in printer pixels, as the printer measures them.
    using TextWidth = std::function<std::int64_t(const QString &)>;

    // What is printed of caption for a box at left (screen pixels):
    // the longest prefix whose right end stays strictly inside the card,
    // shortened one whole character at a time (a double-byte character or a
    // surrogate pair is one step, never split). When not even one character
    // fits, that first character is printed; an empty caption gives nothing.
    QString fitCaption(const QString &caption, std::int32_t left, const TextWidth &width) const;
    // The same for a vertical line from a box at top: its lower end stays
    // strictly inside the card's bottom edge; length measures it.
    QString fitCaptionDown(const QString &caption, std::int32_t top, const TextWidth &length) const;

    // The card's height in printer pixels.
    long double cardHeightPixels() const;

private:
    // The sheet's two directions are worked out alike: x by columns across
    // the card's width, y by rows down its height.
    enum class Axis { X, Y };
    std::int32_t dpi(Axis axis) const { return axis == Axis::X ? m_dpiX : m_dpiY; }
    long double cellTerm(Axis axis, std::int64_t cell) const;
    // The far edge of the cards in that column or row, before any margin.
    long double farEdgeTerm(Axis axis, int cell) const;
    long double marginTerm(Axis axis) const;
    long double offsetTerm(Axis axis) const;
    // Page position of the card point p (screen pixels) in that column or
    // row, and of the cards' far edge there.
    std::int32_t pagePosition(Axis axis, int cell, std::int64_t p) const;
    std::int32_t cardFar(Axis axis, int cell) const;
    // Where a card's near and far edges stand before any offset.
    std::int32_t cardNearUnshifted(Axis axis, int cell) const;
    std::int32_t cardFarUnshifted(Axis axis, int cell) const;
    // A position on the front moved to where a turned-over sheet puts it;
    // unchanged when that direction is not mirrored.
    std::int32_t turned(Axis axis, int cell, std::int32_t position) const;
    QString fitCaptionWithin(const QString &caption, long double start, long double end, const TextWidth &length) const;

    std::int32_t m_dpiX;
    std::int32_t m_dpiY;
    std::int32_t m_screenPpi;
    std::int32_t m_marginLeft;
    std::int32_t m_marginTop;
    PaperLayout m_paper;
    SheetOffset m_offset;
    std::int32_t m_sheetOffset;
    // The cut-guide lines: cell terms, left to right and top to bottom.
    std::vector<long double> m_guideX;
    std::vector<long double> m_guideY;
    // A back sheet: the direction mirrored and the extent it is mirrored across.
    bool m_mirrorX = false;
    bool m_mirrorY = false;
    std::int64_t m_spanX = 0;
    std::int64_t m_spanY = 0;
};
