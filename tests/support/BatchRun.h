#pragma once
// Runs tavelo-batch as the user runs it and keeps what it said.
#include <QByteArray>
#include <QProcess>
#include <QStringList>

struct BatchRun {
    int exitCode = -1;   // -1: it crashed or did not finish
    QByteArray out;
    QByteArray err;
};

inline BatchRun runBatch(const QStringList &args, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVELO_BATCH), args);
    BatchRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
