#include "CardFile.h"

#include <limits>

namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "$" and hexadecimal digits: the 32-bit pattern, so $FFFFFFFF is −1.
std::optional<std::int32_t> parseHex(const char *p, const char *end)
{
    if (p == end)
        return std::nullopt;
    std::uint64_t value = 0;
    for (; p != end; ++p) {
        const int digit = hexDigitValue(*p);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> parseDecimal(const char *p, const char *end)
{
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end)
        return std::nullopt;
    // The magnitude may reach 2^31 for the most negative value.
    const std::uint64_t limit = negative ? std::uint64_t(1) << 31 : (std::uint64_t(1) << 31) - 1;
    std::uint64_t value = 0;
    for (; p != end; ++p) {
        if (*p < '0' || *p > '9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(*p - '0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> parseCardInteger(const QByteArray &line)
{
    const char *p = line.constData();
    const char *const end = p + line.size();
    while (p != end && *p == ' ')
        ++p;
    if (p != end && *p == '$')
        return parseHex(p + 1, end);
    return parseDecimal(p, end);
}
