#include "BatchCommands.h"

#include <QTextStream>

int runPrintCommand(const QStringList &)
{
    QTextStream(stderr) << "tavelo-batch: print is not available yet\n";
    return 2;
}
