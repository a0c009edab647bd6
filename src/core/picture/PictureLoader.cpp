#include "picture/PictureLoader.h"

#include "base/Messages.h"
#include "base/TaveloError.h"
#include "files/MappedFile.h"
#include "files/RegularFile.h"
#include "picture/BmpDecoder.h"
#include "picture/PictureLimits.h"
#include "picture/PngDecoder.h"
#include "picture/SvgPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// The headers of every kind come with the first bytes: a bitmap's with its
// palette, a PNG's first chunk.
constexpr qsizetype HeadBytes = 64 * 1024;

// The largest read buffer kept for the next picture.
constexpr qsizetype KeptBufferBytes = 64 * 1024 * 1024;

enum class PictureKind { Bitmap, Png, Jpeg, Svg };

[[noreturn]] void invalid() { throw TaveloError(Msg::invalidBitmap()); }

PictureKind kindOf(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("bmp"))
        return PictureKind::Bitmap;
    if (extension == QLatin1String("png"))
        return PictureKind::Png;
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return PictureKind::Jpeg;
    if (extension == QLatin1String("svg"))
        return PictureKind::Svg;
    throw TaveloError(Msg::unknownPictureExtension(extension));
}

// A file that does not start as its kind does is refused before the rest of
// it is read. A bitmap shorter than its file header is left to the decoder,
// which tells that it ended early.
void checkSignature(QByteArrayView head, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bitmap:
        if (head.size() >= 14 && !head.startsWith("BM"))
            invalid();
        break;
    case PictureKind::Png:
        if (!head.startsWith("\x89PNG\r\n\x1A\n"))
            invalid();
        break;
    case PictureKind::Jpeg:
        if (!head.startsWith("\xFF\xD8"))
            invalid();
        break;
    case PictureKind::Svg:
        break;   // text: the SVG reader checks the document
    }
}

void checkPixels(std::int64_t width, std::int64_t height, const QString &name)
{
    constexpr std::int64_t max = PictureLimits::MaxPixels;
    if (width > 0 && height > 0 && (width > max || height > max || width * height > max))
        throw TaveloError(Msg::pictureTooLarge(name, width, height, PictureLimits::MaxPixels / 1'000'000));
}

std::uint32_t bigEndian32(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return std::uint32_t(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// The size the header declares, checked before the pixels are read or any
// memory is taken for them: bitmaps and PNG files, whose headers come first.
// A header the head does not hold whole is left to the decoder.
void checkDeclaredSize(const QByteArray &head, PictureKind kind, const QString &name, std::int64_t fileBytes)
{
    if (kind == PictureKind::Bitmap) {
        const std::optional<BmpDecoder::Declared> declared = BmpDecoder::declared(head);
        if (!declared)
            return;
        checkPixels(declared->width, declared->height, name);
        const std::int64_t pixels = declared->width * declared->height;
        if (declared->runLength && pixels > PictureLimits::FreeRunLengthPixels
            && pixels / PictureLimits::MaxRunLengthPixelsPerByte > fileBytes)
            invalid();
    } else if (kind == PictureKind::Png && head.size() >= 24 && QByteArrayView(head).sliced(12, 4) == "IHDR") {
        checkPixels(bigEndian32(head, 16), bigEndian32(head, 20), name);
    }
}

// What the markers of a JPEG file tell before it is decoded: its scans (each
// one a pass over the whole picture) and its size. Markers are found as the
// decoder finds them: segments skipped by their length, anything else
// searched for the next marker.
struct JpegOutline {
    int scans = 0;
    std::optional<QSize> size;
};

JpegOutline jpegOutline(QByteArrayView bytes)
{
    JpegOutline outline;
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    qsizetype i = 2;
    while (i + 1 < bytes.size()) {
        if (at(i) != 0xFF || at(i + 1) == 0xFF || at(i + 1) == 0x00) {
            ++i;
            continue;
        }
        const unsigned char marker = at(i + 1);
        i += 2;
        if (marker == 0xD9)
            break;   // the end of the picture
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;   // markers without a segment
        if (i + 2 > bytes.size())
            break;
        const qsizetype length = qsizetype(at(i)) << 8 | at(i + 1);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && !outline.size && length >= 7 && i + 7 <= bytes.size())
            outline.size = QSize(int(at(i + 5)) << 8 | at(i + 6), int(at(i + 3)) << 8 | at(i + 4));
        if (marker == 0xDA)
            ++outline.scans;
        i += std::max<qsizetype>(length, 2);
    }
    return outline;
}

void checkJpeg(QByteArrayView bytes, const QString &name)
{
    const JpegOutline outline = jpegOutline(bytes);
    if (outline.scans > PictureLimits::MaxJpegScans)
        throw TaveloError(Msg::jpegTooManyScans(name, outline.scans, PictureLimits::MaxJpegScans));
    if (outline.size)
        checkPixels(outline.size->width(), outline.size->height(), name);
}

// JPEG through Qt's reader, held to the same size limit.
QImage decodeJpeg(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAllocationLimit(int(PictureLimits::MaxPixels * 4 / (1024 * 1024)) + 1);
    const QSize size = reader.size();
    if (!size.isValid() || std::int64_t(size.width()) * size.height() > PictureLimits::MaxPixels)
        invalid();
    QImage image = reader.read();
    if (image.isNull())
        invalid();
    return image;
}

// Every check that the whole file allows, then the pixels.
QImage decode(const QByteArray &bytes, PictureKind kind, const QString &name)
{
    checkSignature(bytes, kind);
    checkDeclaredSize(bytes, kind, name, bytes.size());
    switch (kind) {
    case PictureKind::Png:
        return PngDecoder::decode(bytes);
    case PictureKind::Jpeg:
        checkJpeg(bytes, name);
        return decodeJpeg(bytes);
    case PictureKind::Svg:
        return SvgPicture::fromBytes(bytes, name);
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
qsizetype leadFor(QByteArrayView head, PictureKind kind)
{
    if (kind != PictureKind::Bitmap || head.size() < BitmapHeadBytes || head[0] != 'B' || head[1] != 'M')
        return 0;
    const auto byte = [&](int at) { return std::uint32_t(static_cast<unsigned char>(head[at])); };
    const std::uint32_t pixelsAt = byte(10) | (byte(11) << 8) | (byte(12) << 16) | (byte(13) << 24);
    return qsizetype((4 - pixelsAt % 4) % 4);
}

// A picture file being read: its first bytes, checked before the rest is
// read, then the whole of it.
class PictureFile
{
public:
    PictureFile(const QString &path, PictureKind kind) : m_kind(kind), m_name(QFileInfo(path).fileName())
    {
        m_file = openRegularFile(path);
        if (!m_file.ok())
            throw TaveloError(Msg::cannotOpenFile(path));
        m_head.resize(qsizetype(std::min<std::int64_t>(HeadBytes, m_file.size)));
        m_head.truncate(readInto(m_head.data(), m_head.size()));
        checkSignature(m_head, kind);
        if (m_file.size > PictureLimits::MaxFileBytes)
            throw TaveloError(Msg::pictureFileTooLarge(m_name, PictureLimits::MaxFileBytes >> 20));
        if (kind == PictureKind::Svg && m_file.size > SvgPicture::MaxFileBytes)
            throw TaveloError(Msg::pictureFileTooLarge(m_name, SvgPicture::MaxFileBytes >> 20));
        checkDeclaredSize(m_head, kind, m_name, m_file.size);
    }

    const QByteArray &head() const { return m_head; }
    std::int64_t size() const { return m_file.size; }
    const QString &name() const { return m_name; }

    // The whole file, mapped where the system allows: the file cache's own
    // pages, no copy and no fresh memory. A file that became shorter while
    // it was mapped reads as one that ends early.
    QImage decodeMapped(PictureKind kind, bool *mapped)
    {
        const MappedFile map(m_file.fd.get(), m_file.size);
        *mapped = map.mapped();
        if (!map.mapped())
            return QImage();
        QImage picture;
        try {
            picture = decode(map.bytes(), kind, m_name);
        } catch (const TaveloError &) {
            if (map.cut())
                throw TaveloError(Msg::streamReadError());   // what the decoder met was the zeros
            throw;
        }
        if (map.cut())
            throw TaveloError(Msg::streamReadError());
        return picture;
    }

    // The whole file read into bytes, which keep their memory from one
    // picture to the next: fresh memory costs the system a page fault every
    // 4 KiB. Returns the file's bytes, a view into bytes.
    QByteArray readAll(QByteArray &bytes)
    {
        const qsizetype lead = leadFor(m_head, m_kind);
        bytes.resize(lead + qsizetype(m_file.size));
        std::memcpy(bytes.data() + lead, m_head.constData(), size_t(m_head.size()));
        qsizetype length = m_head.size();
        if (length == std::min<std::int64_t>(HeadBytes, m_file.size))
            length += readInto(bytes.data() + lead + length, qsizetype(m_file.size) - length);
        return QByteArray::fromRawData(bytes.constData() + lead, length);
    }

private:
    qsizetype readInto(char *to, qsizetype wanted)
    {
        qsizetype filled = 0;
        while (filled < wanted) {
            const long long n = readSome(m_file.fd.get(), to + filled, wanted - filled);
            if (n < 0)
                throw TaveloError(Msg::streamReadError());
            if (n == 0)
                break;   // the file became shorter while it was read
            filled += qsizetype(n);
        }
        return filled;
    }

    PictureKind m_kind;
    QString m_name;
    OpenedFile m_file;
    QByteArray m_head;
};

// Decodes the file through a map of it, or, where the system gives none,
// read with a buffer of this thread's, as pictures are loaded on several at
// once. The buffer must not be shared when it is read into again: nothing
// decoded keeps it.
QImage decodeFile(PictureFile &file, PictureKind kind)
{
    bool mapped = false;
    QImage picture = file.decodeMapped(kind, &mapped);
    if (mapped)
        return picture;
    thread_local QByteArray buffer;
    picture = decode(file.readAll(buffer), kind, file.name());
    if (buffer.capacity() > KeptBufferBytes)
        buffer = QByteArray();
    return picture;
}

} // namespace

namespace PictureLoader {

QImage load(const QString &path)
{
    try {
        // The kind is chosen before the file is opened, as the name alone tells it.
        const PictureKind kind = kindOf(path);
        PictureFile file(path, kind);
        return decodeFile(file, kind);
    } catch (const TaveloError &e) {
        throw PictureError(e.message(), path);
    }
}

QSize loadSize(const QString &path)
{
    try {
        const PictureKind kind = kindOf(path);
        PictureFile file(path, kind);
        if (kind == PictureKind::Bitmap) {
            if (const std::optional<QSize> size = BmpDecoder::sizeFromHeaders(file.head(), file.size()))
                return *size;
        }
        return decodeFile(file, kind).size();
    } catch (const TaveloError &e) {
        throw PictureError(e.message(), path);
    }
}

QImage loadFromBytes(const QByteArray &bytes, const QString &fileName)
{
    return decode(bytes, kindOf(fileName), QFileInfo(fileName).fileName());
}

} // namespace PictureLoader

QSize pictureForPrintSize(const QImage &picture, QSize printedSize)
{
    return QSize(std::min(picture.width(), std::max(printedSize.width(), 1)),
                 std::min(picture.height(), std::max(printedSize.height(), 1)));
}

QImage pictureForPrint(const QImage &picture, QSize printedSize)
{
    // A drawing is rendered at the size it prints, however large.
    if (SvgPicture::isVector(picture))
        return SvgPicture::rendered(picture, printedSize.expandedTo(QSize(1, 1)));
    const QSize size = pictureForPrintSize(picture, printedSize);
    if (picture.isNull() || size == picture.size())
        return picture;
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
