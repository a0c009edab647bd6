#pragma once
// Where things stand on a printed card sheet: two columns by four rows of
// card cells shifted by the margins, and cut-guide crosses at the cell
// corners. Pure arithmetic in printer pixels.
//
// Every position is reproducible to the pixel: a product of two integers is
// formed exactly and then converted to 80-bit extended, everything after that
// is extended arithmetic evaluated left to right, and only the whole sum is
// rounded (ties to even) before the sheet offset of 10 pixels is added.
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>

class SheetLayout
{
public:
    static constexpr int Columns = 2;
    static constexpr int Rows = 4;
    static constexpr int GuideColumns = Columns + 1;
    static constexpr int GuideRows = Rows + 1;
    static constexpr std::int32_t SheetOffset = 10;    // added to every x and y on the page
    static constexpr std::int32_t CrossHalfArm = 10;

    // dpiX, dpiY: the printer's pixels per inch; screenPpi: the density the
    // box positions were laid out at; margins in millimetres.
    SheetLayout(std::int32_t dpiX, std::int32_t dpiY, std::int32_t screenPpi,
                std::int32_t marginLeftMm, std::int32_t marginTopMm);

    std::int32_t dpiX() const { return m_dpiX; }
    std::int32_t dpiY() const { return m_dpiY; }
    std::int32_t screenPpi() const { return m_screenPpi; }

    // The origin terms of a cell (or of a guide column / row) before rounding.
    long double columnTerm(std::int64_t column) const;
    long double rowTerm(std::int64_t row) const;
    long double leftMarginTerm() const;
    long double topMarginTerm() const;

    // Page coordinates of the card point (px, py), given in screen pixels of
    // the card panel, in the card cell (column, row). The card point is 64-bit
    // so that a box's far edge (Left + Width) never wraps.
    std::int32_t pageX(int column, std::int64_t px) const;
    std::int32_t pageY(int row, std::int64_t py) const;
    QPoint pagePoint(int column, int row, std::int64_t px, std::int64_t py) const;

    // The centre of the cut-guide cross at the cell corner (guideColumn, guideRow).
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

private:
    std::int32_t m_dpiX;
    std::int32_t m_dpiY;
    std::int32_t m_screenPpi;
    std::int32_t m_marginLeft;
    std::int32_t m_marginTop;
};
