#pragma once
// The design elements of a side that are no boxes: lines and rectangles drawn
// as vectors, and the background under everything. Positions are card pixels
// of the screen density, as the boxes' bounds are, so a shape moves and snaps
// with the boxes; widths and radii are tenths of a millimetre, so a rule
// prints as thick on every device.
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>

enum class ShapeKind { Line, Rectangle };

// A line keeps its direction while its ends are dragged: a horizontal line's
// ends stay on one row, a vertical line's on one column.
enum class LineDirection { Free, Horizontal, Vertical };

enum class StrokeStyle { Solid, Dashed, Dotted };

struct CardShape {
    static constexpr int MinWidthTenths = 1;   // 0.1 mm
    static constexpr int MaxWidthTenths = 50;  // 5 mm
    static constexpr int MaxRadiusTenths = 275; // half the card's height
    // Card pixels a shape's point may lie off the card: room for a shape
    // dragged past the edge, and no product of coordinates can overflow.
    static constexpr std::int32_t MaxCoordinate = 100000;

    ShapeKind kind = ShapeKind::Line;
    LineDirection direction = LineDirection::Free;   // lines only
    // A line's two ends; a rectangle's two opposite corners (in any order).
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    // The line's or the border's width; 0 is a rectangle without border.
    int widthTenths = 3;
    std::int32_t color = 0;   // the card file's colour: 0x00BBGGRR, top bit a system colour
    StrokeStyle style = StrokeStyle::Solid;
    std::optional<std::int32_t> fill;   // a rectangle's fill, none when empty
    int radiusTenths = 0;               // a rectangle's corners

    bool isLine() const { return kind == ShapeKind::Line; }
    // The shape's extent in card pixels: left, top, right, bottom.
    std::int32_t left() const { return x1 < x2 ? x1 : x2; }
    std::int32_t top() const { return y1 < y2 ? y1 : y2; }
    std::int32_t right() const { return x1 < x2 ? x2 : x1; }
    std::int32_t bottom() const { return y1 < y2 ? y2 : y1; }
    // Moved by (dx, dy), kept within MaxCoordinate.
    CardShape movedBy(std::int32_t dx, std::int32_t dy) const;
    // Its values brought into their ranges: the ends of a horizontal or
    // vertical line in line, width, radius and coordinates clamped.
    CardShape normalized() const;

    // The handles a shape is reshaped by: a line's two ends (0 is x1, y1;
    // 1 is x2, y2), a rectangle's corners (0 top-left, 1 top-right,
    // 2 bottom-right, 3 bottom-left).
    int handleCount() const { return isLine() ? 2 : 4; }
    QPoint handle(int n) const;
    // The shape with handle n dragged to the card point (x, y). A horizontal
    // line's end keeps its row and a vertical line's its column; a line's end
    // never lands on the other end. A rectangle's opposite corner stays, and
    // the dragged corner keeps at least one pixel from it on the side it
    // started, as a box's size never falls below one pixel. Coordinates stay
    // within MaxCoordinate; a handle out of range changes nothing.
    CardShape withHandleAt(int n, std::int32_t x, std::int32_t y) const;

    bool operator==(const CardShape &o) const
    {
        return kind == o.kind && direction == o.direction && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2
               && widthTenths == o.widthTenths && color == o.color && style == o.style && fill == o.fill
               && radiusTenths == o.radiusTenths;
    }
    bool operator!=(const CardShape &o) const { return !(*this == o); }
};

// How a background picture covers the card.
enum class BackgroundFit {
    Stretch,   // the whole picture, stretched to the card
    Fill,      // the picture's middle, scaled to cover the card, its proportions kept
};

struct CardBackground {
    std::optional<std::int32_t> color;   // the card file's colour convention
    QString picturePath;                 // empty: no picture
    QImage picture;                      // null until loaded (or for a path with fields)
    BackgroundFit fit = BackgroundFit::Stretch;

    bool isEmpty() const { return !color && picturePath.isEmpty(); }
    // The picture is loaded from its path: equal when path, colour and fit are.
    bool operator==(const CardBackground &o) const
    {
        return color == o.color && picturePath == o.picturePath && fit == o.fit
               && picture.cacheKey() == o.picture.cacheKey();
    }
    bool operator!=(const CardBackground &o) const { return !(*this == o); }
};
