#include "view/ViewScale.h"

#include <algorithm>
#include <limits>

namespace {
// a × num ÷ den rounded to the nearest integer, ties to even; den > 0.
std::int64_t scaled(std::int64_t a, std::int64_t num, std::int64_t den)
{
    const std::int64_t product = a * num;
    std::int64_t q = product / den;
    std::int64_t r = product % den;
    if (r < 0) {   // floor division
        q -= 1;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0))
        q += 1;
    return q;
}

std::int32_t clamped(std::int64_t v)
{
    return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max()));
}

// Card values come from files and may lie anywhere in 32 bits; the screen
// holds what Qt's coordinates hold.
int onScreen(std::int64_t v)
{
    constexpr std::int64_t limit = std::int64_t(1) << 28;
    return int(std::clamp<std::int64_t>(v, -limit, limit));
}
}

ViewScale::ViewScale(int percent, QPoint origin) : m_percent(nearestStep(percent)), m_origin(origin) {}

std::int64_t ViewScale::toScreen(std::int64_t card) const
{
    return scaled(card, m_percent, 100);
}

std::int64_t ViewScale::toCard(std::int64_t screen) const
{
    return scaled(screen, 100, m_percent);
}

QRect ViewScale::toScreen(const BoxBounds &b) const
{
    const std::int64_t left = toScreen(b.Left), top = toScreen(b.Top);
    const std::int64_t right = toScreen(std::int64_t(b.Left) + b.Width);
    const std::int64_t bottom = toScreen(std::int64_t(b.Top) + b.Height);
    return QRect(onScreen(left + m_origin.x()), onScreen(top + m_origin.y()), onScreen(right - left),
                 onScreen(bottom - top));
}

BoxBounds ViewScale::moved(const BoxBounds &before, const QRect &screen) const
{
    BoxBounds b = before;
    b.Left = clamped(toCard(std::int64_t(screen.x()) - m_origin.x()));
    b.Top = clamped(toCard(std::int64_t(screen.y()) - m_origin.y()));
    return b;
}

BoxBounds ViewScale::resized(const BoxBounds &before, const QRect &screen) const
{
    // The far edge is where the pointer left it; the near one stays put.
    BoxBounds b = before;
    const std::int64_t right = toCard(std::int64_t(screen.x()) + screen.width() - m_origin.x());
    const std::int64_t bottom = toCard(std::int64_t(screen.y()) + screen.height() - m_origin.y());
    b.Width = clamped(std::max<std::int64_t>(1, right - before.Left));
    b.Height = clamped(std::max<std::int64_t>(1, bottom - before.Top));
    return b;
}

QPoint ViewScale::toCard(const QPoint &screen) const
{
    return QPoint(onScreen(toCard(std::int64_t(screen.x()) - m_origin.x())),
                  onScreen(toCard(std::int64_t(screen.y()) - m_origin.y())));
}

QPoint ViewScale::toScreen(const QPoint &card) const
{
    return QPoint(onScreen(toScreen(std::int64_t(card.x())) + m_origin.x()),
                  onScreen(toScreen(std::int64_t(card.y())) + m_origin.y()));
}

int ViewScale::nearestStep(int percent)
{
    int step = Steps.front();
    for (const int s : Steps)
        if (s <= percent)
            step = s;
    return step;
}

int ViewScale::zoomedIn(int percent)
{
    for (const int s : Steps)
        if (s > percent)
            return s;
    return Steps.back();
}

int ViewScale::zoomedOut(int percent)
{
    int lower = Steps.front();
    for (const int s : Steps)
        if (s < percent)
            lower = s;
    return lower;
}
