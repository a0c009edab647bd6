#include "sheet/CardSheet.h"

#include "picture/PictureLoader.h"
#include "qr/QrDrawing.h"
#include "sheet/FontMapping.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <optional>

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

// Shaping a caption costs more than drawing it; a sheet draws each caption
// eight times a page, so it is shaped once and drawn as glyphs.
QList<QGlyphRun> shapedText(const QString &text, const QFont &font, const QPaintDevice &device)
{
    if (text.isEmpty())
        return {};
    QTextLayout layout(text, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    QList<QGlyphRun> runs = line.glyphRuns();
    for (QGlyphRun &run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p.ry() -= line.ascent();
        run.setPositions(positions);
    }
    return runs;
}

} // namespace

CardSheet::CardSheet(const CardDocument &doc, const QPaintDevice &device, SheetOffset offset,
                     const PictureHook &pictureHook)
    : m_layout(device.logicalDpiX(), device.logicalDpiY(), doc.screenPpi(), doc.MarginLeft(), doc.MarginTop(),
               doc.printSettings().Layout, offset),
      m_guides(doc.PrintGuide() != 0)
{
    // Scaling the pictures is most of the preparation: on every core.
    std::vector<const MoveImageRecord *> records;
    for (int slot = 0; slot < CardDocument::SlotCount; ++slot) {
        if (const MoveImageRecord *record = doc.ImageBoxes(slot))
            records.push_back(record);
    }
    m_images.resize(records.size());
    QtConcurrent::blockingMap(records, [&](const MoveImageRecord *&record) {
        const size_t at = size_t(&record - records.data());
        m_images[at] = {record->bounds, pictureForPrint(record->Picture, printedPictureSize(m_layout, record->bounds))};
    });
    if (pictureHook) {
        std::vector<QImage> pictures;
        for (const PrintedImage &image : m_images)
            pictures.push_back(image.picture);
        pictureHook(pictures);
        for (size_t n = 0; n < m_images.size() && n < pictures.size(); ++n)
            m_images[n].picture = pictures[n];
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
    const QFont font = FontMapping::toQFont(boxFont);
    const QFontMetrics metrics(font, &device);
    // The same in every cell: the fit compares within the card.
    const QString text = m_layout.fitCaption(box.Caption, box.bounds.Left,
                                             [&](const QString &prefix) { return metrics.horizontalAdvance(prefix); });

    PrintedText printed;
    printed.bounds = box.bounds;
    printed.glyphs = shapedText(text, font, device);
    printed.color = FontMapping::toQColor(boxFont.color());
    printed.width = metrics.horizontalAdvance(text);
    printed.ascent = metrics.ascent();
    printed.descent = metrics.descent();
    return printed;
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
    if (m_guides)
        PrintGuides(painter);
    for (size_t n = 0; n < m_images.size(); ++n)
        PrintImageBox(painter, n, cards);
    for (size_t n = 0; n < m_texts.size(); ++n)
        PrintTextBox(painter, n, cards);
    painter.restore();
}

void CardSheet::PrintGuides(QPainter &painter) const
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
        }
    }
}

void CardSheet::PrintImageBox(QPainter &painter, size_t index, const CellCards &cards) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_images.size())
            return;
        const PrintedImage &image = card->m_images[index];
        if (image.picture.isNull())
            return;
        if (const std::optional<QRect> target = boxOnPage(m_layout, column, row, image.bounds))
            painter.drawImage(*target, image.picture);
    });
}

void CardSheet::PrintTextBox(QPainter &painter, size_t index, const CellCards &cards) const
{
    forEachCell(m_layout, [&](int column, int row) {
        const CardSheet *card = cards(column, row);
        if (!card || index >= card->m_texts.size())
            return;
        const PrintedText &text = card->m_texts[index];
        if (text.isQr) {
            PrintQrBox(painter, text, column, row);
            return;
        }
        if (text.glyphs.isEmpty())
            return;
        const int cellHeight = text.ascent + text.descent;
        const QPoint at = m_layout.pagePoint(column, row, text.bounds.Left, text.bounds.Top);
        if (!drawable(at.x(), at.y(), std::int64_t(at.x()) + text.width, std::int64_t(at.y()) + cellHeight))
            return;
        // Opaque text: the character cells are white under the glyphs.
        painter.fillRect(QRect(at.x(), at.y(), text.width, cellHeight), Qt::white);
        painter.setPen(text.color);
        const QPointF baseline(at.x(), at.y() + text.ascent);
        for (const QGlyphRun &run : text.glyphs)
            painter.drawGlyphRun(baseline, run);
    });
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

void CardSheet::PrintQrBox(QPainter &painter, const PrintedText &text, int column, int row) const
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
    QrDrawing::fillModules(painter, text.qrModules, QrDrawing::centredIn(cell, text.qrSide), text.color);
}
