#pragma once
// The print view of the design surface: the card drawn as the sheet prints
// one card, through the sheet's own renderer, at the screen's density times
// the zoom. Pictures scaled for the view are kept between repaints, so a
// repaint or a drag step costs the drawing, not the scaling.
#include "card/CardDocument.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <functional>

class QPainter;

class CardView
{
public:
    // What the screen shows in place of a caption or a picture (a merge
    // row's values); the document keeps its own.
    using CaptionView = std::function<QString(const QString &caption)>;
    using PictureView = std::function<QImage(const MoveImageRecord &record)>;

    // Draws doc's card at dpi with the card's top-left corner at (origin,
    // origin) of the painter, on white paper of the card's size; what lies
    // beyond the edge is drawn as the printer draws it, captions shaped for a
    // device of that density. The painter is used as it is: drawn glyphs
    // keep their decorations only without a transform of the painter.
    void draw(QPainter &painter, const CardDocument &doc, int dpi, int origin, const CaptionView &captions = {},
              const PictureView &pictures = {});

    // The card's size on the screen at dpi, in whole pixels.
    static QSize cardSize(int dpi);

private:
    QImage scaledPicture(const QImage &picture, QSize size);

    QMutex m_mutex;                  // the sheet scales pictures on every core
    QHash<QString, QImage> m_cache;  // pictures as last drawn, by source and size
    QHash<QString, QImage> m_used;   // those the current draw took
};
