#pragma once
// The page of a print-shop PDF: one card side at its finished size (the
// trim, 91 × 55 mm) with the bleed around it and, when asked for, room for
// Japanese double crop marks (トンボ) around that. Lengths are kept exact:
// the boxes a shop reads (TrimBox, BleedBox) are in points with decimals,
// whatever whole-point page size the drawing engine rounds to.
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

enum class CropMarks { None, Japanese };

struct PrintShopOptions {
    // Bleed (塗り足し) around the trim, in tenths of a millimetre.
    std::int32_t bleedTenthsMm = 30;
    CropMarks marks = CropMarks::None;

    static constexpr std::int32_t MinBleedTenthsMm = 0;
    static constexpr std::int32_t MaxBleedTenthsMm = 50;
};

class PrintShopLayout
{
public:
    // Each mark runs this far out from the bleed edge.
    static constexpr double MarkLengthMm = 7.0;
    // Mark lines are hairlines, as the shops' templates draw them.
    static constexpr double MarkLineWidthPt = 0.1;

    explicit PrintShopLayout(const PrintShopOptions &options);

    static double mmToPoints(double mm) { return mm * 72.0 / 25.4; }

    // Millimetres of the page around the trim on every side: the bleed, and
    // the marks' room when there are marks.
    double marginMm() const { return m_marginMm; }
    double bleedMm() const { return m_bleedMm; }
    bool hasMarks() const { return m_marks; }
    QSizeF pageMm() const;

    // In PDF points, y up, origin at the page's lower-left corner.
    QSizeF pagePoints() const;
    QRectF trimBoxPoints() const;
    QRectF bleedBoxPoints() const;

    // The crop marks as line segments in PDF points (x1, y1, x2, y2): at each
    // corner an L along the trim lines and one along the bleed lines, each
    // starting at the bleed edge and running outwards; a cross at the middle
    // of every side. Empty without marks.
    struct Segment {
        double x1, y1, x2, y2;
    };
    std::vector<Segment> markSegments() const;

private:
    double m_bleedMm;
    double m_marginMm;
    bool m_marks;
};

// A bleed given in millimetres with at most one decimal ("3", "2.5"), from 0
// to 5; nothing for any other text.
std::optional<std::int32_t> parseBleedMm(const QString &text);
