#include "ErrorGuard.h"

#include "MessageBoxes.h"
#include "MessageSink.h"
#include "MovePanel.h"
#include "TaveloError.h"

#include <QWidget>

namespace ErrorGuard {
namespace {
MessagePresenter *g_presenter = nullptr;

MessagePresenter &dialogs()
{
    static DialogMessagePresenter presenter;
    return presenter;
}

void endMouseCapture()
{
    TMovePanel::cancelActiveDrag();
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}
}

MessagePresenter *presenter()
{
    return g_presenter ? g_presenter : &dialogs();
}

void setPresenter(MessagePresenter *p)
{
    g_presenter = p;
}

void report(const std::exception &error)
{
    endMouseCapture();
    if (dynamic_cast<const SilentAbort *>(&error))
        return;
    QString message;
    if (auto *e = dynamic_cast<const TaveloError *>(&error))
        message = e->message();
    else
        message = QString::fromLocal8Bit(error.what());
    presenter()->error(QApplication::activeWindow(), errorBoxText(message));
}

void reportUnknown()
{
    endMouseCapture();
    presenter()->error(QApplication::activeWindow(), errorBoxText(QStringLiteral("不明なｴﾗｰ")));
}

} // namespace ErrorGuard

TaveloApplication::TaveloApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TaveloApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ErrorGuard::report(error);
    } catch (...) {
        ErrorGuard::reportUnknown();
    }
    return false;
}
