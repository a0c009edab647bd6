#include "sheet/GlyphBatch.h"

#include <QPainter>

void GlyphBatch::add(const QGlyphRun &run, QPointF origin, const QColor &color)
{
    if (run.underline() || run.overline() || run.strikeOut()) {
        flush();
        m_painter.setPen(color);
        m_painter.drawGlyphRun(origin, run);
        return;
    }
    const QRawFont font = run.rawFont();
    if (!m_glyphs.isEmpty() && (font != m_font || color != m_color || run.flags() != m_flags))
        flush();
    if (m_glyphs.isEmpty()) {
        m_font = font;
        m_color = color;
        m_flags = run.flags();
    }
    // The painter adds the origin to each position as these sums do.
    const QList<QPointF> positions = run.positions();
    m_glyphs += run.glyphIndexes();
    for (const QPointF &position : positions)
        m_positions.push_back(origin + position);
}

void GlyphBatch::flush()
{
    if (m_glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_font);
    run.setFlags(m_flags);
    run.setGlyphIndexes(m_glyphs);
    run.setPositions(m_positions);
    m_painter.setPen(m_color);
    m_painter.drawGlyphRun(QPointF(0, 0), run);
    m_glyphs.clear();
    m_positions.clear();
}
