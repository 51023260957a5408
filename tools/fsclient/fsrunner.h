#pragma once

#include "options.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace fsclient {

class FsClient;

// What one command does on one board, on the plumbing of FsClient: the client connects, reads the
// board's table, hands batches to the link and books where each batch got to; the runner decides
// which files, which batches, what became of each file and what is told at the end. Each command's
// runner, with the state only it needs, lives in a file of its own.
class Runner
{
public:
    explicit Runner(FsClient &client) : client(client) {}
    virtual ~Runner();
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    // Before anything connects: the command's files, and what can be refused without the board.
    // False when the run has ended already (through FsClient::fail()).
    virtual bool prepare();
    // The board's file table has been read: carries the command out, ending with a batch or with
    // FsClient::endRun().
    virtual void run() = 0;
    // The board carried out the item at Index (of the client's items) in the batch under way; Name
    // and Content are a downloaded file's. By default marks it done.
    virtual void itemDone(int index, const QString &name, const QByteArray &content);
    // The batch under way ended: Completed, or the board refused a file (told already). By default
    // ends the run.
    virtual void batchEnded(bool completed);
    // The connection ended (told already); the run ends next, as unreachable.
    virtual void connectionLost();
    // The run ends with ExitCode: tells what the command tells at its end and returns the exit
    // status. By default the -v lines, and a failure unless every file was done.
    virtual int finish(int exitCode);

protected:
    // Refuses the whole run when there is anything to refuse, the lines then Closing, which says
    // that nothing was done; false then.
    bool refuseAny(QStringList refusals, const QString &closing);

    FsClient &client;
};

// The runners of the command table, each in its own file: fslist.cpp, fsput.cpp, fsgetrm.cpp,
// fssync.cpp.
std::unique_ptr<Runner> makeListRunner(FsClient &client);
std::unique_ptr<Runner> makeTotalsRunner(FsClient &client);
std::unique_ptr<Runner> makePutRunner(FsClient &client);
std::unique_ptr<Runner> makeGetRunner(FsClient &client);
std::unique_ptr<Runner> makeRemoveRunner(FsClient &client);
std::unique_ptr<Runner> makeSyncRunner(FsClient &client);

// get -o: why the folder cannot take the files, or empty when it can (or none was named). A run
// on several boards asks once, before it makes a folder of each board's own inside it.
QString outputFolderRefusal(const ClientOptions &options);

} // namespace fsclient
