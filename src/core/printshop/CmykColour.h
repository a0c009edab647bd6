#pragma once
// The one conversion from the RGB the card is drawn in to the CMYK a press
// prints, used for every colour operator and every picture of a print-shop
// PDF:
//
//     C' = 1 − R, M' = 1 − G, Y' = 1 − B      (all from 0 to 1)
//     K  = min(C', M', Y')
//     C  = C' − K, M = M' − K, Y = Y' − K
//
// the device conversion of the PDF reference with full grey-component
// replacement: the grey part of every colour goes to the black plate alone.
// So black and every neutral grey (R = G = B) print on K only and never as a
// four-colour mix that misregisters on a press, and no colour carries more
// than 200 % ink (Japan Color 2001 Coated allows 350 %). It knows no printing
// condition: bright screen colours print duller, as with every conversion
// into the smaller gamut of a press.
#include <cstddef>
#include <cstdint>

namespace CmykColour {

struct Cmyk {
    double c, m, y, k;
};

// From components 0 to 1.
Cmyk fromRgb(double r, double g, double b);

// A row of 8-bit samples: count pixels of R, G, B bytes to C, M, Y, K bytes.
void convertRow(const std::uint8_t *rgb, std::uint8_t *cmyk, std::size_t count);

}   // namespace CmykColour
