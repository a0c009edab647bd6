#include "view/CardView.h"

#include "card/CardGeometry.h"
#include "picture/PictureLoader.h"
#include "sheet/CardSheet.h"

#include <QMutexLocker>
#include <QPainter>

#include <cmath>
#include <optional>

namespace {
// A device that reports dpi for the font metrics: a QImage's density is
// kept in dots per metre, which rounds back to the same whole dpi.
QImage metricsDevice(int dpi)
{
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    return device;
}

QString cacheKey(const QImage &picture, QSize size)
{
    return QStringLiteral("%1:%2x%3").arg(picture.cacheKey()).arg(size.width()).arg(size.height());
}
}

QSize CardView::cardSize(int dpi)
{
    return QSize(CardGeometry::cmToPixels(dpi, CardGeometry::CardWidthCm),
                 CardGeometry::cmToPixels(dpi, CardGeometry::CardHeightCm));
}

QImage CardView::scaledPicture(const QImage &picture, QSize size)
{
    const QString key = cacheKey(picture, size);
    {
        const QMutexLocker lock(&m_mutex);
        if (const auto found = m_cache.constFind(key); found != m_cache.constEnd()) {
            m_used.insert(key, *found);
            return *found;
        }
    }
    const QImage scaled = pictureForPrint(picture, size);
    const QMutexLocker lock(&m_mutex);
    m_used.insert(key, scaled);
    return scaled;
}

void CardView::draw(QPainter &painter, const CardDocument &doc, int dpi, int origin, const CaptionView &captions,
                    const PictureView &pictures)
{
    // The card as the screen shows it: the design, or a merge row's values.
    CardDocument shown;
    shown.setScreenPpi(doc.screenPpi());
    shown.setPrintSettings(doc.printSettings());
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        std::optional<TextBox> box;
        if (const TextBox *design = doc.TextBoxes(slot)) {
            box = *design;
            if (captions)
                box->Caption = captions(design->Caption);
        }
        shown.restoreTextBox(slot, box);
        std::optional<MoveImageRecord> record;
        if (const MoveImageRecord *design = doc.ImageBoxes(slot)) {
            record = *design;
            if (pictures)
                record->Picture = pictures(*design);
        }
        shown.restoreImageBox(slot, record);
    }
    shown.restoreShapes(doc.shapes());
    shown.setBackground(doc.background());

    const QImage device = metricsDevice(dpi);
    m_used.clear();
    const CardSheet sheet = CardSheet::singleCard(shown, device, dpi, origin, [this](const QImage &picture, QSize size) {
        return scaledPicture(picture, size);
    });
    // Only the pictures of this card stay: the cache never outgrows the card.
    m_cache.swap(m_used);
    m_used.clear();

    painter.fillRect(QRect(QPoint(origin, origin), cardSize(dpi)), Qt::white);
    sheet.draw(painter);
}
