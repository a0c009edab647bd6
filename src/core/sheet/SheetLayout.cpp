#include "sheet/SheetLayout.h"

#include "card/BoxFont.h"
#include "card/CardGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The product of two integers, exact and then converted to extended. Both
// factors are exact in the 64-bit significand, so one rounded multiplication
// gives the same value as converting the exact integer product, without any
// integer overflow.
long double integerProduct(std::int64_t a, std::int64_t b)
{
    return static_cast<long double>(a) * static_cast<long double>(b);
}

// Division as the floating-point unit does it, also by zero (±infinity, or
// NaN for 0 ÷ 0), without relying on the language to allow it.
long double divide(long double numerator, std::int32_t denominator)
{
    if (denominator != 0)
        return numerator / static_cast<long double>(denominator);
    if (numerator > 0)
        return std::numeric_limits<long double>::infinity();
    if (numerator < 0)
        return -std::numeric_limits<long double>::infinity();
    return std::numeric_limits<long double>::quiet_NaN();
}

// Round the whole sum, then add the sheet offset; saturated, never wrapped.
std::int32_t toPage(long double sum, std::int32_t sheetOffset)
{
    const std::int64_t v = std::int64_t(CardGeometry::roundTiesEven(sum)) + sheetOffset;
    return v > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                         : static_cast<std::int32_t>(v);
}

// A position moved by a turn, kept in 32 bits.
std::int32_t saturated(std::int64_t v)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

constexpr long double CmPerTenthMm = 0.01L;

// A length in tenths of a millimetre as printer pixels, unrounded.
long double tenthsTerm(std::int64_t tenths, std::int32_t dpi)
{
    return integerProduct(tenths, dpi) * CardGeometry::InchesPerCm * CmPerTenthMm;
}

// The lines through the card edges of a grid, in tenths: each cell's near
// and far edge, once each where cards touch.
std::vector<std::int64_t> gridEdges(std::int32_t origin, std::int32_t pitch, int count, std::int32_t cardSize)
{
    std::vector<std::int64_t> edges;
    for (int n = 0; n < count; ++n) {
        const std::int64_t near = std::int64_t(origin) + std::int64_t(n) * pitch;
        edges.push_back(near);
        edges.push_back(near + cardSize);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

// Where the characters of text end: a surrogate pair is one character.
std::vector<int> characterEnds(const QString &text)
{
    std::vector<int> ends;
    for (int n = 1; n <= text.size(); ++n) {
        if (n == text.size() || !(text.at(n - 1).isHighSurrogate() && text.at(n).isLowSurrogate()))
            ends.push_back(n);
    }
    return ends;
}

} // namespace

SheetLayout::SheetLayout(std::int32_t dpiX, std::int32_t dpiY, std::int32_t screenPpi,
                         std::int32_t marginLeftMm, std::int32_t marginTopMm, const PaperLayout &paper,
                         SheetOffset offset)
    : m_dpiX(dpiX), m_dpiY(dpiY), m_screenPpi(screenPpi), m_marginLeft(marginLeftMm), m_marginTop(marginTopMm),
      m_paper(paper.isValid() ? paper : PaperLayout::standard()), m_offset(offset),
      m_sheetOffset(m_paper.isStandard() ? StandardSheetOffset : 0)
{
    if (m_paper.isStandard()) {
        for (int g = 0; g <= columns(); ++g)
            m_guideX.push_back(columnTerm(g));
        for (int h = 0; h <= rows(); ++h)
            m_guideY.push_back(rowTerm(h));
        return;
    }
    for (const std::int64_t edge : gridEdges(m_paper.originX, m_paper.pitchX, columns(), PaperLayout::CardWidthTenths))
        m_guideX.push_back(tenthsTerm(edge, m_dpiX));
    for (const std::int64_t edge : gridEdges(m_paper.originY, m_paper.pitchY, rows(), PaperLayout::CardHeightTenths))
        m_guideY.push_back(tenthsTerm(edge, m_dpiY));
}

SheetLayout SheetLayout::singleCard(std::int32_t dpi, std::int32_t screenPpi, std::int32_t originPixels)
{
    SheetLayout layout(dpi, dpi, screenPpi, 0, 0,
                       PaperLayout::custom(1, 1, 0, 0, PaperLayout::CardWidthTenths, PaperLayout::CardHeightTenths));
    layout.m_sheetOffset = originPixels;
    return layout;
}

long double SheetLayout::cellTerm(Axis axis, std::int64_t cell) const
{
    const bool x = axis == Axis::X;
    if (!m_paper.isStandard())
        return tenthsTerm((x ? m_paper.originX : m_paper.originY) + cell * (x ? m_paper.pitchX : m_paper.pitchY),
                          dpi(axis));
    const long double cardCm = x ? CardGeometry::CardWidthCm : static_cast<long double>(CardGeometry::CardHeightCm);
    return integerProduct(cell, dpi(axis)) * cardCm * CardGeometry::InchesPerCm;
}

long double SheetLayout::farEdgeTerm(Axis axis, int cell) const
{
    if (m_paper.isStandard())
        return cellTerm(axis, std::int64_t(cell) + 1);
    const bool x = axis == Axis::X;
    return tenthsTerm((x ? m_paper.originX : m_paper.originY)
                          + std::int64_t(cell) * (x ? m_paper.pitchX : m_paper.pitchY)
                          + (x ? PaperLayout::CardWidthTenths : PaperLayout::CardHeightTenths),
                      dpi(axis));
}

long double SheetLayout::marginTerm(Axis axis) const
{
    return integerProduct(axis == Axis::X ? m_marginLeft : m_marginTop, dpi(axis)) * CardGeometry::InchesPerCm
           * CardGeometry::CmPerMm;
}

long double SheetLayout::offsetTerm(Axis axis) const
{
    return tenthsTerm(axis == Axis::X ? m_offset.x : m_offset.y, dpi(axis));
}

long double SheetLayout::columnTerm(std::int64_t column) const { return cellTerm(Axis::X, column); }

long double SheetLayout::rowTerm(std::int64_t row) const { return cellTerm(Axis::Y, row); }

long double SheetLayout::offsetXTerm() const { return offsetTerm(Axis::X); }

long double SheetLayout::offsetYTerm() const { return offsetTerm(Axis::Y); }

long double SheetLayout::leftMarginTerm() const { return marginTerm(Axis::X); }

long double SheetLayout::topMarginTerm() const { return marginTerm(Axis::Y); }

SheetLayout SheetLayout::turnedOver(const BackSheet &back) const
{
    SheetLayout turned = *this;
    const bool portrait = back.pagePixels.height() >= back.pagePixels.width();
    // Turned about the long edge, a portrait page swaps left and right; about
    // the short edge, top and bottom (a landscape page the other way round).
    turned.m_mirrorX = (back.turn == SheetTurn::LongEdge) == portrait;
    turned.m_mirrorY = !turned.m_mirrorX;
    turned.m_spanX = std::int64_t(back.pagePixels.width()) - 2 * std::int64_t(back.origin.x());
    turned.m_spanY = std::int64_t(back.pagePixels.height()) - 2 * std::int64_t(back.origin.y());
    turned.m_offset = {saturated(std::int64_t(m_offset.x) + back.offset.x), saturated(std::int64_t(m_offset.y) + back.offset.y)};
    return turned;
}

std::int32_t SheetLayout::cardNearUnshifted(Axis axis, int cell) const
{
    return toPage(cellTerm(axis, cell) + marginTerm(axis), m_sheetOffset);
}

std::int32_t SheetLayout::cardFarUnshifted(Axis axis, int cell) const
{
    return toPage(farEdgeTerm(axis, cell) + marginTerm(axis), m_sheetOffset);
}

// The card's unshifted extent [N, F] goes to [span − F, span − N]; its
// points and its offset move with it.
std::int32_t SheetLayout::turned(Axis axis, int cell, std::int32_t position) const
{
    const bool x = axis == Axis::X;
    if (!(x ? m_mirrorX : m_mirrorY))
        return position;
    const std::int64_t turn = (x ? m_spanX : m_spanY) - cardFarUnshifted(axis, cell) - cardNearUnshifted(axis, cell);
    return saturated(turn + position);
}

std::int32_t SheetLayout::pagePosition(Axis axis, int cell, std::int64_t p) const
{
    return turned(axis, cell,
                  toPage(((divide(integerProduct(p, dpi(axis)), m_screenPpi) + cellTerm(axis, cell)) + marginTerm(axis))
                             + offsetTerm(axis),
                         m_sheetOffset));
}

std::int32_t SheetLayout::cardFar(Axis axis, int cell) const
{
    return turned(axis, cell, toPage((farEdgeTerm(axis, cell) + marginTerm(axis)) + offsetTerm(axis), m_sheetOffset));
}

std::int32_t SheetLayout::pageX(int column, std::int64_t px) const { return pagePosition(Axis::X, column, px); }

std::int32_t SheetLayout::pageY(int row, std::int64_t py) const { return pagePosition(Axis::Y, row, py); }

QPoint SheetLayout::pagePoint(int column, int row, std::int64_t px, std::int64_t py) const
{
    return QPoint(pageX(column, px), pageY(row, py));
}

QPoint SheetLayout::crossCentre(int guideColumn, int guideRow) const
{
    const long double gx = m_guideX.at(size_t(guideColumn)) + leftMarginTerm();
    const long double gy = m_guideY.at(size_t(guideRow)) + topMarginTerm();
    std::int64_t x = toPage(gx + offsetXTerm(), m_sheetOffset);
    std::int64_t y = toPage(gy + offsetYTerm(), m_sheetOffset);
    // A cross stands on a line through card edges: mirrored, with the offset.
    if (m_mirrorX)
        x += m_spanX - 2 * std::int64_t(toPage(gx, m_sheetOffset));
    if (m_mirrorY)
        y += m_spanY - 2 * std::int64_t(toPage(gy, m_sheetOffset));
    return QPoint(saturated(x), saturated(y));
}

std::int32_t SheetLayout::cardRightX(int column) const { return cardFar(Axis::X, column); }

std::int32_t SheetLayout::cardBottomY(int row) const { return cardFar(Axis::Y, row); }

QPoint SheetLayout::sheetPoint(std::int64_t tenthsX, std::int64_t tenthsY) const
{
    std::int64_t x = toPage(tenthsTerm(tenthsX, m_dpiX) + offsetXTerm(), m_sheetOffset);
    std::int64_t y = toPage(tenthsTerm(tenthsY, m_dpiY) + offsetYTerm(), m_sheetOffset);
    if (m_mirrorX)
        x += m_spanX - 2 * std::int64_t(toPage(tenthsTerm(tenthsX, m_dpiX), m_sheetOffset));
    if (m_mirrorY)
        y += m_spanY - 2 * std::int64_t(toPage(tenthsTerm(tenthsY, m_dpiY), m_sheetOffset));
    return QPoint(saturated(x), saturated(y));
}

long double SheetLayout::cardWidthPixels() const
{
    return static_cast<long double>(m_dpiX) * CardGeometry::CardWidthInches;
}

std::int32_t SheetLayout::printerFontHeight(std::int32_t boxFontHeight) const
{
    if (m_dpiY == m_screenPpi)
        return boxFontHeight;
    return BoxFont::heightFromSize(BoxFont::sizeFromHeight(boxFontHeight, m_screenPpi), m_dpiY);
}

QString SheetLayout::fitCaption(const QString &caption, std::int32_t left, const TextWidth &width) const
{
    return fitCaptionWithin(caption, divide(left, m_screenPpi) * static_cast<long double>(m_dpiX), cardWidthPixels(),
                            width);
}

QString SheetLayout::fitCaptionDown(const QString &caption, std::int32_t top, const TextWidth &length) const
{
    return fitCaptionWithin(caption, divide(top, m_screenPpi) * static_cast<long double>(m_dpiY), cardHeightPixels(),
                            length);
}

long double SheetLayout::cardHeightPixels() const
{
    return static_cast<long double>(m_dpiY) * (static_cast<long double>(CardGeometry::CardHeightCm) * CardGeometry::InchesPerCm);
}

QString SheetLayout::fitCaptionWithin(const QString &caption, long double boxLeft, long double cardWidth,
                                      const TextWidth &width) const
{
    if (caption.isEmpty())
        return {};
    const std::vector<int> ends = characterEnds(caption);
    const auto fits = [&](std::size_t characters) {
        return cardWidth > boxLeft + static_cast<long double>(width(caption.left(ends[characters - 1])));
    };
    // A longer prefix is never narrower than a shorter one, so the longest
    // one that fits is found by halving: stepping back one character at a
    // time gives the same prefix, but costs a measurement per character.
    if (fits(ends.size()))
        return caption;   // the usual case: one measurement
    std::size_t fitting = 0;             // characters known to fit (0: none known)
    std::size_t tooLong = ends.size();   // characters known not to fit
    while (tooLong - fitting > 1) {
        const std::size_t middle = fitting + (tooLong - fitting) / 2;
        if (fits(middle))
            fitting = middle;
        else
            tooLong = middle;
    }
    // When not even one character fits, the first one is printed.
    return caption.left(ends[std::max<std::size_t>(fitting, 1) - 1]);
}
