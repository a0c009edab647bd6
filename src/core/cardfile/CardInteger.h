#pragma once
// The card file's number rule, fed a line piece by piece: optional leading
// spaces, then an optional sign and decimal digits, or "$" and hexadecimal
// digits; nothing after; 32 bits. Leading spaces and zeros may be as many as
// the line holds, so the line is never kept.
#include <cstdint>
#include <optional>

class CardIntegerParser
{
public:
    void feed(const char *bytes, long long size);
    // The number, or nothing when the line fed so far is no number.
    std::optional<std::int32_t> value() const;

private:
    enum class State { Blanks, Sign, Decimal, Dollar, Hex, Invalid };
    void take(char c);
    void addDigit(std::uint64_t base, int digit, std::uint64_t limit);

    State m_state = State::Blanks;
    bool m_negative = false;
    std::uint64_t m_magnitude = 0;
};
