#pragma once
// A caption set with its box's text setting: aligned or spread over the box
// (均等割付), its glyphs narrowed or flattened (長体 / 平体), letter-spaced,
// or written top to bottom (縦書き) with the font's vertical forms, Latin
// turned and short runs of digits side by side (縦中横). The caption is
// shaped once by HarfBuzz into positioned glyph runs of the box's face (and
// of the faces that hold what it lacks), and drawn as glyphs, so a PDF keeps
// the text and embeds the font.
//
// Coordinates are device pixels with the box's top-left corner at (0, 0).
// A horizontal line starts at the box's left edge with the glyphs' cell top at
// y = 0, as a plain caption does; a vertical line runs down from the box's
// top-right corner.
#include "card/TextSetting.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <memory>
#include <mutex>
#include <vector>

class QPainter;

class CaptionLayout
{
public:
    CaptionLayout() = default;

    // text in font (its pixel size for the device that draws it) as setting
    // sets it in a box of size box. available, when positive and shorter than
    // the box along the line, is as far as the line may reach (the card's edge):
    // a spread line ends there.
    // Measure: only where the characters stand (emOf, endAfter, lineEnd),
    // no glyphs to draw; a fraction of the cost for a long caption.
    enum class Use { Draw, Measure };
    static CaptionLayout lay(const QString &text, const QFont &font, const TextSetting &setting, QSizeF box,
                             qreal available = 0, Use use = Use::Draw);

    // How long the line of text is when nothing spreads it: what a box
    // fitted to its caption needs along the line.
    static qreal naturalLength(const QString &text, const QFont &font, const TextSetting &setting);

    // Each thread keeps the HarfBuzz faces of the fonts it laid out with. A
    // thread other than the main one calls this when it lays out no more,
    // while Qt's fonts of the thread still stand.
    static void forgetFacesOfThisThread();

    bool isEmpty() const { return m_placed.empty(); }
    // How far along the line (from the box's left or top edge) the last
    // character ends.
    qreal lineEnd() const { return m_lineEnd; }
    // The character cells: white under the glyphs of an opaque caption.
    const QRectF &cell() const { return m_cell; }
    // All that drawing the caption may touch, in box coordinates: the cell,
    // the glyphs' ink, the rules and the emboldened outlines with their pen.
    QRectF reach() const;

    // How far along the line the characters that start before length (a
    // UTF-16 index) reach: what a line cut there measures in a left-aligned
    // layout.
    qreal endAfter(int length) const;

    // The glyphs' ink and the em cell of a character of the text (its index
    // in the text, UTF-16); empty rectangles for a character not laid out.
    QRectF inkOf(int from, int length = 1) const;
    QRectF emOf(int index) const;
    // The family of the face that draws a character: the box's own, or the
    // face of the font's families (its fallback chain) that has the character.
    QString faceOf(int index) const;

    // Draws the caption with the box's top-left corner at topLeft.
    void draw(QPainter &painter, QPointF topLeft, const QColor &color) const;

    // Whether glyphs of the face are drawn emboldened by the program: a
    // bold box in a face with no bold style of its own.
    static bool needsEmboldening(const QRawFont &font);

private:
    // The glyphs of an emboldened piece as outlines, in box coordinates,
    // widened by width. A PDF or a printer gets the outlines filled and
    // stroked that wide, a few operators a glyph; a raster device fills
    // them widened into one outline, made on its first drawing.
    struct Emboldened {
        QPainterPath outline;
        qreal width = 0;
        std::once_flag widenedOnce;
        QPainterPath widened;
        const QPainterPath &widenedOutline();
    };
    struct Piece {
        QGlyphRun run;          // positions in the piece's own coordinates
        QTransform transform;   // piece -> box
        std::shared_ptr<Emboldened> emboldened;
    };
    struct Placed {
        int index;    // the character's first UTF-16 index
        int length;
        QRectF ink;   // union of its glyphs' ink
        QRectF em;
        QString face;
        qreal end;    // along the line, from the box's start edge
    };
    std::vector<Piece> m_pieces;
    std::vector<Placed> m_placed;
    std::vector<QRectF> m_rules;   // underline and strike-out, in box coordinates
    QRectF m_cell;
    qreal m_lineEnd = 0;
};
