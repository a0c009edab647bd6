#include "printshop/CmykColour.h"

#include <algorithm>
#include <cstddef>

namespace CmykColour {

Cmyk fromRgb(double r, double g, double b)
{
    const double c = 1 - std::clamp(r, 0.0, 1.0);
    const double m = 1 - std::clamp(g, 0.0, 1.0);
    const double y = 1 - std::clamp(b, 0.0, 1.0);
    const double k = std::min({c, m, y});
    return {c - k, m - k, y - k, k};
}

void convertRow(const std::uint8_t *rgb, std::uint8_t *cmyk, std::size_t count)
{
    for (std::size_t n = 0; n < count; ++n, rgb += 3, cmyk += 4) {
        const std::uint8_t c = std::uint8_t(255 - rgb[0]);
        const std::uint8_t m = std::uint8_t(255 - rgb[1]);
        const std::uint8_t y = std::uint8_t(255 - rgb[2]);
        const std::uint8_t k = std::min({c, m, y});
        cmyk[0] = std::uint8_t(c - k);
        cmyk[1] = std::uint8_t(m - k);
        cmyk[2] = std::uint8_t(y - k);
        cmyk[3] = k;
    }
}

}   // namespace CmykColour
