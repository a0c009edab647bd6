#pragma once
// The commands of tavelo-batch. Each takes the arguments after its name and
// returns the process exit status.
#include <QStringList>

int runInfoCommand(const QStringList &args);
int runPrintCommand(const QStringList &args);
int runMergeInfoCommand(const QStringList &args);
int runSetCommand(const QStringList &args);
int runPackCommand(const QStringList &args);
int runExportCommand(const QStringList &args);
int runJoinCommand(const QStringList &args);
int runSplitCommand(const QStringList &args);
QString usageText();
