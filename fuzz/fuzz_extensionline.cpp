// The card file's property lines: whatever splits as one never holds a record
// mark, any bytes escape to a value that reads back as the same bytes, and a
// value read as text is written back as a line that reads as the same text.
#include "FuzzCheck.h"
#include "cardfile/ExtensionLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray escaped = ExtensionLine::escape(bytes);
    FUZZ_CHECK(!escaped.contains('#') && !escaped.contains('$') && !escaped.contains('\r'));
    FUZZ_CHECK(ExtensionLine::unescape(escaped) == bytes);

    const std::optional<ExtensionLine::Parts> parts = ExtensionLine::split(bytes);
    if (!parts)
        return 0;
    FUZZ_CHECK(!parts->key.isEmpty() && parts->key.size() <= ExtensionLine::MaxKeyBytes);
    FUZZ_CHECK(!parts->value.contains('#') && !parts->value.contains('$'));
    if (const std::optional<QString> text = ExtensionLine::text(parts->value)) {
        const std::optional<ExtensionLine::Parts> again = ExtensionLine::split(ExtensionLine::format(parts->key, *text));
        FUZZ_CHECK(again && again->key == parts->key && ExtensionLine::text(again->value) == text);
    }
    return 0;
}
