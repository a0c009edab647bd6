// Bitmap files from anywhere: either a picture of the size the header gives,
// within the pixel limit, or one of the loader's two messages.
#include "FuzzCheck.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "picture/BmpDecoder.h"
#include "picture/PictureLoader.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::int64_t little(const std::uint8_t *p, int bytes)
{
    std::int64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value * 256 + p[i];
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QImage image = PictureLoader::loadFromBytes(bytes, QStringLiteral("picture.bmp"));
        FUZZ_CHECK(!image.isNull());
        FUZZ_CHECK(std::int64_t(image.width()) * image.height() <= BmpDecoder::MaxPixels);
        // The header was there, so its width can be compared.
        FUZZ_CHECK(size >= 26);
        const bool core = little(data + 14, 4) == 12;
        const std::int64_t width = core ? little(data + 18, 2) : little(data + 18, 4);
        FUZZ_CHECK(width == image.width());
    } catch (const TaveloError &e) {
        FUZZ_CHECK(e.message() == Msg::invalidBitmap() || e.message() == Msg::streamReadError());
    }
    return 0;
}
