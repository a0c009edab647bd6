#pragma once
// Where the program's windows open: dialogs centred on the screen the first
// time and afterwards where the user left them, the help window beside the
// main window rather than over it.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace WindowPlacement {

// The gap between the main window and a window opened beside it.
constexpr int Gap = 8;
// Narrower than this, a window beside the main window is no use; it is placed
// at the screen's edge instead, over part of the main window.
constexpr int MinBesideWidth = 360;

// The top-left corner that centres a frame of size in the screen area.
QPoint centred(const QRect &screenArea, const QSize &size);

// The frame of a window of size opened beside the main window's frame: to its
// right when it fits, else to its left, else on the roomier side made
// narrower; top-aligned with the main window and kept inside the screen area.
QRect beside(const QRect &mainFrame, const QSize &size, const QRect &screenArea);

// The window frame's margins: the window's own once it has been shown, else
// those of the window it belongs to (the window manager gives them alike).
QMargins frameMargins(const QWidget *window, const QWidget *like);

// Centres the window on the screen of the window it belongs to.
void centreOnScreen(QWidget *window);

} // namespace WindowPlacement

// A dialog's place for the session: centred on the screen the first time it
// is shown, afterwards where it stood when it was last closed (while that
// place is on a screen).
class RememberedPlace
{
public:
    void beforeShow(QWidget *dialog);
    void beforeHide(const QWidget *dialog);

private:
    std::optional<QPoint> m_last;
};
