#include "card/CardGeometry.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace CardGeometry {

std::int32_t roundTiesEven(long double value)
{
    if (std::isnan(value))
        return 0;
    constexpr long double lo = std::numeric_limits<std::int32_t>::min();
    constexpr long double hi = std::numeric_limits<std::int32_t>::max();
    if (value <= lo)
        return std::numeric_limits<std::int32_t>::min();
    if (value >= hi)
        return std::numeric_limits<std::int32_t>::max();
    // llrintl follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; make sure of it for this one call. (It is
    // one instruction; nearbyintl saves and restores the whole floating-point
    // state around it, which a merge of a thousand sheets paid some 60,000
    // times.) The value is within 32 bits here, so the result is exact.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const long long r = std::llrintl(value);
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return static_cast<std::int32_t>(r);
}

std::int32_t cmToPixels(std::int32_t ppi, long double cm)
{
    const long double v = static_cast<long double>(ppi) * cm * InchesPerCm;
    return roundTiesEven(v);
}

QSize cardPanelSize(std::int32_t ppi)
{
    return QSize(cmToPixels(ppi, CardWidthCm), cmToPixels(ppi, static_cast<long double>(CardHeightCm)));
}

} // namespace CardGeometry
