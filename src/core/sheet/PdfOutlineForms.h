#pragma once
// Emboldened captions written once in a PDF sheet. A bold caption in a face
// without a bold style is drawn as its glyphs' outlines, filled and stroked:
// many curves, which Qt's PDF writer writes again for every cell of the
// sheet (eight times a page) and compresses on the drawing thread. The
// sheet is therefore drawn with a stand-in image over each such caption
// (one pixel of a colour of its own, which the writer embeds once however
// often it is drawn), and each stand-in is then turned into a form that
// holds the outline (qpdf): every cell draws the same form, whose matrix
// maps the outline back onto the square the stand-in was drawn over.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPDF;

class PdfOutlineForms
{
public:
    struct StandIn {
        QImage image;
        QRect rect;   // where to draw it, the outline's origin at (0, 0)
    };

    // The stand-in for an outline filled in colour and stroked with a round
    // pen of penWidth. The same owner (the outline's holder) in the same
    // colour gets the same stand-in. Nothing when the outline is better
    // drawn as it is: empty, in a colour not opaque, or too many forms.
    std::optional<StandIn> standInFor(const std::shared_ptr<const void> &owner, const QPainterPath &outline,
                                      qreal penWidth, const QColor &colour);

    bool empty() const { return m_forms.empty(); }

    // Turns each stand-in of the drawn one-page document into its form.
    // False, with the document unusable, when a stand-in is not found, or
    // its colour is found in another image too (a picture of one pixel of
    // that very colour): the sheet must then be drawn with the outlines.
    bool replaceStandIns(QPDF &document) const;

    // The form's content: the outline in form space (device pixels, y down,
    // the stand-in's top-left corner at (0, 0)), filled and stroked.
    static QByteArray formContent(const QPainterPath &outline, QPoint origin, qreal penWidth, const QColor &colour);

private:
    struct Form {
        std::shared_ptr<const void> owner;
        QRgb colour;
        QRgb standInColour;
        QRect rect;
        QByteArray content;
        QImage standIn;
    };
    std::vector<Form> m_forms;
};
