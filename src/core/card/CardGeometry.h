#pragma once
// The card's size and the arithmetic that turns lengths into device pixels.
// Lengths are converted in 80-bit extended precision and rounded once, to the
// nearest integer with ties to even, so every device pixel is reproducible.
#include <QSize>
#include <cstdint>

namespace CardGeometry {

inline constexpr long double CardWidthCm = 9.1L;        // extended constant
inline constexpr float CardHeightCm = 5.5f;             // single precision, exact
inline constexpr long double InchesPerCm = 0.39370078740157480316L;
inline constexpr long double CmPerMm = 0.1L;
inline constexpr long double CardWidthInches = 3.5826771653543307086L;

// Nearest integer, ties to even; values beyond the 32-bit range saturate, NaN gives 0.
std::int32_t roundTiesEven(long double value);

// Round(ppi × cm × 0.3937…), multiplied left to right in extended precision.
std::int32_t cmToPixels(std::int32_t ppi, long double cm);

// The card panel: the whole card at true size for a screen of the given density.
QSize cardPanelSize(std::int32_t ppi);

} // namespace CardGeometry
