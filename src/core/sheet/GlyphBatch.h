#pragma once
// Glyph runs drawn one after another, nothing drawn between them, in one
// font and one colour, drawn as one run: the same marks in the same order.
// A PDF writes a run's set-up (the colour, the graphics state, the text
// object and its font) once for the batch instead of once for every caption
// of every card: on a merge job's sheets, a third of the captions' cost.
// Whoever draws anything else flushes the batch first.
#include <QColor>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>

class QPainter;

class GlyphBatch
{
public:
    explicit GlyphBatch(QPainter &painter) : m_painter(painter) {}
    GlyphBatch(const GlyphBatch &) = delete;
    GlyphBatch &operator=(const GlyphBatch &) = delete;

    // run drawn at origin with a pen of color, now or with the batch. A run
    // with lines (underline, overline, strike-out) is drawn at once: its
    // lines span the run.
    void add(const QGlyphRun &run, QPointF origin, const QColor &color);
    // Draws what the batch holds.
    void flush();

private:
    QPainter &m_painter;
    QRawFont m_font;
    QColor m_color;
    QGlyphRun::GlyphRunFlags m_flags;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};
