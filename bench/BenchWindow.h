#pragma once
// The main window in a case of the benchmark: the open dialog answered with
// one card, events let through for a while, and mouse events sent as the
// window system would send them.
#include "dialogs/Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

namespace BenchWindow {

// Answers the open dialog with one card.
class CardChoice : public FileDialogs
{
public:
    explicit CardChoice(const QString &path) : m_path(path) {}
    std::optional<QString> open(QWidget *, const FileDialogRequest &) override { return m_path; }
    std::optional<QString> save(QWidget *, const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> folder(QWidget *, const QString &, const QString &) override { return std::nullopt; }

private:
    QString m_path;
};

inline void processEventsFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, ms);
}

inline void sendMouse(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
{
    const QPointF local = target->mapFromGlobal(QPointF(global));
    QMouseEvent event(type, local, local, QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace BenchWindow
