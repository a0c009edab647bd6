// Captions in code page 932: any bytes decode, bad sequences become U+FFFD
// and are reported, and a text that decoded cleanly encodes to bytes that
// decode to the same text again.
#include "FuzzCheck.h"
#include "base/CodePage932.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const CodePage932::Decoded decoded = CodePage932::decode(bytes);

    FUZZ_CHECK(decoded.text.size() <= bytes.size());
    FUZZ_CHECK(!decoded.text.contains(QChar(0x1A)) || bytes.contains('\x1A'));
    FUZZ_CHECK(decoded.valid || decoded.text.contains(QChar(QChar::ReplacementCharacter)));
    if (decoded.valid) {
        bool ok = false;
        const QByteArray again = CodePage932::encode(decoded.text, &ok);
        FUZZ_CHECK(ok);
        const CodePage932::Decoded back = CodePage932::decode(again);
        FUZZ_CHECK(back.valid && back.text == decoded.text);
    }

    // A font name keeps at most 31 bytes and never half a character.
    const QString name = CodePage932::truncateToBytes(decoded.text, 31);
    FUZZ_CHECK(decoded.text.startsWith(name));
    if (decoded.valid)
        FUZZ_CHECK(CodePage932::encode(name).size() <= 31);
    return 0;
}
