#pragma once

#include "clisink.h"
#include "options.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTextStream>

namespace fsclient {

class FsClient;

// One board's run of the command, tried again as --retries allows when the board could not be
// reached or the connection was lost: sync from the start, as it only ever makes the board match;
// any other command only when its try changed nothing on the board. Each try is a fresh client
// with a fresh link, and stderr says which try failed how.
class BoardRun final : public QObject
{
    Q_OBJECT

public:
    BoardRun(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent = nullptr);
    ~BoardRun() override;
    BoardRun(const BoardRun &) = delete;
    BoardRun &operator=(const BoardRun &) = delete;

    // Starts the first try; finished() follows exactly once, after this returns.
    void start();

    // The last try's --json document when the run is one of many (FsClient::document()).
    const QJsonObject &document() const { return json; }

signals:
    void finished(int ExitCode);

private:
    void startTry();
    void tryFinished(int exitCode);
    // Whether the try that ended with ExitCode is tried again; says so on stderr either way.
    bool retry(int exitCode);
    // The wait after the try under way: the first delay, doubled for each try since, at most an
    // hour.
    double delaySeconds() const;

    ClientOptions options;
    clikit::Sink &out;
    clikit::Sink &err;
    // With retries, a try's stdout waits until that try is known to be the last, so that stdout
    // holds one try's lines (one --json document) and not a failed one's before it.
    QString held;
    QTextStream heldStream;
    clikit::Sink heldOut;
    FsClient *client = nullptr;
    int tryNumber = 0;
    QJsonObject json;
};

} // namespace fsclient
