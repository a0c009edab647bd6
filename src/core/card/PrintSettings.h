#pragma once
// The card's print settings: cut guides, the sheet's offset from the page
// corner and the paper layout, with the range of the margins that the print settings dialog and
// the command-line tool accept. A card file's stored values are kept as they
// come, in or out of that range.
#include "card/PaperLayout.h"

#include <algorithm>
#include <cstdint>

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

    static bool marginInRange(std::int64_t mm) { return mm >= MarginMin && mm <= MarginMax; }
    static std::int32_t clampMargin(std::int64_t mm)
    {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(mm, MarginMin, MarginMax));
    }

    bool operator==(const PrintSettings &o) const
    {
        return PrintGuide == o.PrintGuide && MarginLeft == o.MarginLeft && MarginTop == o.MarginTop
               && Layout == o.Layout;
    }
    bool operator!=(const PrintSettings &o) const { return !(*this == o); }
};
