#pragma once
// Lines, rectangles and the background in the window: "背景", "線の追加" and
// "四角形の追加" at the end of the Edit menu; a shape's context menu (its
// properties, to the front or back of the other shapes, delete) on a right
// click over it; a left drag over a shape moves it, and the arrow keys move
// the shape last clicked. The current shape shows a frame and its handles (a
// line's ends, a rectangle's corners); dragging a handle reshapes it. Escape
// or a press on the empty card leaves it. Every change is one undo step.
#include "card/CardDocument.h"
#include "editing/ShapeDrag.h"

#include <QObject>
#include <QPoint>

#include <memory>
#include <optional>

class QAction;
class QMenu;
class QPainter;
class QPalette;
class QShortcut;
class TForm1;
class ViewScale;

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
    // half its width plus two screen pixels of a line, inside a filled
    // rectangle or on a border; else the topmost rectangle without fill
    // around the point.
    static std::optional<int> shapeAt(const CardDocument &doc, QPoint card, int slack);
    // The handle of shape under a screen point of the card panel, if any:
    // within HandleReach screen pixels each way, whatever the zoom.
    static std::optional<int> handleAt(const CardShape &shape, const ViewScale &scale, QPoint screen);
    static constexpr int HandleReach = 5;
    // Paints the frame and the handles of a shape on the card panel;
    // halfWidth: half the line's width in screen pixels.
    static void paintMarks(QPainter &p, const CardShape &shape, const ViewScale &scale, double halfWidth,
                           const QPalette &palette);

    // Takes the card panel's presses, once the panel is made.
    void watchPanel();

    // Opens the properties of the shape at index.
    void editShape(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void backgroundClick();
    void addClick(ShapeKind kind);
    // The current shape of the side shown, if a shape is current.
    std::optional<int> currentShape() const;
    void paintCurrent(QPainter &p) const;
    bool panelEvent(QEvent *event);
    void showCursor(QPoint screen);

    TForm1 &m_form;
    // The card panel whose events are watched, kept apart from the form:
    // events still come while the form is being destroyed.
    QObject *m_panel = nullptr;
    int m_menuShape = -1;                // the shape the context menu was opened on
    std::unique_ptr<ShapeDrag> m_drag;   // a left drag of a shape or one of its handles
    QShortcut *m_leave = nullptr;        // Escape, while a shape is current
};
