#pragma once

#include "clisink.h"
#include "options.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <memory>
#include <vector>

namespace fsclient {

class BoardRun;

// One command on several boards at once: a run per board (BoardRun), each with its own link, all in the
// one event loop, at most options.jobs of them connected at a time. Every line a board's client
// writes starts with the board's address; a board that fails never stops the others. The exit
// status is the worst of all, and a summary line on stderr ends the run.
class FsFleet final : public QObject
{
    Q_OBJECT

public:
    FsFleet(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent = nullptr);
    ~FsFleet() override;
    FsFleet(const FsFleet &) = delete;
    FsFleet &operator=(const FsFleet &) = delete;

    // Starts the run; finished() follows exactly once, after this returns.
    void start();

signals:
    void finished(int ExitCode);

private:
    struct Board
    {
        Board(const BoardAddress &address, const clikit::Sink &out, const clikit::Sink &err)
            : address(address), out(out), err(err)
        {}

        BoardAddress address;
        clikit::Sink out;
        clikit::Sink err;
        BoardRun *run = nullptr;
        int exitCode = -1;
        QJsonObject document;
    };

    void startNext();
    void boardFinished(Board &board, int exitCode);
    void finish();

    ClientOptions options;
    clikit::Sink &out;
    clikit::Sink &err;
    std::vector<std::unique_ptr<Board>> boards;
    size_t nextBoard = 0;
    int running = 0;
};

} // namespace fsclient
