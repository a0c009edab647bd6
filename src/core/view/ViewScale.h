#pragma once
// The card on the screen at a zoom. Boxes keep their positions and sizes in
// card pixels (the card file's units, screen pixels at 100 %); the screen
// shows them larger. A box's near and far edges are mapped alike, so boxes
// that touch on the card touch on the screen at every zoom.
#include "card/CardDocument.h"

#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>

class ViewScale
{
public:
    static constexpr std::array<int, 5> Steps{100, 150, 200, 300, 400};

    // percent: one of Steps (anything else counts as the nearest step below,
    // or 100); origin: where the card's top-left corner stands on the screen.
    explicit ViewScale(int percent = 100, QPoint origin = {});

    int percent() const { return m_percent; }
    QPoint origin() const { return m_origin; }

    // A card coordinate on the screen (without the origin), rounded to the
    // nearest pixel, ties to even.
    std::int64_t toScreen(std::int64_t card) const;
    // A screen coordinate (without the origin) as the nearest card pixel.
    std::int64_t toCard(std::int64_t screen) const;

    // Where a box stands on the screen.
    QRect toScreen(const BoxBounds &bounds) const;
    // The card bounds a box takes when the user has dragged it to screen:
    // a move keeps the box's card size (only a size handle changes it), a
    // resize keeps its card position. A size never falls below one pixel.
    BoxBounds moved(const BoxBounds &before, const QRect &screen) const;
    BoxBounds resized(const BoxBounds &before, const QRect &screen) const;
    // A screen point as a card point, and a card point on the screen.
    QPoint toCard(const QPoint &screen) const;
    QPoint toScreen(const QPoint &card) const;

    // The next step up and down, or percent itself at the ends.
    static int zoomedIn(int percent);
    static int zoomedOut(int percent);
    static int nearestStep(int percent);

private:
    int m_percent;
    QPoint m_origin;
};
