#pragma once
// One printed sheet of the card: the background, the cut guides, the lines
// and rectangles, then every image box, then every text box, each in every
// card cell of the paper layout. The sheet is prepared once for a device (its
// pixels per inch and its font metrics) and can then be drawn on as many pages
// as the job has; every page draws the very same picture objects, so a PDF
// embeds each picture once.
#include "card/CardDocument.h"
#include "qr/QrCaption.h"
#include "sheet/PageInk.h"
#include "sheet/SheetLayout.h"
#include "text/CaptionLayout.h"

#include <QCache>
#include <QColor>
#include <QGlyphRun>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PdfCellForms;

class GlyphBatch;
class QPainter;
class QPaintDevice;

// Which side of the card a sheet prints and, for a back printed behind its
// fronts, how the page is turned over (none: the cells stand as on a front).
struct SheetFace {
    Side side = Side::Front;
    std::optional<BackSheet> turned;
    // Device pixels the background reaches past the card's edges, on every
    // side: a print shop's bleed (塗り足し). None on a sheet, whose cells may
    // touch.
    std::int32_t backgroundBleed = 0;
};

class CardSheet
{
public:
    // Given the pictures as prepared for the device, one per image box in
    // slot order, before the captions are laid out; what it leaves in
    // pictures is drawn.
    using PictureHook = std::function<void(std::vector<QImage> &pictures)>;

    // Lays the document out for device, using its logical pixels per inch.
    // The print settings (guides, margins, layout) are read from the
    // document; offset shifts the whole sheet.
    CardSheet(const CardDocument &doc, const QPaintDevice &device, SheetOffset offset = {},
              const PictureHook &pictureHook = {});
    // The same for either side of the card (the one above prints the front,
    // whichever side is shown).
    CardSheet(const CardDocument &doc, const QPaintDevice &device, const SheetFace &face, SheetOffset offset = {},
              const PictureHook &pictureHook = {});

    // A picture as a box shows it printed at size: by default the picture
    // scaled down to it (pictureForPrint); a view may keep what it made.
    using PictureSource = std::function<QImage(const QImage &picture, QSize printedSize)>;

    // One card alone (the side shown), as every cell of a sheet prints it, at dpi (the
    // device's pixels per inch, in both directions): the card's top-left
    // corner at (origin, origin), no cut guides, no margins. What lies beyond
    // the card edge is drawn too, as on paper. The device gives the font metrics.
    static CardSheet singleCard(const CardDocument &doc, const QPaintDevice &device, std::int32_t dpi,
                                std::int32_t origin, const PictureSource &pictureSource = {});

    const SheetLayout &layout() const { return m_layout; }

    // The size a box's picture is printed at with layout: the largest of its
    // cells (they differ by a pixel at most through rounding).
    static QSize printedPictureSize(const SheetLayout &layout, const BoxBounds &bounds);

    // Draws one sheet with a painter open on the device given above, in the
    // painter's coordinates: device pixels from the printable area's
    // top-left corner for the standard layout, from the paper's for the
    // others (layout().fromPaperCorner()).
    void draw(QPainter &painter) const;

    // The QR code boxes this sheet leaves blank, in slot order: content no
    // symbol holds, or a box too small for the symbol (an empty content is
    // no code and is not listed).
    enum class QrLeftOut { TooLong, TooSmall };
    struct UnprintedQr {
        int slot;
        QrLeftOut why;
    };
    std::vector<UnprintedQr> unprintedQrCodes() const;

    // Where each text and QR code box of the first cell puts ink, in the
    // painter's coordinates (the glyphs' outlines, or the symbol's modules),
    // in slot order; a box that prints nothing is left out.
    struct PrintedInk {
        int slot;
        QRectF ink;
    };
    std::vector<PrintedInk> printedInk() const;

    // The sheet whose card a cell shows, or null for a cell left empty.
    using CellCards = std::function<const CardSheet *(int column, int row)>;
    // Draws one sheet whose cells show different cards of the same design
    // (the same boxes, laid out for the same device as this one), in the
    // order draw() keeps: this sheet's guides, then each image box, then
    // each text box, every one in every cell.
    void drawCells(QPainter &painter, const CellCards &cards) const;

    // Whether every caption's cell is filled white just before its glyphs,
    // as a page of the cards was once drawn: also over paper nothing has
    // touched, where the white changes nothing and is left out, and one cell
    // at a time where the whites of a box's cells are drawn together. For
    // comparing the two: a page looks the same either way.
    static void setEveryCaptionCellFilled(bool filled);

    // Sheets keep the fonts and shaped captions of the thread that drew
    // them for later sheets. A thread other than the main one calls this
    // when it has drawn its last sheet, while Qt's fonts of the thread
    // still stand.
    static void forgetFontsOfThisThread();

    // For a PDF sheet whose emboldened captions and QR codes become forms:
    // draw() then draws each of them as the stand-in forms gives (see
    // PdfCellForms), the same in every cell. Null: the drawings themselves.
    void setCellForms(PdfCellForms *forms) { m_cellForms = forms; }

    // Glyphs emboldened: the widened outline (baseline at y = 0) and, for a
    // raster device, the outline drawn once, its top-left corner at imageOffset.
    // For a vector device the outline is the glyphs' own, filled and stroked
    // with a pen of penWidth: the same shape, written once instead of the
    // widened outline's many times as many curves.
    struct EmboldenedText {
        QPainterPath outline;
        QImage image;
        QPoint imageOffset;
        qreal penWidth = 0;
    };

private:
    CardSheet(const CardSide &boxes, const QPaintDevice &device, const SheetLayout &layout, bool guides,
              std::int32_t backgroundBleed, const PictureHook &pictureHook, const PictureSource &pictureSource);

    struct PrintedImage {
        BoxBounds bounds;
        QImage picture;        // prepared once for the whole job
        bool vector = false;   // an SVG drawing, drawn as vectors
    };
    struct PrintedBackground {
        std::optional<QColor> color;
        QImage picture;   // cropped and scaled to the card once
    };
    struct PrintedText {
        BoxBounds bounds;
        // The caption as far as it fits on the card, shaped once for all the
        // cells and pages, with the baseline at y = 0.
        QList<QGlyphRun> glyphs;
        // A bold box in a face without a bold style: its glyphs emboldened
        // (those runs are not in glyphs), shared with other sheets.
        std::shared_ptr<const EmboldenedText> emboldened;
        // A box with a text setting of its own: its caption as laid out
        // (drawn instead of glyphs), the box's top-left corner at (0, 0).
        std::optional<CaptionLayout> laid;
        QColor color;
        // All that drawing the caption touches, its cell included, the box's
        // top-left corner at (0, 0): what a later caption's white covers.
        QRect reach;
        int width = 0;   // advance of the fitted caption
        int ascent = 0;
        int descent = 0;
        bool isQr = false;   // a QR code box: its modules are drawn instead of the glyphs
        // The symbol's dark modules, the quiet zone's corner at (0, 0); empty
        // when it cannot be printed. qrSide: the symbol with its quiet zone.
        QVector<QRect> qrModules;
        int qrSide = 0;
        std::optional<QrLeftOut> qrLeftOut;
        int slot = 0;
    };

    PrintedText prepareText(const TextBox &box, const QPaintDevice &device) const;
    PrintedText prepareLaidOut(const TextBox &box, const QFont &font) const;
    PrintedText prepareQr(const TextBox &box, const QrCaption &qr) const;
    // What a plain caption's drawing reaches (its reach), its emboldened
    // runs apart.
    static QCache<QString, PrintedText> &preparedTexts();
    static QRect plainReach(const PrintedText &printed, const QList<QGlyphRun> &emboldenedRuns);

    void prepareBackground(const CardBackground &background);
    // The card's area in a cell, on the page.
    QRect cardCell(int column, int row) const;
    // The background's: the card's grown by the bleed.
    QRect backgroundCell(int column, int row) const;

    // Each adds what it draws to ink.
    void PrintBackground(QPainter &painter, const CellCards &cards, PageInk &ink) const;
    void PrintShape(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink) const;
    void PrintGuides(QPainter &painter, PageInk &ink) const;
    void PrintImageBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink) const;
    void PrintTextBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink, GlyphBatch &glyphs) const;
    // A box whose every cell holds a plain caption (no QR code, no text
    // setting of its own); any other, a cell at a time.
    void PrintPlainTextBox(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink,
                           GlyphBatch &glyphs) const;
    void PrintTextBoxCellByCell(QPainter &painter, size_t index, const CellCards &cards, PageInk &ink,
                                GlyphBatch &glyphs) const;
    // A plain caption's character cells in a cell of the sheet, white under
    // its glyphs when they may cover something (the cells' top-left corner
    // is the box's); nothing when it prints nothing.
    std::optional<QRect> plainCell(const PrintedText &text, int column, int row) const;
    // A plain caption's glyphs, and its emboldened ones, the box's top-left corner at at.
    void drawPlainCaption(QPainter &painter, const PrintedText &text, QPoint at, GlyphBatch &glyphs) const;
    void PrintQrBox(QPainter &painter, const PrintedText &text, int column, int row, PageInk &ink) const;
    // Whether the white under a caption's cell, in a cell of the sheet, may
    // cover something: what is drawn there, or what lies beyond the card (a
    // view's pasteboard, another card).
    bool whiteCovers(const QRect &cell, int column, int row, const PageInk &ink) const;

    SheetLayout m_layout;
    bool m_guides = false;
    std::int32_t m_backgroundBleed = 0;
    PrintedBackground m_background;
    std::vector<CardShape> m_shapes;      // bottom first
    std::vector<PrintedImage> m_images;   // in slot order
    std::vector<PrintedText> m_texts;     // in slot order
    PdfCellForms *m_cellForms = nullptr;
};
