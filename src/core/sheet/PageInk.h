#pragma once
// Where a page has been drawn on so far: the rectangles its marks reach, in
// page pixels, generous rather than tight. A caption is opaque (white under
// its character cells), but over paper nothing has touched the white changes
// nothing and is left out: the fill and the colour changes around it were a
// quarter of a merge job's sheets.
#include <QRect>

#include <algorithm>
#include <vector>

class PageInk
{
public:
    void add(const QRect &reach)
    {
        if (!reach.isEmpty())
            m_marks.push_back(reach);
    }

    // Whether anything drawn reaches into area.
    bool touches(const QRect &area) const
    {
        return std::any_of(m_marks.cbegin(), m_marks.cend(), [&](const QRect &mark) { return mark.intersects(area); });
    }

private:
    std::vector<QRect> m_marks;
};
