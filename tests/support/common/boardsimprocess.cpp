#include "boardsimprocess.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

// Runs the event loop until `done` holds, the process ends or the time is up.
template <typename Done> bool waitUntil(QProcess *process, int timeoutMs, Done done)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done() || process->state() == QProcess::NotRunning)
            loop.quit();
    };
    const auto a = QObject::connect(process, &QProcess::readyReadStandardOutput, &loop, check);
    const auto b = QObject::connect(process, &QProcess::readyReadStandardError, &loop, check);
    const auto c = QObject::connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                                    &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (process->state() != QProcess::NotRunning)
        loop.exec();
    QObject::disconnect(a);
    QObject::disconnect(b);
    QObject::disconnect(c);
    return done();
}

} // namespace

QString BoardSimProcess::executable()
{
    return QString::fromLocal8Bit(qgetenv("VELMORA_BOARDSIM"));
}

BoardSimProcess::BoardSimProcess(const QStringList &arguments, int startTimeoutMs)
    : process(std::make_unique<QProcess>())
{
    const QString program = executable();
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        error = QStringLiteral("VELMORA_BOARDSIM does not name the simulator: '%1'").arg(program);
        return;
    }
    process->setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(process.get(), &QProcess::readyReadStandardError, process.get(), [this] { collect(); });
    process->start(program, QStringList{QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                        QStringLiteral("--port"), QStringLiteral("0")} +
                                arguments);
    if (!process->waitForStarted(startTimeoutMs)) {
        error = QStringLiteral("cannot start %1: %2").arg(program, process->errorString());
        return;
    }
    const auto listening = [this] {
        stdoutText += process->readAllStandardOutput();
        return stdoutText.contains('\n');
    };
    if (!waitUntil(process.get(), startTimeoutMs, listening)) {
        collect();
        error =
            process->state() == QProcess::NotRunning
                ? QStringLiteral("the simulator exited with code %1: %2")
                      .arg(process->exitCode())
                      .arg(QString::fromLocal8Bit(stderrLog).trimmed())
                : QStringLiteral("the simulator did not report its port within %1 ms").arg(startTimeoutMs);
        return;
    }
    // "LISTENING <address> <port>"
    const QList<QByteArray> words = stdoutText.left(stdoutText.indexOf('\n')).trimmed().split(' ');
    bool ok = false;
    const uint port = words.size() == 3 && words[0] == "LISTENING" ? words[2].toUInt(&ok) : 0;
    if (!ok || port == 0 || port > 65535) {
        error = QStringLiteral("unexpected first line from the simulator: %1")
                    .arg(QString::fromLocal8Bit(stdoutText));
        return;
    }
    listenPort = quint16(port);
}

BoardSimProcess::~BoardSimProcess()
{
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

bool BoardSimProcess::isRunning() const
{
    return listenPort != 0 && process->state() == QProcess::Running;
}

QString BoardSimProcess::errorString() const
{
    if (error.isEmpty() && listenPort != 0 && process->state() != QProcess::Running)
        return QStringLiteral("the simulator exited with code %1").arg(process->exitCode());
    return error;
}

void BoardSimProcess::collect() const
{
    stderrLog += process->readAllStandardError();
}

QString BoardSimProcess::log() const
{
    collect();
    return QString::fromLocal8Bit(stderrLog);
}

bool BoardSimProcess::waitForLog(const QString &text, int timeoutMs, int fromOffset)
{
    return waitUntil(process.get(), timeoutMs, [&] { return log().indexOf(text, fromOffset) >= 0; });
}

bool BoardSimProcess::stop(int timeoutMs)
{
    if (process->state() == QProcess::NotRunning)
        return false;
    process->terminate();
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished(timeoutMs);
        return false;
    }
    collect();
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

void BoardSimProcess::kill()
{
    if (process->state() == QProcess::NotRunning)
        return;
    process->kill();
    process->waitForFinished(10000);
    collect();
}
