#pragma once
// Where a page has been drawn on so far: the rectangles its marks reach, in
// page pixels, generous rather than tight, and the cards' areas, white paper
// until something is drawn there. A caption is opaque (white under its
// character cells), but over paper nothing has touched the white changes
// nothing and is left out: the fill and the colour changes around it were a
// quarter of a merge job's sheets.
#include <QRect>

#include <algorithm>
#include <utility>
#include <vector>

class PageInk
{
public:
    explicit PageInk(std::vector<QRect> cards) : m_cards(std::move(cards)) {}

    void add(const QRect &reach)
    {
        if (!reach.isEmpty())
            m_marks.push_back(reach);
    }

    // Whether area lies on the card of the given index, untouched.
    bool blank(const QRect &area, size_t card) const
    {
        return card < m_cards.size() && m_cards[card].contains(area)
               && std::none_of(m_marks.cbegin(), m_marks.cend(), [&](const QRect &mark) { return mark.intersects(area); });
    }

private:
    std::vector<QRect> m_cards;
    std::vector<QRect> m_marks;
};
