#include "widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace WindowPlacement {
namespace {

// The screen area of the window's screen, or of the one it belongs to.
QRect screenArea(const QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen *screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QPoint centred(const QRect &screenArea, const QSize &size)
{
    return {screenArea.left() + (screenArea.width() - size.width()) / 2,
            screenArea.top() + (screenArea.height() - size.height()) / 2};
}

QRect beside(const QRect &mainFrame, const QSize &size, const QRect &screenArea)
{
    const int width = std::min(size.width(), screenArea.width());
    const int height = std::min(size.height(), screenArea.height());
    const int top = std::clamp(mainFrame.top(), screenArea.top(), screenArea.bottom() + 1 - height);
    const int rightX = mainFrame.right() + 1 + Gap;
    const int roomRight = screenArea.right() + 1 - rightX;
    const int roomLeft = mainFrame.left() - Gap - screenArea.left();
    if (roomRight >= width)
        return {rightX, top, width, height};
    if (roomLeft >= width)
        return {mainFrame.left() - Gap - width, top, width, height};
    if (std::max(roomRight, roomLeft) >= MinBesideWidth) {
        if (roomRight >= roomLeft)
            return {rightX, top, roomRight, height};
        return {screenArea.left(), top, roomLeft, height};
    }
    if (roomRight >= roomLeft)
        return {screenArea.right() + 1 - width, top, width, height};
    return {screenArea.left(), top, width, height};
}

QMargins frameMargins(const QWidget *window, const QWidget *like)
{
    const QWidget *measured = window->isVisible() || !like ? window : like->window();
    const QRect frame = measured->frameGeometry();
    const QRect inner = measured->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

void centreOnScreen(QWidget *window)
{
    const QRect area = screenArea(window);
    if (area.isEmpty())
        return;
    const QMargins margins = frameMargins(window, window->parentWidget());
    const QSize frame = window->size().grownBy(margins);
    window->move(centred(area, frame));
}

} // namespace WindowPlacement

void RememberedPlace::beforeShow(QWidget *dialog)
{
    // A place on a screen that has gone since is no place: centre again.
    if (m_last && QGuiApplication::screenAt(*m_last))
        dialog->move(*m_last);
    else
        WindowPlacement::centreOnScreen(dialog);
}

void RememberedPlace::beforeHide(const QWidget *dialog)
{
    m_last = dialog->pos();
}
