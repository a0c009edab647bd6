#pragma once
// A menu item of the window's action groups: named for the tests and the help
// index, its handler run under the error guard so that a failure reaches the
// error box and never unwinds through Qt's signal code.
#include "widgets/ErrorGuard.h"

#include <QAction>
#include <QMenu>

template <typename Handler>
QAction *addMenuItem(QMenu *menu, const char *name, const QString &caption, QObject *receiver, Handler handler)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    QObject::connect(action, &QAction::triggered, receiver, ErrorGuard::guarded(handler));
    return action;
}
