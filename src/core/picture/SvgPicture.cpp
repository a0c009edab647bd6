#include "picture/SvgPicture.h"

#include "base/Messages.h"
#include "base/TaveloError.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// The image's text key that holds the SVG document, its bytes one to one as
// Latin-1 characters so that any encoding of the document survives.
const QString SourceKey = QStringLiteral("image/svg+xml");

QByteArray sourceOf(const QImage &picture)
{
    return picture.text(SourceKey).toLatin1();
}

} // namespace

namespace SvgPicture {

bool isSvgName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
}

QImage fromBytes(const QByteArray &bytes, const QString &name)
{
    if (bytes.size() > MaxFileBytes)
        throw TaveloError(Msg::pictureFileTooLarge(name, int(MaxFileBytes >> 20)));
    // An XML document whose root is not svg, or any other bytes, is refused
    // before the renderer builds anything of it.
    if (!bytes.contains("<svg"))
        throw TaveloError(Msg::invalidBitmap());
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid())
        throw TaveloError(Msg::invalidBitmap());
    const QSize size = renderer.defaultSize();
    if (size.width() <= 0 || size.height() <= 0)
        throw TaveloError(Msg::invalidBitmap());
    if (std::int64_t(size.width()) * size.height() > MaxPixels)
        throw TaveloError(Msg::pictureTooLarge(name, size.width(), size.height(), MaxPixels / 1'000'000));
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull())
        throw TaveloError(Msg::invalidBitmap());
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    picture.setText(SourceKey, QString::fromLatin1(bytes));
    return picture;
}

bool isVector(const QImage &picture)
{
    return !picture.isNull() && !picture.text(SourceKey).isEmpty();
}

QImage rendered(const QImage &picture, QSize size)
{
    if (!isVector(picture) || size.isEmpty() || std::int64_t(size.width()) * size.height() > 4 * MaxPixels)
        return picture;
    QSvgRenderer renderer(sourceOf(picture));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return picture;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void draw(QPainter &painter, const QRectF &target, const QImage &picture)
{
    // The document's viewbox fills target: stretched like every picture.
    QSvgRenderer renderer(sourceOf(picture));
    renderer.render(&painter, target);
}

} // namespace SvgPicture
