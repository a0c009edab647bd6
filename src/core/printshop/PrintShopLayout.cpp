#include "printshop/PrintShopLayout.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

namespace {
constexpr double TrimWidthMm = 91.0;
constexpr double TrimHeightMm = 55.0;
}   // namespace

PrintShopLayout::PrintShopLayout(const PrintShopOptions &options)
    : m_bleedMm(options.bleedTenthsMm / 10.0), m_marks(options.marks == CropMarks::Japanese)
{
    m_marginMm = m_bleedMm + (m_marks ? MarkLengthMm : 0.0);
}

QSizeF PrintShopLayout::pageMm() const { return QSizeF(TrimWidthMm + 2 * m_marginMm, TrimHeightMm + 2 * m_marginMm); }

QSizeF PrintShopLayout::pagePoints() const
{
    const QSizeF mm = pageMm();
    return QSizeF(mmToPoints(mm.width()), mmToPoints(mm.height()));
}

QRectF PrintShopLayout::trimBoxPoints() const
{
    const double margin = mmToPoints(m_marginMm);
    return QRectF(margin, margin, mmToPoints(TrimWidthMm), mmToPoints(TrimHeightMm));
}

QRectF PrintShopLayout::bleedBoxPoints() const
{
    const double bleed = mmToPoints(m_bleedMm);
    return trimBoxPoints().adjusted(-bleed, -bleed, bleed, bleed);
}

std::vector<PrintShopLayout::Segment> PrintShopLayout::markSegments() const
{
    std::vector<Segment> lines;
    if (!m_marks)
        return lines;
    const QRectF trim = trimBoxPoints();
    const double b = mmToPoints(m_bleedMm);
    const double length = mmToPoints(MarkLengthMm);
    // One corner, drawn for each: sx, sy point outwards (−1 left/down, +1 right/up).
    const auto corner = [&](double x, double y, double sx, double sy) {
        const double bx = x + sx * b;   // the bleed lines
        const double by = y + sy * b;
        // Along the trim line, from the bleed edge outwards.
        lines.push_back({bx, y, bx + sx * length, y});
        lines.push_back({x, by, x, by + sy * length});
        // Along the bleed line, from the trim line outwards: with the trim
        // lines it makes the second L of the pair.
        lines.push_back({x, by, bx + sx * length, by});
        lines.push_back({bx, y, bx, by + sy * length});
    };
    corner(trim.left(), trim.top(), -1, -1);
    corner(trim.right(), trim.top(), +1, -1);
    corner(trim.left(), trim.bottom(), -1, +1);
    corner(trim.right(), trim.bottom(), +1, +1);
    // Centre marks: a line on the centre line and a cross bar halfway out.
    const QPointF centre = trim.center();
    const double half = length / 2;
    for (const double sy : {-1.0, +1.0}) {
        const double edge = (sy < 0 ? trim.top() : trim.bottom()) + sy * b;
        lines.push_back({centre.x(), edge, centre.x(), edge + sy * length});
        lines.push_back({centre.x() - half, edge + sy * half, centre.x() + half, edge + sy * half});
    }
    for (const double sx : {-1.0, +1.0}) {
        const double edge = (sx < 0 ? trim.left() : trim.right()) + sx * b;
        lines.push_back({edge, centre.y(), edge + sx * length, centre.y()});
        lines.push_back({edge + sx * half, centre.y() - half, edge + sx * half, centre.y() + half});
    }
    return lines;
}

std::optional<std::int32_t> parseBleedMm(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9])(?:\\.([0-9]))?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const std::int32_t tenths = match.captured(1).toInt() * 10 + (match.hasCaptured(2) ? match.captured(2).toInt() : 0);
    if (tenths < PrintShopOptions::MinBleedTenthsMm || tenths > PrintShopOptions::MaxBleedTenthsMm)
        return std::nullopt;
    return tenths;
}
