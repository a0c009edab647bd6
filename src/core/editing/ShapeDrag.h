#pragma once
// A drag of one shape of the side shown, by its body (a move) or by one of
// its handles (a line's end, a rectangle's corner). The shape follows the
// pointer from where it stood at the press, so a drag that met the limits of
// the card's coordinates and came back ends under the pointer again. The whole
// drag is one undo step; a drag that changed nothing is none.
#include "card/CardShape.h"

#include <QPoint>
#include <QPointer>

#include <optional>

class CardHistory;

class ShapeDrag
{
public:
    // handle: the handle dragged, none to move the whole shape; press: the
    // card point where the button went down.
    ShapeDrag(CardHistory &history, int index, std::optional<int> handle, QPoint press);
    ~ShapeDrag();
    ShapeDrag(const ShapeDrag &) = delete;
    ShapeDrag &operator=(const ShapeDrag &) = delete;

    // The pointer stands at this card point now.
    void moveTo(QPoint card);
    int index() const { return m_index; }
    std::optional<int> handle() const { return m_handle; }

private:
    // A window closed during a drag may take its history first.
    QPointer<CardHistory> m_history;
    int m_index;
    std::optional<int> m_handle;
    QPoint m_press;
    CardShape m_start;
};
