#pragma once
// The card's print settings: cut guides, the sheet's offset from the page
// corner and the paper layout, with the range of the margins that the print settings dialog and
// the command-line tool accept. A card file's stored values are kept as they
// come, in or out of that range.
#include "card/PaperLayout.h"

#include <algorithm>
#include <cstdint>

// How the sheets of a card are printed: its fronts only; fronts and backs,
// a back page after each front page, for a page turned over its long edge
// or its short edge; or the backs only (fronts printed before fed in again).
enum class DuplexMode { OneSided, LongEdge, ShortEdge, BackOnly };

struct PrintSettings {
    PrintSettings() = default;
    PrintSettings(std::uint8_t guide, std::int32_t left, std::int32_t top, const PaperLayout &layout = {})
        : PrintGuide(guide), MarginLeft(left), MarginTop(top), Layout(layout)
    {
    }

    static constexpr std::int32_t MarginMin = 0;     // millimetres
    static constexpr std::int32_t MarginMax = 100;

    std::uint8_t PrintGuide = 0;   // 0 off, anything else on
    std::int32_t MarginLeft = 0;   // millimetres
    std::int32_t MarginTop = 0;    // millimetres
    PaperLayout Layout;            // the paper the sheet is printed on
    DuplexMode Duplex = DuplexMode::OneSided;

    static bool marginInRange(std::int64_t mm) { return mm >= MarginMin && mm <= MarginMax; }
    static std::int32_t clampMargin(std::int64_t mm)
    {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(mm, MarginMin, MarginMax));
    }

    bool operator==(const PrintSettings &o) const
    {
        return PrintGuide == o.PrintGuide && MarginLeft == o.MarginLeft && MarginTop == o.MarginTop
               && Layout == o.Layout && Duplex == o.Duplex;
    }
    bool operator!=(const PrintSettings &o) const { return !(*this == o); }
};
