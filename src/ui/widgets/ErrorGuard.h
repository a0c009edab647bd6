#pragma once
// The one place where errors raised inside event handlers end up: the
// application's notify override catches them, any drag in progress ends, the
// error box shows the message with "." added, and the program goes on.
#include <QApplication>

#include <exception>

class MessagePresenter;

namespace ErrorGuard {

// Where messages are shown; tests put a recording presenter here.
MessagePresenter *presenter();
void setPresenter(MessagePresenter *presenter);   // null restores the dialogs

// Shows the error box for an error caught in a handler.
void report(const std::exception &error);
void reportUnknown();

// Wraps a command or a handler so that an error it raises reaches the error
// box and ends only that command, never unwinding through Qt's signal code.
template <typename F>
auto guarded(F f)
{
    return [f](auto &&...) {
        try {
            f();
        } catch (const std::exception &e) {
            report(e);
        }
    };
}

} // namespace ErrorGuard

class TaveloApplication : public QApplication
{
    Q_OBJECT
public:
    TaveloApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
