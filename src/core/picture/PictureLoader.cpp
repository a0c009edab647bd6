#include "picture/PictureLoader.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "files/RegularFile.h"
#include "picture/BmpDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace {

// The largest picture file read: a bitmap of MaxPixels at 32 bits and more.
constexpr std::int64_t MaxFileBytes = BmpDecoder::MaxPixels * 4 + 64 * 1024 * 1024;

// The largest read buffer kept for the next picture.
constexpr qsizetype KeptBufferBytes = 64 * 1024 * 1024;

enum class PictureKind { Bitmap, Png, Jpeg };

PictureKind kindOf(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("bmp"))
        return PictureKind::Bitmap;
    if (extension == QLatin1String("png"))
        return PictureKind::Png;
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return PictureKind::Jpeg;
    throw TaveloError(Msg::unknownPictureExtension(extension));
}

// PNG and JPEG through Qt's readers, held to the same size limit as bitmaps.
QImage decodeWithQt(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(int(MaxFileBytes / (1024 * 1024)));
    const QSize size = reader.size();
    if (!size.isValid() || std::int64_t(size.width()) * size.height() > BmpDecoder::MaxPixels)
        throw TaveloError(Msg::invalidBitmap());
    QImage image = reader.read();
    if (image.isNull())
        throw TaveloError(Msg::invalidBitmap());
    return image;
}

QImage decode(const QByteArray &bytes, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Png:
        return decodeWithQt(bytes, "png");
    case PictureKind::Jpeg:
        return decodeWithQt(bytes, "jpeg");
    case PictureKind::Bitmap:
        break;
    }
    return BmpDecoder::decode(bytes);
}

// A bitmap's header says where its pixels start (bytes 10 to 13).
constexpr qsizetype BitmapHeadBytes = 14;

// How far into the buffer a file is put so that its pixels start on a whole
// word, as Qt's image conversion wants them: a bitmap's rows are then
// converted where they lie, not from a copy.
qsizetype leadFor(const char *head, qsizetype length, PictureKind kind)
{
    if (kind != PictureKind::Bitmap || length < BitmapHeadBytes || head[0] != 'B' || head[1] != 'M')
        return 0;
    const auto byte = [&](int at) { return std::uint32_t(static_cast<unsigned char>(head[at])); };
    const std::uint32_t pixelsAt = byte(10) | (byte(11) << 8) | (byte(12) << 16) | (byte(13) << 24);
    return qsizetype((4 - pixelsAt % 4) % 4);
}

// Reads the whole file into bytes, which keeps its memory from one picture to
// the next: fresh memory costs the system a page fault every 4 KiB. Returns
// the file's bytes, a view into bytes.
QByteArray readWholeFile(const QString &path, PictureKind kind, QByteArray &bytes)
{
    OpenedFile file = openRegularFile(path);
    if (!file.ok())
        throw TaveloError(Msg::cannotOpenFile(path));
    if (file.size > MaxFileBytes)
        throw TaveloError(Msg::invalidBitmap());
    const auto readInto = [&](char *to, qsizetype wanted) {
        qsizetype filled = 0;
        while (filled < wanted) {
            const long long n = readSome(file.fd.get(), to + filled, wanted - filled);
            if (n < 0)
                throw TaveloError(Msg::streamReadError());
            if (n == 0)
                break;   // the file became shorter while it was read
            filled += qsizetype(n);
        }
        return filled;
    };
    char head[BitmapHeadBytes];
    const qsizetype headLength = readInto(head, std::min<qsizetype>(BitmapHeadBytes, qsizetype(file.size)));
    const qsizetype lead = leadFor(head, headLength, kind);
    bytes.resize(lead + qsizetype(file.size));
    std::memcpy(bytes.data() + lead, head, size_t(headLength));
    qsizetype length = headLength;
    if (headLength == std::min<qsizetype>(BitmapHeadBytes, qsizetype(file.size)))
        length += readInto(bytes.data() + lead + headLength, qsizetype(file.size) - headLength);
    return QByteArray::fromRawData(bytes.constData() + lead, length);
}

} // namespace

namespace PictureLoader {

QImage load(const QString &path)
{
    try {
        // The kind is chosen before the file is opened, as the name alone tells it.
        const PictureKind kind = kindOf(path);
        // One buffer per thread, as pictures are loaded on several at once. It
        // must not be shared when it is read into again: nothing decoded keeps it.
        thread_local QByteArray buffer;
        QImage picture = decode(readWholeFile(path, kind, buffer), kind);
        if (buffer.capacity() > KeptBufferBytes)
            buffer = QByteArray();
        return picture;
    } catch (const TaveloError &e) {
        throw PictureError(e.message(), path);
    }
}

QImage loadFromBytes(const QByteArray &bytes, const QString &fileName)
{
    return decode(bytes, kindOf(fileName));
}

} // namespace PictureLoader

QImage pictureForPrint(const QImage &picture, QSize printedSize)
{
    const QSize size(std::min(picture.width(), std::max(printedSize.width(), 1)),
                     std::min(picture.height(), std::max(printedSize.height(), 1)));
    if (picture.isNull() || size == picture.size())
        return picture;
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
