#include "base/QuietQt.h"

#include <QtGlobal>

namespace QuietQt {
namespace {

QtMessageHandler previousHandler = nullptr;

void filter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void install()
{
    if (!qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        return;
    previousHandler = qInstallMessageHandler(filter);
}

} // namespace QuietQt
