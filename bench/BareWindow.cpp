// tavelo-bench-bare: the least a desktop program of Qt Widgets does to start:
// a main window with a menu bar shown and painted, the event loop about to
// wait for input; then it prints the monotonic clock in nanoseconds and
// ends. The start-up case is measured against it.
#include "MonotonicClock.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    window.resize(640, 480);
    window.show();
    bool reported = false;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
        if (reported || !window.isVisible())
            return;
        reported = true;
        std::printf("%lld\n", static_cast<long long>(monotonicNs()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}
