// The card file's number rule against a plain reference: the same line must
// give the same number, whether it is read whole or in two pieces.
#include "FuzzCheck.h"
#include "cardfile/CardFile.h"
#include "cardfile/CardInteger.h"

#include <string>

namespace {

// The rule written the simple way: strip, check the characters, then compare
// the digits as text against the limits instead of computing.
std::optional<std::int32_t> reference(const std::string &line)
{
    std::size_t i = line.find_first_not_of(' ');
    if (i == std::string::npos)
        return std::nullopt;
    if (line[i] == '$') {
        std::string digits = line.substr(i + 1);
        if (digits.empty() || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        if (digits.size() > 8)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16)));
    }
    const bool negative = line[i] == '-';
    if (line[i] == '+' || line[i] == '-')
        ++i;
    std::string digits = line.substr(i);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return std::nullopt;
    const long long value = std::stoll(digits);
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says where the line is cut in two pieces.
    const std::size_t cut = std::min<std::size_t>(data[0], size - 1);
    const char *line = reinterpret_cast<const char *>(data + 1);
    const std::size_t length = size - 1;

    const std::optional<std::int32_t> whole = parseCardInteger(QByteArray(line, qsizetype(length)));
    FUZZ_CHECK(whole == reference(std::string(line, length)));

    CardIntegerParser pieces;
    pieces.feed(line, static_cast<long long>(cut));
    pieces.feed(line + cut, static_cast<long long>(length - cut));
    FUZZ_CHECK(pieces.value() == whole);
    return 0;
}
