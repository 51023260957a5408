#include "toolrun.h"

#include <QElapsedTimer>
#include <QProcess>

ToolRun runTool(const QString &program, const QString &folder, const QStringList &arguments,
                const QProcessEnvironment &environment)
{
    constexpr int kWaitMs = 60000;
    ToolRun run;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(kWaitMs))
        return run;
    QElapsedTimer clock;
    clock.start();
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
