#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <memory>

class QProcess;

// Runs the board simulator as a separate process for the length of a test.
//
//   BoardSimProcess sim({"--big", "--file", "a.bin=100"});
//   QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
//   link.setPcbIp(sim.host());
//   link.setPcbPort(sim.port());
//
// The executable comes from the environment variable VELMORA_BOARDSIM (CTest sets it for every
// test). The simulator always listens on 127.0.0.1 with "--port 0"; the constructor waits, running
// the event loop, until it reports the port it took, or the timeout passes, or it exits.
// The destructor stops the process (SIGTERM, then kill) and waits for it.
class BoardSimProcess
{
public:
    explicit BoardSimProcess(const QStringList &arguments = {}, int startTimeoutMs = 10000);
    ~BoardSimProcess();
    BoardSimProcess(const BoardSimProcess &) = delete;
    BoardSimProcess &operator=(const BoardSimProcess &) = delete;

    // True once the simulator listens and until it exits.
    bool isRunning() const;
    // Why the simulator is not running (no executable, it failed to start, it exited early).
    QString errorString() const;

    QHostAddress host() const { return QHostAddress(QHostAddress::LocalHost); }
    quint16 port() const { return listenPort; }

    // Everything the simulator wrote to stderr so far: one line per request and per reply.
    QString log() const;
    // Runs the event loop until the log contains `text` (counting only the log after
    // `fromOffset`, a value of log().size() taken earlier), the timeout passes or the process exits.
    bool waitForLog(const QString &text, int timeoutMs = 10000, int fromOffset = 0);

    // Stops the simulator with a termination request and waits; true when it ended on its own
    // with exit code 0 (so a clean shutdown, and no leak report under the sanitizers).
    bool stop(int timeoutMs = 10000);
    // Ends the simulator at once, as a board that loses power: no shutdown of its own.
    void kill();

    // Path of the simulator from VELMORA_BOARDSIM; empty when not set.
    static QString executable();

private:
    void collect() const;

    std::unique_ptr<QProcess> process;
    mutable QByteArray stderrLog;
    QByteArray stdoutText;
    QString error;
    quint16 listenPort = 0;
};
