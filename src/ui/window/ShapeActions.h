#pragma once
// Lines, rectangles and the background in the window: "背景", "線の追加" and
// "四角形の追加" at the end of the Edit menu; a shape's context menu (its
// properties, to the front or back of the other shapes, delete) on a right
// click over it; a left drag over a shape moves it, and the arrow keys move
// the shape last clicked. Every change is one undo step.
#include "card/CardDocument.h"

#include <QObject>
#include <QPoint>

#include <optional>

class QAction;
class QMenu;
class TForm1;

class ShapeActions : public QObject
{
    Q_OBJECT
public:
    ShapeActions(TForm1 &form, QMenu *editMenu);

    QAction *MenuBackground = nullptr;
    QAction *MenuAddLine = nullptr;
    QAction *MenuAddRectangle = nullptr;
    QMenu *PopupMenu3 = nullptr;   // a shape's context menu

    // The topmost shape of the side shown at a card point, if any: within
    // half its width plus two screen pixels of a line, inside a rectangle.
    static std::optional<int> shapeAt(const CardDocument &doc, QPoint card, int slack);

    // Takes the card panel's presses, once the panel is made.
    void watchPanel();

    // Opens the properties of the shape at index.
    void editShape(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void backgroundClick();
    void addClick(ShapeKind kind);

    TForm1 &m_form;
    // The card panel whose events are watched, kept apart from the form:
    // events still come while the form is being destroyed.
    QObject *m_panel = nullptr;
    int m_menuShape = -1;              // the shape the context menu was opened on
    std::optional<QPoint> m_dragFrom;  // a left drag over a shape: its last card point
    bool m_dragged = false;
};
