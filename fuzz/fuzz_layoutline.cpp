// The card file's layout line and the command line's layout in millimetres:
// whatever they accept is a layout that fits the rules, and a layout line
// written back (or shown in millimetres) reads as the same layout and never
// holds a record mark.
#include "FuzzCheck.h"
#include "card/PaperLayout.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<PaperLayout> layout = PaperLayoutLine::parse(line)) {
        FUZZ_CHECK(layout->isValid());
        const QByteArray written = PaperLayoutLine::format(*layout);
        FUZZ_CHECK(!written.contains('#') && !written.contains('$'));
        FUZZ_CHECK(layout->isStandard() ? written.isEmpty() : PaperLayoutLine::parse(written) == layout);
        // What tavelo-batch info shows, print --layout takes back.
        FUZZ_CHECK(parsePaperLayoutMm(formatPaperLayoutMm(*layout)) == layout);
    }
    const QString text = QString::fromLatin1(line);
    if (const std::optional<PaperLayout> layout = parsePaperLayoutMm(text))
        FUZZ_CHECK(layout->isValid());
    if (const std::optional<std::int32_t> tenths = parseTenthsOfMm(text))
        FUZZ_CHECK(*tenths > -100000000 && *tenths < 100000000);
    return 0;
}
