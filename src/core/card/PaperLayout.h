#pragma once
// The paper the cards are printed on: how many cards, and where.
//
// The standard sheet is two columns by four rows of touching cards from the
// printable area's corner. The other layouts are grids of columns × rows
// cards whose first card stands at an origin measured from the paper's own
// top-left corner, the next ones a pitch further on; lengths in tenths of a
// millimetre, so that the layouts of card paper can be given exactly.
#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

struct PaperLayout {
    enum class Kind { Standard, TenUp, Custom };

    static constexpr int MinColumns = 1, MaxColumns = 4;
    static constexpr int MinRows = 1, MaxRows = 8;
    static constexpr std::int32_t CardWidthTenths = 910;
    static constexpr std::int32_t CardHeightTenths = 550;
    // Origins from 0 and pitches from the card's size up to a metre: more
    // lies off any paper and is refused by the fit check anyway.
    static constexpr std::int32_t MaxLengthTenths = 10000;

    Kind kind = Kind::Standard;
    int columns = 2;
    int rows = 4;
    std::int32_t originX = 0;   // tenths of a millimetre from the paper's left edge
    std::int32_t originY = 0;   // … and from its top edge
    std::int32_t pitchX = CardWidthTenths;
    std::int32_t pitchY = CardHeightTenths;

    static PaperLayout standard() { return {}; }
    // A4 card paper: 2 × 5 cards centred, 14 mm left and right, 11 mm top and bottom.
    static PaperLayout tenUp() { return {Kind::TenUp, 2, 5, 140, 110, CardWidthTenths, CardHeightTenths}; }
    static PaperLayout custom(int columns, int rows, std::int32_t originX, std::int32_t originY,
                              std::int32_t pitchX, std::int32_t pitchY)
    {
        return {Kind::Custom, columns, rows, originX, originY, pitchX, pitchY};
    }

    bool isStandard() const { return kind == Kind::Standard; }
    int cells() const { return columns * rows; }

    // Whether the numbers make a layout at all: columns and rows in range,
    // origins not negative, pitches no smaller than a card (cards never
    // overlap), nothing beyond MaxLengthTenths.
    bool isValid() const;

    // The space the cards take from the paper's corner, in millimetres.
    QSizeF extentMm() const;
    // Whether every card lies on a paper of pageMm (width × height in mm).
    // The standard sheet is placed from the printable area and always fits.
    bool fitsOn(const QSizeF &pageMm) const;

    bool operator==(const PaperLayout &o) const
    {
        return kind == o.kind && columns == o.columns && rows == o.rows && originX == o.originX
               && originY == o.originY && pitchX == o.pitchX && pitchY == o.pitchY;
    }
    bool operator!=(const PaperLayout &o) const { return !(*this == o); }
};

// The card file's layout line: "Layout=10" or "Layout=C,R,OX,OY,PX,PY" (tenths
// of a millimetre). The standard layout has no line.
namespace PaperLayoutLine {

inline constexpr char Prefix[] = "Layout=";

QByteArray format(const PaperLayout &layout);
// Whether a line is meant as the layout line (it begins with the prefix).
bool isLayoutLine(const QByteArray &line);
// The layout the line gives; nothing when it is malformed.
std::optional<PaperLayout> parse(const QByteArray &line);

} // namespace PaperLayoutLine

// A layout given in millimetres with decimals, as on the command line:
// "8", "10" or "C,R,OX,OY,PX,PY"; at most one decimal place. Nothing when
// malformed or not a layout.
std::optional<PaperLayout> parsePaperLayoutMm(const QString &text);

// The layout as parsePaperLayoutMm takes it: "8", "10" or
// "C,R,OX,OY,PX,PY" with one decimal.
QString formatPaperLayoutMm(const PaperLayout &layout);

// A length in millimetres with at most one decimal ("-0.5", "1.2", "3") as
// tenths; nothing when malformed.
std::optional<std::int32_t> parseTenthsOfMm(const QString &text);
