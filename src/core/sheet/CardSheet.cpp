#include "sheet/CardSheet.h"

#include "picture/PictureLoader.h"
#include "picture/SvgPicture.h"
#include "qr/QrDrawing.h"
#include "sheet/ShapeDrawing.h"
#include "sheet/FontMapping.h"
#include "sheet/GlyphBatch.h"
#include "sheet/PdfCellForms.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QCache>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRawFont>
#include <QTransform>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace {

// Page coordinates beyond this lie metres off any real sheet; the drawing
// engines keep coordinates in fixed point, so such items are left out rather
// than handed over (a card file or the margins may bring any value).
constexpr std::int64_t DrawableLimit = std::int64_t(1) << 24;

bool drawable(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    const auto inRange = [](std::int64_t v) { return v >= -DrawableLimit && v <= DrawableLimit; };
    return inRange(left) && inRange(top) && inRange(right) && inRange(bottom);
}

// Where a box of a cell lands on the page: its near and far corners mapped
// alike, so boxes that touch on the screen touch on paper. Nothing for a box
// with no area (it shows nothing on the card) or one off any real sheet.
std::optional<QRect> boxOnPage(const SheetLayout &layout, int column, int row, const BoxBounds &b)
{
    const std::int64_t x1 = layout.pageX(column, b.Left);
    const std::int64_t y1 = layout.pageY(row, b.Top);
    const std::int64_t x2 = layout.pageX(column, std::int64_t(b.Left) + b.Width);
    const std::int64_t y2 = layout.pageY(row, std::int64_t(b.Top) + b.Height);
    if (x2 <= x1 || y2 <= y1 || !drawable(x1, y1, x2, y2))
        return std::nullopt;
    return QRect(int(x1), int(y1), int(x2 - x1), int(y2 - y1));
}

// The size a box prints at in one cell, in page pixels, none below zero.
QSize boxSizeInCell(const SheetLayout &layout, int column, int row, const BoxBounds &b)
{
    const std::int64_t width = std::int64_t(layout.pageX(column, std::int64_t(b.Left) + b.Width))
                               - layout.pageX(column, b.Left);
    const std::int64_t height = std::int64_t(layout.pageY(row, std::int64_t(b.Top) + b.Height)) - layout.pageY(row, b.Top);
    return QSize(int(std::clamp<std::int64_t>(width, 0, DrawableLimit)),
                 int(std::clamp<std::int64_t>(height, 0, DrawableLimit)));
}

// Column outer, row inner: the order in which the cells are printed.
template <typename Draw>
void forEachCell(const SheetLayout &layout, Draw draw)
{
    for (int column = 0; column < layout.columns(); ++column)
        for (int row = 0; row < layout.rows(); ++row)
            draw(column, row);
}

// The box font as the device's text layouts use it, and its key. Made once
// for each face, size, style and device resolution, so that the layouts
// share the face Qt found for it: looking up the face's chain and the face
// itself for every caption of a merge job cost a tenth of its time, and
// forming the key of the font (a dozen fields) or of this table as text
// for every caption another tenth.
struct DeviceFont {
    QFont font;
    QString key;
};

struct DeviceFontKey {
    QString face;
    std::int32_t height;
    int style;
    int dpi;
    bool operator==(const DeviceFontKey &o) const
    {
        return face == o.face && height == o.height && style == o.style && dpi == o.dpi;
    }
};

size_t qHash(const DeviceFontKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.height, key.style, key.dpi);
}

// A font resolves to font engines of the thread that uses it, and a shaped
// run holds them: what is kept of fonts is kept for each thread apart.
QHash<DeviceFontKey, DeviceFont> &threadDeviceFonts()
{
    thread_local QHash<DeviceFontKey, DeviceFont> made;
    return made;
}

DeviceFont deviceFont(const BoxFont &box, const QPaintDevice &device)
{
    constexpr qsizetype MadeFonts = 1024;
    QHash<DeviceFontKey, DeviceFont> &made = threadDeviceFonts();
    const DeviceFontKey key{box.name(), box.height(), int(box.style().toInt()), device.logicalDpiY()};
    if (const auto found = made.constFind(key); found != made.cend())
        return *found;
    const QFont font(FontMapping::toQFont(box), &device);
    const DeviceFont madeFont{font, font.key()};
    if (made.size() >= MadeFonts)
        made.clear();
    made.insert(key, madeFont);
    return madeFont;
}

// A reach in page pixels from one in fractions, two pixels wider on every
// side for smoothed edges.
QRect widenedForSmoothing(const QRectF &reach)
{
    return reach.toAlignedRect().adjusted(-2, -2, 2, 2);
}

std::atomic<bool> everyCaptionCellFilled{false};

// The ink of a run's glyphs, around its positions. A run from a text layout
// holds the line's rectangle (the character cells, the line's top at
// y = 0) as its bounding rectangle; the glyphs' own boxes come from the font.
QRectF glyphInk(const QGlyphRun &run)
{
    QGlyphRun bare = run;
    bare.setBoundingRect(QRectF());
    return bare.boundingRect();
}

// A caption shaped: its glyphs, baseline at y = 0, and its advance as the
// font's metrics measure it.
struct ShapedText {
    QList<QGlyphRun> runs;
    int advance = 0;
};

// Shaping a caption costs more than drawing it; a sheet draws each caption
// eight times a page, so it is shaped once and drawn as glyphs.
ShapedText shapedText(const QString &text, const QFont &font, const QPaintDevice &device)
{
    if (text.isEmpty())
        return {};
    QTextLayout layout(text, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    // Kept past endLayout(), which otherwise throws the glyphs away for
    // glyphRuns() to shape the text again.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    ShapedText shaped{line.glyphRuns(), qRound(line.horizontalAdvance())};
    for (QGlyphRun &run : shaped.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p.ry() -= line.ascent();
        run.setPositions(positions);
    }
    return shaped;
}

// A bold box in a face without a bold style (the IPA faces have none) is
// drawn as its glyphs' outlines, filled and widened by a 24th of the em, as
// the system emboldens such faces. Drawn as glyphs, the engines embolden
// small text and not large (the raster engine draws large glyphs as plain
// outlines), and a PDF not at all.
constexpr qreal EmboldenPerEm = 1.0 / 24;
constexpr qreal DesignPixels = 2048;
constexpr qint64 EmboldenedCacheBytes = qint64(64) << 20;
// Captions laid out, kept by their count of glyphs: some 20 000 captions,
// a few megabytes.
constexpr qint64 PreparedTextCacheGlyphs = 400'000;

bool needsEmboldening(const QGlyphRun &run)
{
    return CaptionLayout::needsEmboldening(run.rawFont());
}

// Takes the runs to be emboldened out of runs.
QList<QGlyphRun> takeEmboldened(QList<QGlyphRun> &runs)
{
    QList<QGlyphRun> taken;
    for (auto it = runs.begin(); it != runs.end();) {
        if (needsEmboldening(*it)) {
            taken.append(*it);
            it = runs.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

// The runs' glyphs as one outline, baseline at y = 0.
QPainterPath outlineOf(const QList<QGlyphRun> &runs)
{
    QPainterPath path;
    for (const QGlyphRun &run : runs) {
        const QRawFont raw = run.rawFont();
        // The outlines at a size of their own, scaled to the run's: the face's
        // state at the run's size (what it last drew) moves them by a few
        // hundredths of a pixel.
        QRawFont design = raw;
        design.setPixelSize(DesignPixels);
        const qreal scale = raw.pixelSize() / DesignPixels;
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        // Each glyph at a whole pixel: the first layout of a face can place
        // glyphs a few hundredths of a pixel from where later ones do, and
        // outlines drawn smooth would show it.
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const QPointF at(std::round(positions.at(i).x()), std::round(positions.at(i).y()));
            path.addPath(QTransform::fromScale(scale, scale).map(design.pathForGlyph(glyphs.at(i))).translated(at));
        }
        // The lines a run's glyphs would have carried, across the run.
        const QRectF extent = run.boundingRect();
        const qreal thickness = std::max<qreal>(raw.lineThickness(), 1);
        if (run.underline())
            path.addRect(QRectF(extent.left(), raw.underlinePosition(), extent.width(), thickness));
        if (run.strikeOut())
            path.addRect(QRectF(extent.left(), -raw.xHeight() / 2 - thickness / 2, extent.width(), thickness));
    }
    return path;
}

// The outline widened by width, round at joins and ends, as one outline to fill.
QPainterPath widened(const QPainterPath &outline, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath path = stroker.createStroke(outline);
    path.addPath(outline);
    path.setFillRule(Qt::WindingFill);
    return path;
}

// The glyphs' outlines widened by width, as one outline to fill; for a
// raster device also drawn once into a picture, since filling such an
// outline costs many times the glyphs. Kept for the texts last asked for
// (the print view asks again at every change of the card).
std::shared_ptr<const CardSheet::EmboldenedText> emboldenedText(const QString &key, const QList<QGlyphRun> &runs,
                                                                qreal width, const QColor &color, bool raster)
{
    static QMutex mutex;
    static QCache<QString, std::shared_ptr<const CardSheet::EmboldenedText>> cache(EmboldenedCacheBytes);
    {
        const QMutexLocker lock(&mutex);
        if (const auto *found = cache.object(key))
            return *found;
    }
    auto made = std::make_shared<CardSheet::EmboldenedText>();
    const QPainterPath outline = outlineOf(runs);
    if (!raster) {
        made->outline = outline;
        made->outline.setFillRule(Qt::WindingFill);
        made->penWidth = width;
    } else {
        made->outline = widened(outline, width);
    }
    qint64 cost = made->outline.elementCount() * qint64(sizeof(QPainterPath::Element));
    if (raster) {
        const QRect area = made->outline.boundingRect().toAlignedRect();
        if (!area.isEmpty() && qint64(area.width()) * area.height() <= EmboldenedCacheBytes / 8) {
            made->image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            made->image.fill(Qt::transparent);
            made->imageOffset = area.topLeft();
            QPainter painter(&made->image);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.fillPath(made->outline.translated(-area.topLeft()), color);
            cost += made->image.sizeInBytes();
        }
    }
    std::shared_ptr<const CardSheet::EmboldenedText> shared = made;
    const QMutexLocker lock(&mutex);
    cache.insert(key, new std::shared_ptr<const CardSheet::EmboldenedText>(shared), std::max<qint64>(1, cost));
    return shared;
}

} // namespace

namespace {

SheetLayout sheetLayout(const CardDocument &doc, const QPaintDevice &device, const SheetFace &face, SheetOffset offset)
{
    const SheetLayout layout(device.logicalDpiX(), device.logicalDpiY(), doc.screenPpi(), doc.MarginLeft(),
                             doc.MarginTop(), doc.printSettings().Layout, offset);
    return face.turned ? layout.turnedOver(*face.turned) : layout;
}

} // namespace

CardSheet::CardSheet(const CardDocument &doc, const QPaintDevice &device, SheetOffset offset,
                     const PictureHook &pictureHook)
    : CardSheet(doc, device, SheetFace{}, offset, pictureHook)
{
}

CardSheet::CardSheet(const CardDocument &doc, const QPaintDevice &device, const SheetFace &face, SheetOffset offset,
                     const PictureHook &pictureHook)
    : CardSheet(doc.side(face.side), device, sheetLayout(doc, device, face, offset), doc.PrintGuide() != 0,
                face.backgroundBleed, pictureHook, {})
{
}

CardSheet CardSheet::singleCard(const CardDocument &doc, const QPaintDevice &device, std::int32_t dpi,
                                std::int32_t origin, const PictureSource &pictureSource)
{
    return CardSheet(doc.side(doc.shownSide()), device, SheetLayout::singleCard(dpi, doc.screenPpi(), origin), false, 0,
                     {}, pictureSource);
}

CardSheet::CardSheet(const CardSide &doc, const QPaintDevice &device, const SheetLayout &layout, bool guides,
                     std::int32_t backgroundBleed, const PictureHook &pictureHook, const PictureSource &pictureSource)
    : m_layout(layout), m_guides(guides),
      m_backgroundBleed(std::clamp<std::int32_t>(backgroundBleed, 0, std::int32_t(DrawableLimit)))
{
    // A drawing stays vectors on a PDF or a printer; a raster device gets it
    // rendered at its own resolution.
    const int type = device.devType();
    const bool raster = type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
    prepareBackground(doc.background);
    m_shapes = std::vector<CardShape>(doc.shapes.cbegin(), doc.shapes.cend());
    // Scaling the pictures is most of the preparation: on every core.
    std::vector<const MoveImageRecord *> records;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const MoveImageRecord *record = doc.ImageBoxes(slot))
            records.push_back(record);
    }
    m_images.resize(records.size());
    std::vector<QSize> printedSizes;
    for (const MoveImageRecord *record : records)
        printedSizes.push_back(printedPictureSize(m_layout, record->bounds));
    const auto prepare = [&](const MoveImageRecord *&record) {
        const size_t at = size_t(&record - records.data());
        const QSize size = printedSizes[at];
        if (!raster && SvgPicture::isVector(record->Picture)) {
            m_images[at] = {record->bounds, record->Picture, true};
            return;
        }
        m_images[at] = {record->bounds, pictureSource ? pictureSource(record->Picture, size)
                                                      : pictureForPrint(record->Picture, size)};
    };
    // Waking the other cores costs more than a picture already at its
    // printed size (a merge job's logo, a card's every row).
    const auto scaled = [&](size_t at) {
        const QImage &picture = records[at]->Picture;
        return pictureSource || SvgPicture::isVector(picture)
               || pictureForPrintSize(picture, printedSizes[at]) != picture.size();
    };
    size_t toScale = 0;
    for (size_t at = 0; at < records.size(); ++at)
        toScale += scaled(at) ? 1 : 0;
    if (toScale > 1) {
        QtConcurrent::blockingMap(records, prepare);
    } else {
        for (const MoveImageRecord *&record : records)
            prepare(record);
    }
    if (pictureHook) {
        // A drawing is no picture stream: the hook is given none for it.
        std::vector<QImage> pictures;
        for (const PrintedImage &image : m_images)
            pictures.push_back(image.vector ? QImage() : image.picture);
        pictureHook(pictures);
        for (size_t n = 0; n < m_images.size() && n < pictures.size(); ++n) {
            if (!m_images[n].vector)
                m_images[n].picture = pictures[n];
        }
    }
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const TextBox *box = doc.TextBoxes(slot)) {
            m_texts.push_back(prepareText(*box, device));
            m_texts.back().slot = slot;
        }
    }
}

QSize CardSheet::printedPictureSize(const SheetLayout &layout, const BoxBounds &b)
{
    QSize largest(0, 0);
    forEachCell(layout, [&](int column, int row) { largest = largest.expandedTo(boxSizeInCell(layout, column, row, b)); });
    return largest;
}

CardSheet::PrintedText CardSheet::prepareText(const TextBox &box, const QPaintDevice &device) const
{
    if (const std::optional<QrCaption> qr = qrCaption(box.Caption))
        return prepareQr(box, *qr);
    BoxFont boxFont = box.Font;
    boxFont.setHeight(m_layout.printerFontHeight(box.Font.height()));
    const DeviceFont made = deviceFont(boxFont, device);
    const QFont &font = made.font;
    if (!box.Setting.isDefault())
        return prepareLaidOut(box, font);

    // A caption laid out for a device is kept for the next sheets: a merge
    // job makes a sheet per row of one design, and many rows share a text.
    // The key holds everything the layout below reads.
    QCache<QString, PrintedText> &prepared = preparedTexts();
    struct Numbers {
        QRgb color;
        std::int32_t left, devType, logicalDpiX, logicalDpiY, dpiX, dpiY, screenPpi;
        double cardWidth;
    } numbers{FontMapping::toQColor(boxFont.color()).rgba(), box.bounds.Left, device.devType(), device.logicalDpiX(),
              device.logicalDpiY(), m_layout.dpiX(), m_layout.dpiY(), m_layout.screenPpi(), double(m_layout.cardWidthPixels())};
    static_assert(sizeof(Numbers) == 8 * sizeof(std::int32_t) + sizeof(double), "no padding in the key");
    const QString key = box.Caption + QChar(0x1f) + made.key + QChar(0x1f)
                        + QString(reinterpret_cast<const QChar *>(&numbers), qsizetype(sizeof numbers / sizeof(QChar)));
    if (const PrintedText *found = prepared.object(key)) {
        PrintedText copy = *found;
        copy.bounds = box.bounds;
        return copy;
    }
    const QFontMetrics metrics(font, &device);
    // The same in every cell: the fit compares within the card. Each width
    // measured shapes the text again, so the whole caption is shaped once
    // for both its glyphs and the fit's first measurement, which is nearly
    // always the only one (a 1000-row merge job shaped each caption three
    // times, then twice: a third of its time).
    const ShapedText whole = shapedText(box.Caption, font, device);
    std::map<qsizetype, int> measured{{box.Caption.size(), whole.advance}};
    const auto width = [&](const QString &prefix) {
        const auto found = measured.find(prefix.size());
        return found != measured.end() ? found->second
                                       : measured.emplace(prefix.size(), metrics.horizontalAdvance(prefix)).first->second;
    };
    const QString text = m_layout.fitCaption(box.Caption, box.bounds.Left, width);

    PrintedText printed;
    printed.bounds = box.bounds;
    printed.glyphs = text.size() == box.Caption.size() ? whole.runs : shapedText(text, font, device).runs;
    printed.color = FontMapping::toQColor(boxFont.color());
    const QList<QGlyphRun> bold = takeEmboldened(printed.glyphs);
    if (!bold.isEmpty()) {
        const bool raster = device.devType() == QInternal::Image;
        const QString boldKey = QStringLiteral("%1\x1f%2\x1f%3\x1f%4\x1f%5")
                                .arg(text, made.key)
                                .arg(printed.color.rgba())
                                .arg(device.logicalDpiY())
                                .arg(raster);
        printed.emboldened = emboldenedText(boldKey, bold, font.pixelSize() * EmboldenPerEm, printed.color, raster);
    }
    printed.width = width(text);
    printed.ascent = metrics.ascent();
    printed.descent = metrics.descent();
    printed.reach = plainReach(printed, bold);
    qsizetype glyphs = 1;
    for (const QGlyphRun &run : printed.glyphs)
        glyphs += run.glyphIndexes().size();
    prepared.insert(key, new PrintedText(printed), glyphs);
    return printed;
}

QCache<QString, CardSheet::PrintedText> &CardSheet::preparedTexts()
{
    // Shaped runs hold the font engines of the thread that shaped them.
    thread_local QCache<QString, PrintedText> prepared(PreparedTextCacheGlyphs);
    return prepared;
}

void CardSheet::forgetFontsOfThisThread()
{
    preparedTexts().clear();
    threadDeviceFonts().clear();
    CaptionLayout::forgetFacesOfThisThread();
}

CardSheet::PrintedText CardSheet::prepareLaidOut(const TextBox &box, const QFont &font) const
{
    PrintedText printed;
    printed.bounds = box.bounds;
    printed.color = FontMapping::toQColor(box.Font.color());
    const bool vertical = box.Setting.vertical;
    const QSize size = boxSizeInCell(m_layout, 0, 0, box.bounds);
    // The line may reach no further than a pixel short of the card's edge:
    // a spread or right-aligned line ends inside the card, as a fitted one does.
    const std::int32_t ppi = std::max(1, m_layout.screenPpi());
    const long double start = vertical ? (long double)box.bounds.Top * m_layout.dpiY() / ppi
                                       : (long double)box.bounds.Left * m_layout.dpiX() / ppi;
    const long double edge = vertical ? m_layout.cardHeightPixels() : m_layout.cardWidthPixels();
    const qreal room = qreal(std::clamp<long double>(edge - start - 1, 1, (long double)DrawableLimit));
    // What fits is measured on one left-aligned layout of the whole caption:
    // a line cut after k characters reaches as far as they do, or, centred,
    // halfway past the box's end; a right-aligned line ends at the box's end.
    TextSetting natural = box.Setting;
    natural.align = TextAlign::Left;
    const CaptionLayout measured =
        CaptionLayout::lay(box.Caption, font, natural, size, room, CaptionLayout::Use::Measure);
    const qreal boxLength = std::min<qreal>(vertical ? size.height() : size.width(), room);
    const auto length = [&](const QString &prefix) {
        const qreal reach = measured.endAfter(int(prefix.size()));
        qreal end = reach;
        if (box.Setting.align == TextAlign::Center)
            end = (boxLength + reach) / 2;
        else if (box.Setting.align == TextAlign::Right)
            end = boxLength;
        return std::int64_t(std::ceil(std::clamp<qreal>(end, -DrawableLimit, DrawableLimit)));
    };
    const QString text = vertical ? m_layout.fitCaptionDown(box.Caption, box.bounds.Top, length)
                                  : m_layout.fitCaption(box.Caption, box.bounds.Left, length);
    printed.laid = CaptionLayout::lay(text, font, box.Setting, size, room);
    printed.reach = widenedForSmoothing(printed.laid->reach());
    return printed;
}

QRect CardSheet::plainReach(const PrintedText &printed, const QList<QGlyphRun> &emboldenedRuns)
{
    // The cell and the glyphs' ink; an underline, overline or strike-out
    // lies within a cell's height of the cell.
    const int cellHeight = printed.ascent + printed.descent;
    QRectF reach(0, 0, printed.width, cellHeight);
    bool decorated = false;
    for (const QList<QGlyphRun> *runs : {&printed.glyphs, &emboldenedRuns}) {
        for (const QGlyphRun &run : *runs) {
            reach |= glyphInk(run).translated(0, printed.ascent);
            decorated = decorated || run.underline() || run.overline() || run.strikeOut();
        }
    }
    if (const std::shared_ptr<const EmboldenedText> bold = printed.emboldened) {
        const qreal pen = bold->penWidth;
        reach |= bold->outline.boundingRect().adjusted(-pen, -pen, pen, pen).translated(0, printed.ascent);
        if (!bold->image.isNull())
            reach |= QRectF(QPointF(bold->imageOffset) + QPointF(0, printed.ascent), QSizeF(bold->image.size()));
    }
    if (decorated)
        reach.adjust(-cellHeight, -cellHeight, cellHeight, cellHeight);
    return widenedForSmoothing(reach);
}

void CardSheet::setEveryCaptionCellFilled(bool filled)
{
    everyCaptionCellFilled = filled;
}

bool CardSheet::whiteCovers(const QRect &cell, int column, int row, const PageInk &ink) const
{
    return everyCaptionCellFilled || !ink.blank(cell, size_t(column) * size_t(m_layout.rows()) + size_t(row));
}

void CardSheet::draw(QPainter &painter) const
{
    drawCells(painter, [this](int, int) { return this; });
}

void CardSheet::drawCells(QPainter &painter, const CellCards &cards) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Logos must stay sharp: no lossy compression of pictures in a PDF.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    std::vector<QRect> cardCells;
    forEachCell(m_layout, [&](int column, int row) { cardCells.push_back(cardCell(column, row)); });
    PageInk ink(std::move(cardCells));
    PrintBackground(painter, cards, ink);
    if (m_guides)
        PrintGuides(painter, ink);
    for (size_t n = 0; n < m_shapes.size(); ++n)
        PrintShape(painter, n, cards, ink);
    for (size_t n = 0; n < m_images.size(); ++n)
        PrintImageBox(painter, n, cards, ink);
    GlyphBatch glyphs(painter);
    for (size_t n = 0; n < m_texts.size(); ++n)
        PrintTextBox(painter, n, cards, ink, glyphs);
    glyphs.flush();
    painter.restore();
}

void CardSheet::PrintGuides(QPainter &painter, PageInk &ink) const
{
    // Each arm runs from centre − 10 to centre + 10 with the end point left
    // out: 20 whole pixels, filled as a rectangle so every device gets exactly those.
    constexpr int arm = SheetLayout::CrossHalfArm;
    for (int g = 0; g < m_layout.guideColumns(); ++g) {
        for (int h = 0; h < m_layout.guideRows(); ++h) {
            const QPoint c = m_layout.crossCentre(g, h);
            if (!drawable(std::int64_t(c.x()) - arm, std::int64_t(c.y()) - arm, std::int64_t(c.x()) + arm,
                          std::int64_t(c.y()) + arm))
                continue;
            painter.fillRect(QRect(c.x() - arm, c.y(), 2 * arm, 1), Qt::black);
            painter.fillRect(QRect(c.x(), c.y() - arm, 1, 2 * arm), Qt::black);
            ink.add(QRect(c.x() - arm, c.y() - arm, 2 * arm + 1, 2 * arm + 1));
        }
    }
}

void CardSheet::PrintImageBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_images.size())
            return;
        const PrintedImage &image = card->m_images[index];
        if (image.picture.isNull())
            return;
        const std::optional<QRect> target = boxOnPage(m_layout, column, row, image.bounds);
        if (!target)
            return;
        if (image.vector) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, true);
            SvgPicture::draw(painter, QRectF(*target), image.picture);
            painter.restore();
        } else {
            painter.drawImage(*target, image.picture);
        }
        ink.add(target->adjusted(-1, -1, 1, 1));
    });
}

QRect CardSheet::cardCell(int column, int row) const
{
    const int left = m_layout.pageX(column, 0);
    const int top = m_layout.pageY(row, 0);
    return QRect(left, top, m_layout.cardRightX(column) - left, m_layout.cardBottomY(row) - top);
}

QRect CardSheet::backgroundCell(int column, int row) const
{
    const QRect card = cardCell(column, row);
    const std::int64_t bleed = m_backgroundBleed;
    const std::int64_t left = std::int64_t(card.left()) - bleed;
    const std::int64_t top = std::int64_t(card.top()) - bleed;
    const std::int64_t right = std::int64_t(card.left()) + card.width() + bleed;
    const std::int64_t bottom = std::int64_t(card.top()) + card.height() + bleed;
    if (card.isEmpty() || bleed == 0 || !drawable(left, top, right, bottom))
        return card;
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

void CardSheet::prepareBackground(const CardBackground &background)
{
    if (background.color)
        m_background.color = FontMapping::toQColor(*background.color);
    QImage picture = background.picture;
    if (picture.isNull())
        return;
    // A picture stretched or filled to the card covers the bleed as well:
    // it is fitted to the card grown by the bleed, as a shop expects a
    // background made for a card to reach past the cut.
    QSize cell(0, 0);
    forEachCell(m_layout, [&](int column, int row) { cell = cell.expandedTo(backgroundCell(column, row).size()); });
    if (cell.isEmpty())
        return;
    if (background.fit == BackgroundFit::Fill && !SvgPicture::isVector(picture)) {
        // The picture's middle in the card's proportions.
        const qint64 byWidth = qint64(picture.height()) * cell.width();
        const qint64 byHeight = qint64(picture.width()) * cell.height();
        QRect kept = picture.rect();
        if (byHeight > byWidth)
            kept.setWidth(int(std::max<qint64>(1, byWidth / cell.height())));
        else
            kept.setHeight(int(std::max<qint64>(1, byHeight / cell.width())));
        kept.moveCenter(picture.rect().center());
        picture = picture.copy(kept);
    }
    m_background.picture = pictureForPrint(picture, cell);
}

void CardSheet::PrintBackground(QPainter &painter, const CellCards &cards, PageInk &ink) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || (!card->m_background.color && card->m_background.picture.isNull()))
            return;
        const QRect cell = backgroundCell(column, row);
        if (cell.isEmpty() || !drawable(cell.left(), cell.top(), cell.right(), cell.bottom()))
            return;
        if (card->m_background.color)
            painter.fillRect(cell, *card->m_background.color);
        if (!card->m_background.picture.isNull())
            painter.drawImage(cell, card->m_background.picture);
        ink.add(cell.adjusted(-1, -1, 1, 1));
    });
}

void CardSheet::PrintShape(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_shapes.size())
            return;
        const CardShape &shape = card->m_shapes[index];
        const QPoint from = m_layout.pagePoint(column, row, shape.x1, shape.y1);
        const QPoint to = m_layout.pagePoint(column, row, shape.x2, shape.y2);
        if (!drawable(from.x(), from.y(), to.x(), to.y()))
            return;
        ShapeDrawing::draw(painter, shape, from, to, m_layout.dpiX(), m_layout.dpiY());
        // A stroke reaches half its width past the points, a mitred corner
        // a little more.
        const std::int32_t width = std::max(ShapeDrawing::pixels(shape.widthTenths, m_layout.dpiX()),
                                            ShapeDrawing::pixels(shape.widthTenths, m_layout.dpiY()));
        const int around = int(std::min<std::int64_t>(2 * std::int64_t(width) + 2, DrawableLimit));
        ink.add(QRect(from, to).normalized().adjusted(-around, -around, around, around));
    });
}

void CardSheet::PrintTextBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink,
                             GlyphBatch &glyphs) const
{
    bool plainOnly = true;
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (card && index < card->m_texts.size() && (card->m_texts[index].isQr || card->m_texts[index].laid))
            plainOnly = false;
    });
    if (plainOnly)
        PrintPlainTextBox(painter, index, cards, ink, glyphs);
    else
        PrintTextBoxCellByCell(painter, index, cards, ink, glyphs);
}

void CardSheet::PrintPlainTextBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink,
                                  GlyphBatch &glyphs) const
{
    // Where the box's caption stands in each cell, and whether its white may
    // cover something, decided in the order the cells are drawn.
    struct Placed {
        const PrintedText *text;
        QPoint at;
        QRect cell;
        bool white;
    };
    std::vector<Placed> placed;
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_texts.size())
            return;
        const PrintedText &text = card->m_texts[index];
        if (const std::optional<QRect> cell = plainCell(text, column, row)) {
            placed.push_back({&text, cell->topLeft(), *cell, whiteCovers(*cell, column, row, ink)});
            ink.add(text.reach.translated(cell->topLeft()));
        }
    });
    // The whites of every cell at once, then the glyphs: the same page as
    // each white just before its own caption, unless a white falls on the
    // caption of a cell drawn before it. One fill instead of one a card,
    // and the glyphs stay one batch. (Every cell filled: each white just
    // before its caption, as pages were once drawn.)
    bool whitesFirst = !everyCaptionCellFilled;
    QVector<QRect> whites;
    for (size_t n = 0; n < placed.size() && whitesFirst; ++n) {
        if (!placed[n].white)
            continue;
        whites.push_back(placed[n].cell);
        for (size_t before = 0; before < n && whitesFirst; ++before)
            whitesFirst = !placed[n].cell.intersects(placed[before].text->reach.translated(placed[before].at));
    }
    if (whitesFirst && !whites.isEmpty()) {
        glyphs.flush();
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRects(whites);
        painter.restore();
    }
    for (const Placed &p : placed) {
        if (p.white && !whitesFirst) {
            glyphs.flush();
            painter.fillRect(p.cell, Qt::white);
        }
        drawPlainCaption(painter, *p.text, p.at, glyphs);
    }
}

void CardSheet::PrintTextBoxCellByCell(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink,
                                       GlyphBatch &glyphs) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_texts.size())
            return;
        const PrintedText &text = card->m_texts[index];
        if (text.isQr) {
            glyphs.flush();
            PrintQrBox(painter, text, column, row, ink);
            return;
        }
        if (text.laid) {
            const QPoint at = m_layout.pagePoint(column, row, text.bounds.Left, text.bounds.Top);
            const QRectF cell = text.laid->cell().translated(at);
            if (text.laid->isEmpty()
                || !drawable(std::int64_t(cell.left()), std::int64_t(cell.top()), std::int64_t(cell.right()),
                             std::int64_t(cell.bottom())))
                return;
            glyphs.flush();
            // Opaque text: the character cells are white under the glyphs.
            if (whiteCovers(cell.toAlignedRect(), column, row, ink))
                painter.fillRect(cell, Qt::white);
            text.laid->draw(painter, at, text.color);
            ink.add(text.reach.translated(at));
            return;
        }
        const std::optional<QRect> cell = plainCell(text, column, row);
        if (!cell)
            return;
        if (whiteCovers(*cell, column, row, ink)) {
            glyphs.flush();
            painter.fillRect(*cell, Qt::white);
        }
        ink.add(text.reach.translated(cell->topLeft()));
        drawPlainCaption(painter, text, cell->topLeft(), glyphs);
    });
}

std::optional<QRect> CardSheet::plainCell(const PrintedText &text, int column, int row) const
{
    if (text.glyphs.isEmpty() && !text.emboldened)
        return std::nullopt;
    const int cellHeight = text.ascent + text.descent;
    const QPoint at = m_layout.pagePoint(column, row, text.bounds.Left, text.bounds.Top);
    if (!drawable(at.x(), at.y(), std::int64_t(at.x()) + text.width, std::int64_t(at.y()) + cellHeight))
        return std::nullopt;
    return QRect(at.x(), at.y(), text.width, cellHeight);
}

void CardSheet::drawPlainCaption(QPainter &painter, const PrintedText &text, QPoint at, GlyphBatch &glyphs) const
{
    const QPointF baseline(at.x(), at.y() + text.ascent);
    for (const QGlyphRun &run : text.glyphs)
        glyphs.add(run, baseline, text.color);
    const std::shared_ptr<const EmboldenedText> bold = text.emboldened;
    if (!bold)
        return;
    glyphs.flush();
    if (!bold->image.isNull()) {
        painter.drawImage(baseline.toPoint() + bold->imageOffset, bold->image);
        return;
    }
    if (m_cellForms && bold->penWidth > 0) {
        if (const auto standIn = m_cellForms->standInForOutline(bold, bold->outline, bold->penWidth, text.color)) {
            painter.drawImage(QRectF(standIn->rect.translated(baseline.toPoint())), standIn->image);
            return;
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (bold->penWidth > 0) {
        painter.setPen(QPen(text.color, bold->penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(text.color);
        painter.drawPath(bold->outline.translated(baseline));
    } else {
        painter.fillPath(bold->outline.translated(baseline), text.color);
    }
    painter.restore();
}

CardSheet::PrintedText CardSheet::prepareQr(const TextBox &box, const QrCaption &qr) const
{
    PrintedText printed;
    printed.bounds = box.bounds;
    printed.isQr = true;
    // The module size comes from the smallest of the cells (they differ
    // by a pixel at most), so the symbol fits every one of them.
    const BoxBounds &b = box.bounds;
    const int limit = int(DrawableLimit);
    QSize smallest(limit, limit);
    forEachCell(m_layout, [&](int column, int row) { smallest = smallest.boundedTo(boxSizeInCell(m_layout, column, row, b)); });
    const QrSymbol symbol = qr.symbol();
    const int module = QrDrawing::moduleSize(symbol.width(), smallest);
    printed.color = FontMapping::toQColor(box.Font.color());
    printed.qrModules = QrDrawing::darkModules(symbol, module);
    printed.qrSide = int(QrDrawing::side(symbol, module));
    if (symbol.status() == QrSymbol::Status::TooLong)
        printed.qrLeftOut = QrLeftOut::TooLong;
    else if (symbol.isValid() && module == 0)
        printed.qrLeftOut = QrLeftOut::TooSmall;
    return printed;
}

std::vector<CardSheet::UnprintedQr> CardSheet::unprintedQrCodes() const
{
    std::vector<UnprintedQr> unprinted;
    for (const PrintedText &text : m_texts) {
        if (text.qrLeftOut)
            unprinted.push_back({text.slot, *text.qrLeftOut});
    }
    return unprinted;
}

std::vector<CardSheet::PrintedInk> CardSheet::printedInk() const
{
    std::vector<PrintedInk> inks;
    for (const PrintedText &text : m_texts) {
        QRectF ink;
        if (text.isQr) {
            if (const std::optional<QRect> cell = boxOnPage(m_layout, 0, 0, text.bounds); cell && !text.qrModules.isEmpty())
                ink = QRectF(QrDrawing::centredIn(*cell, text.qrSide), QSizeF(text.qrSide, text.qrSide));
        } else {
            const QPoint at = m_layout.pagePoint(0, 0, text.bounds.Left, text.bounds.Top);
            const QPointF baseline(at.x(), at.y() + text.ascent);
            for (const QGlyphRun &run : text.glyphs)
                ink = ink.united(glyphInk(run).translated(baseline));
            if (text.emboldened)
                ink = ink.united(text.emboldened->outline.boundingRect().translated(baseline));
        }
        if (!ink.isEmpty())
            inks.push_back({text.slot, ink});
    }
    return inks;
}

void CardSheet::PrintQrBox(QPainter &painter, const PrintedText &text, int column, int row, PageInk &ink) const
{
    // Content no symbol holds, or a box too small for one: nothing is printed.
    if (text.qrModules.isEmpty())
        return;
    const std::optional<QRect> target = boxOnPage(m_layout, column, row, text.bounds);
    if (!target)
        return;
    const QRect cell = *target;
    // White under the whole box, as under a caption's characters.
    painter.fillRect(cell, Qt::white);
    const QPoint corner = QrDrawing::centredIn(cell, text.qrSide);
    const auto standIn = m_cellForms ? m_cellForms->standInForRectangles(text.qrModules, text.qrSide, text.color)
                                     : std::nullopt;
    if (standIn)
        painter.drawImage(QRectF(standIn->rect.translated(corner)), standIn->image);
    else
        QrDrawing::fillModules(painter, text.qrModules, corner, text.color);
    ink.add(cell);
}
