// Picture files from anywhere, of the kind their first bytes name (PNG,
// JPEG, an SVG document, else a bitmap): either a picture within the pixel limit, of the size
// a bitmap's header gives, or one of the loader's messages.
#include "FuzzCheck.h"
#include "base/Messages.h"
#include "base/TaveloError.h"
#include "picture/PictureLimits.h"
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

QString nameFor(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral("picture.png");
    if (bytes.startsWith("\xFF\xD8"))
        return QStringLiteral("picture.jpg");
    if (bytes.contains("<svg"))
        return QStringLiteral("picture.svg");
    return QStringLiteral("picture.bmp");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = nameFor(bytes);
    try {
        const QImage image = PictureLoader::loadFromBytes(bytes, name);
        FUZZ_CHECK(!image.isNull());
        FUZZ_CHECK(std::int64_t(image.width()) * image.height() <= PictureLimits::MaxPixels);
        if (name.endsWith(QLatin1String(".bmp"))) {
            // The header was there, so its width can be compared.
            FUZZ_CHECK(size >= 26);
            const bool core = little(data + 14, 4) == 12;
            const std::int64_t width = core ? little(data + 18, 2) : little(data + 18, 4);
            FUZZ_CHECK(width == image.width());
        }
    } catch (const TaveloError &e) {
        const QString &m = e.message();
        const bool limit = m.startsWith(QStringLiteral("画像 ") + name) || m.startsWith(QStringLiteral("JPEG 画像 ") + name);
        FUZZ_CHECK(m == Msg::invalidBitmap() || m == Msg::streamReadError() || limit);
    }
    return 0;
}
