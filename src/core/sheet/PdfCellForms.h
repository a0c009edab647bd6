#pragma once
// Drawings every cell of a PDF sheet repeats, written once. Qt's PDF writer
// writes a drawing again for every cell of the sheet (eight times a page)
// and compresses the page on the drawing thread. Two drawings are large:
// a bold caption in a face without a bold style, drawn as its glyphs'
// outlines filled and stroked (many curves), and a QR code's dark modules.
// The sheet is therefore drawn with a stand-in image over each (one pixel
// of a colour of its own, which the writer embeds once however often it is
// drawn), and each stand-in is then turned into a form that holds the
// drawing (qpdf): every cell draws the same form, whose matrix maps the
// drawing back onto the square the stand-in was drawn over.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPDF;

class PdfCellForms
{
public:
    struct StandIn {
        QImage image;
        QRect rect;   // where to draw it, the drawing's origin at (0, 0)
    };

    // The stand-in for an outline filled in colour and stroked with a round
    // pen of penWidth. The same owner (the outline's holder) in the same
    // colour gets the same stand-in. Nothing when the outline is better
    // drawn as it is: empty, in a colour not opaque, or too many forms.
    std::optional<StandIn> standInForOutline(const std::shared_ptr<const void> &owner, const QPainterPath &outline,
                                             qreal penWidth, const QColor &colour);

    // The same for rectangles filled in colour within the square of side
    // pixels from (0, 0): a QR code's dark modules within its quiet zone.
    // The same rectangles (shared, as a sheet's cells share them) in the
    // same colour get the same stand-in.
    std::optional<StandIn> standInForRectangles(const QVector<QRect> &rectangles, int side, const QColor &colour);

    bool empty() const { return m_forms.empty(); }

    // Turns each stand-in of the drawn one-page document into its form.
    // False, with the document unusable, when a stand-in is not found, or
    // its colour is found in another image too (a picture of one pixel of
    // that very colour): the sheet must then be drawn as it is.
    bool replaceStandIns(QPDF &document) const;

    // The form's content: the outline in form space (device pixels, y down,
    // the stand-in's top-left corner at (0, 0)), filled and stroked.
    static QByteArray outlineContent(const QPainterPath &outline, QPoint origin, qreal penWidth, const QColor &colour);

private:
    struct Form {
        const void *identity;
        std::shared_ptr<const void> keep;   // keeps identity from being reused
        QRgb colour;
        QRgb standInColour;
        QRect rect;
        QByteArray content;
        QImage standIn;
    };
    std::optional<StandIn> standIn(const void *identity, std::shared_ptr<const void> keep, const QColor &colour,
                                   const QRect &rect, const std::function<QByteArray()> &content);

    std::vector<Form> m_forms;
};
