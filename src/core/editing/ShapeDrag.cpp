#include "editing/ShapeDrag.h"

#include "base/Messages.h"
#include "editing/CardHistory.h"

#include <algorithm>
#include <cstdint>

ShapeDrag::ShapeDrag(CardHistory &history, int index, std::optional<int> handle, QPoint press)
    : m_history(&history), m_index(index), m_handle(handle), m_press(press)
{
    const QList<CardShape> &shapes = history.document().shapes();
    if (index >= 0 && index < shapes.size())
        m_start = shapes.at(index);
    else
        m_index = -1;
    history.beginStep(handle ? Msg::stepResize() : Msg::stepMove());
}

ShapeDrag::~ShapeDrag()
{
    if (m_history)
        m_history->endStep();
}

void ShapeDrag::moveTo(QPoint card)
{
    if (!m_history)
        return;
    CardDocument &doc = m_history->document();
    // Nothing else changes the card during a drag; a shape gone or changed
    // in kind is left alone all the same.
    if (m_index < 0 || m_index >= doc.shapes().size() || doc.shapes().at(m_index).kind != m_start.kind)
        return;
    const std::int64_t dx = std::int64_t(card.x()) - m_press.x();
    const std::int64_t dy = std::int64_t(card.y()) - m_press.y();
    // Screen points are far inside 32 bits; the shape clamps what it is given.
    const auto clamp = [](std::int64_t v) {
        return std::int32_t(std::clamp<std::int64_t>(v, -2 * std::int64_t(CardShape::MaxCoordinate),
                                                     2 * std::int64_t(CardShape::MaxCoordinate)));
    };
    if (m_handle) {
        const QPoint from = m_start.handle(*m_handle);
        doc.setShape(m_index, m_start.withHandleAt(*m_handle, clamp(from.x() + dx), clamp(from.y() + dy)));
    } else {
        doc.setShape(m_index, m_start.movedBy(clamp(dx), clamp(dy)));
    }
}
