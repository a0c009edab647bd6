#include "picture/SvgPicture.h"

#include "base/Messages.h"
#include "base/TaveloError.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>

namespace {

// The image's text key that holds the SVG document, its bytes one to one as
// Latin-1 characters so that any encoding of the document survives.
const QString SourceKey = QStringLiteral("image/svg+xml");

QByteArray sourceOf(const QImage &picture)
{
    return picture.text(SourceKey).toLatin1();
}

// A length of the root element in pixels at 96 dpi (CSS pixels); nothing for
// a percentage, a missing or an unreadable length.
std::optional<double> cssPixels(QStringView text)
{
    static const struct {
        const char *unit;
        double pixels;
    } units[] = {{"px", 1}, {"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"in", 96}, {"pt", 96.0 / 72}, {"pc", 16}};
    QStringView number = text.trimmed();
    double scale = 1;
    for (const auto &u : units) {
        if (number.endsWith(QLatin1String(u.unit))) {
            number.chop(2);
            scale = u.pixels;
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value * scale;
}

// The drawing's size at 96 dpi: its width and height in absolute units as a
// browser takes them (the renderer counts 90 to the inch), else the
// renderer's own (the viewBox).
QSize sizeAt96Dpi(const QByteArray &bytes, QSize rendererSize)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement())
        return rendererSize;
    const std::optional<double> width = cssPixels(xml.attributes().value(QLatin1String("width")));
    const std::optional<double> height = cssPixels(xml.attributes().value(QLatin1String("height")));
    if (!width || !height || *width > 1e9 || *height > 1e9)
        return rendererSize;
    return QSize(int(std::lround(*width)), int(std::lround(*height)));
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
    const QSize size = sizeAt96Dpi(bytes, renderer.defaultSize());
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
