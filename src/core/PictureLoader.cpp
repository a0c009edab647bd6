#include "PictureLoader.h"

#include "BmpDecoder.h"
#include "Messages.h"
#include "RegularFile.h"
#include "TaveloError.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

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

// Reads the whole file into bytes, which keeps its memory from one picture to
// the next: fresh memory costs the system a page fault every 4 KiB.
void readWholeFile(const QString &path, QByteArray &bytes)
{
    OpenedFile file = openRegularFile(path);
    if (!file.ok())
        throw TaveloError(Msg::cannotOpenFile(path));
    if (file.size > MaxFileBytes)
        throw TaveloError(Msg::invalidBitmap());
    bytes.resize(qsizetype(file.size));
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const long long n = readSome(file.fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            throw TaveloError(Msg::streamReadError());
        if (n == 0)
            break;   // the file became shorter while it was read
        filled += qsizetype(n);
    }
    bytes.truncate(filled);
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
        readWholeFile(path, buffer);
        QImage picture = decode(buffer, kind);
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
