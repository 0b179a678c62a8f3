#include "support/CliRunner.h"

#include <QElapsedTimer>
#include <QProcess>

CliRun CliRunner::Run(const QString& program, const QStringList& args, int timeoutMs) {
    CliRun run;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs)) {
        run.err = QStringLiteral("cannot start %1").arg(program);
        return run;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("timed out");
        return run;
    }
    run.elapsedMs = timer.elapsed();
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}
