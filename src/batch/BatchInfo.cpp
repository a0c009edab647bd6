#include "BatchCommands.h"

#include <QTextStream>

int runInfoCommand(const QStringList &)
{
    QTextStream(stderr) << "tavelo-batch: info is not available yet\n";
    return 2;
}
