#include "widgets/ErrorGuard.h"

#include "base/MessageSink.h"
#include "base/Messages.h"
#include "base/OutOfMemory.h"
#include "base/TaveloError.h"
#include "widgets/MessageBoxes.h"
#include "widgets/MovePanel.h"

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
    QString text;
    if (isOutOfMemory(error))
        text = errorBoxText(Msg::outOfMemory());
    else if (auto *e = dynamic_cast<const PictureError *>(&error))
        text = pictureErrorBoxText(e->message(), e->path());
    else if (auto *e = dynamic_cast<const TaveloError *>(&error))
        text = errorBoxText(e->message());
    else
        text = errorBoxText(QString::fromLocal8Bit(error.what()));
    presenter()->error(QApplication::activeWindow(), text);
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
