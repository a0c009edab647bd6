#include "cardfile/CardInteger.h"

#include "cardfile/CardFile.h"

namespace {

int decimalDigit(char c) { return c >= '0' && c <= '9' ? c - '0' : -1; }

int hexDigit(char c)
{
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return decimalDigit(c);
}

constexpr std::uint64_t MaxHex = 0xFFFFFFFFU;   // the 32-bit pattern: $FFFFFFFF is −1
constexpr std::uint64_t MaxPositive = (std::uint64_t(1) << 31) - 1;
constexpr std::uint64_t MaxNegative = std::uint64_t(1) << 31;

} // namespace

void CardIntegerParser::feed(const char *bytes, long long size)
{
    for (long long i = 0; i < size && m_state != State::Invalid; ++i)
        take(bytes[i]);
}

void CardIntegerParser::take(char c)
{
    switch (m_state) {
    case State::Blanks:
        if (c == ' ')
            return;
        if (c == '$') {
            m_state = State::Dollar;
            return;
        }
        if (c == '+' || c == '-') {
            m_negative = c == '-';
            m_state = State::Sign;
            return;
        }
        [[fallthrough]];
    case State::Sign:
    case State::Decimal:
        if (decimalDigit(c) < 0) {
            m_state = State::Invalid;
            return;
        }
        m_state = State::Decimal;
        addDigit(10, decimalDigit(c), m_negative ? MaxNegative : MaxPositive);
        return;
    case State::Dollar:
    case State::Hex:
        if (hexDigit(c) < 0) {
            m_state = State::Invalid;
            return;
        }
        m_state = State::Hex;
        addDigit(16, hexDigit(c), MaxHex);
        return;
    case State::Invalid:
        return;
    }
}

// The magnitude stays at most 2^32 before each step: no overflow in 64 bits.
void CardIntegerParser::addDigit(std::uint64_t base, int digit, std::uint64_t limit)
{
    m_magnitude = m_magnitude * base + std::uint64_t(digit);
    if (m_magnitude > limit)
        m_state = State::Invalid;
}

std::optional<std::int32_t> CardIntegerParser::value() const
{
    switch (m_state) {
    case State::Decimal:
        if (m_negative)
            return static_cast<std::int32_t>(-static_cast<std::int64_t>(m_magnitude));
        return static_cast<std::int32_t>(m_magnitude);
    case State::Hex:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_magnitude));
    default:
        return std::nullopt;
    }
}

std::optional<std::int32_t> parseCardInteger(const QByteArray &line)
{
    CardIntegerParser parser;
    parser.feed(line.constData(), line.size());
    return parser.value();
}
