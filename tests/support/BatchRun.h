#pragma once
// Runs tavelo-batch as the user runs it and keeps what it said.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

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

// The same with the tool's address space limited to bytes: a job that would
// need more must end as the tool ends a job that ran out of memory, and the
// machine running the tests is spared. (AddressSanitizer reserves far more
// address space than any limit here: such tests are left out under it.)
inline BatchRun runBatchWithin(const QStringList &args, rlim_t bytes)
{
    QProcess process;
    process.setChildProcessModifier([bytes] {
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    process.start(QStringLiteral(TAVELO_BATCH), args);
    BatchRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// What a run did that was not expected of it: an exit status other than
// exitCode, or a standard error without said (any at all when said is
// empty). Empty when the run went as expected.
inline QString unexpectedIn(const BatchRun &run, int exitCode, const QString &said)
{
    const QString err = QString::fromUtf8(run.err);
    if (run.exitCode != exitCode)
        return QStringLiteral("exit %1: %2").arg(run.exitCode).arg(err);
    if (said.isEmpty() ? !err.isEmpty() : !err.contains(said))
        return err;
    return {};
}
