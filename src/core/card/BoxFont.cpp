#include "card/BoxFont.h"

#include "base/CodePage932.h"

#include <cstdlib>
#include <limits>

std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const long long num = static_cast<long long>(a) * b;   // |num| < 2^62: no overflow
    const bool negative = (num < 0) != (c < 0);
    const unsigned long long n = num < 0 ? 0ULL - static_cast<unsigned long long>(num) : static_cast<unsigned long long>(num);
    const unsigned long long d = c < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(c)) : static_cast<unsigned long long>(c);
    const unsigned long long q = (2 * n + d) / (2 * d);   // half away from zero on the magnitude
    if (negative) {
        if (q > static_cast<unsigned long long>(std::numeric_limits<std::int32_t>::max()) + 1)
            return -1;
        return static_cast<std::int32_t>(0LL - static_cast<long long>(q));
    }
    if (q > static_cast<unsigned long long>(std::numeric_limits<std::int32_t>::max()))
        return -1;
    return static_cast<std::int32_t>(q);
}

namespace {
std::int32_t negateWrapping(std::int32_t v)
{
    return static_cast<std::int32_t>(0U - static_cast<std::uint32_t>(v));
}
}

BoxFont::BoxFont(const QString &name, std::int32_t height, std::int32_t color, FontStyles style)
    : m_height(height), m_color(color), m_style(style)
{
    setName(name);
}

void BoxFont::setName(const QString &name)
{
    if (name.isEmpty())
        return;
    m_name = CodePage932::truncateToBytes(name, MaxNameBytes);
}

std::int32_t BoxFont::sizeFromHeight(std::int32_t height, std::int32_t ppi)
{
    return negateWrapping(mulDiv(height, 72, ppi));
}

std::int32_t BoxFont::heightFromSize(std::int32_t points, std::int32_t ppi)
{
    return negateWrapping(mulDiv(points, ppi, 72));
}

namespace {
std::int32_t twoMinus(std::int32_t value)
{
    // 32-bit wrap-around like the original arithmetic, without overflow.
    return static_cast<std::int32_t>(2U - static_cast<std::uint32_t>(value));
}
}

std::int32_t fontHeightForBoxHeight(std::int32_t boxHeight) { return twoMinus(boxHeight); }

std::int32_t boxHeightForFontHeight(std::int32_t fontHeight) { return twoMinus(fontHeight); }
