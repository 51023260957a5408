#pragma once

#include "clisink.h"
#include "filetable.h"
#include "options.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class FsManager;

namespace fsclient {

struct CommandRow;
class Runner;

// «NAME», as messages name a file ("NAME" in English).
QString quoted(const QString &name);

// What became of one file of a run.
enum class Outcome
{
    NotDone,     // not tried, or dropped after a refusal
    Done,        // stored, received and saved, or deleted
    Missing,     // not in the board's table
    Refused,     // the board refused it
    Interrupted, // the connection ended while it was under way
    NotSaved,    // received, but not written into the folder
};

// A file of a run: named on the command line, or found in sync's folder or on the board.
struct FileItem
{
    QString argument; // as given: a local path for put and sync, a board name otherwise
    QString name;     // the board's name for it
    Outcome outcome = Outcome::NotDone;
};

// One run of the client on one board: connects the link, waits for the board's file table, has the
// command's runner carry the command out and reports its exit status through finished(). This is
// what every command shares: the link and its signals, the table, the batches handed to the link
// and what became of each file, progress, the texts of a broken batch or connection, the -v lines
// and --json's document. What a command does with them is its runner's (fsrunner.h). A batch does
// what it can and names every file it could not handle, with the reason.
class FsClient final : public QObject
{
    Q_OBJECT

public:
    // Out takes the file table and the -v lines, Err the messages and the progress.
    FsClient(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent = nullptr);
    ~FsClient() override;
    FsClient(const FsClient &) = delete;
    FsClient &operator=(const FsClient &) = delete;

    // Starts the run; finished() follows exactly once, possibly before this returns.
    void start();

    // What --json would print, kept here instead for a run on several boards (oneOfMany); empty
    // when the run printed none.
    const QJsonObject &document() const { return json; }
    // Whether the board answered at all, and whether a batch that writes or deletes its files was
    // handed to the link (and so may have changed the board, even if the connection broke first).
    bool reachedBoard() const { return everConnected; }
    bool mayHaveChangedBoard() const { return changedBoard; }

    // What the runner works with.
    const ClientOptions &options() const { return runOptions; }
    clikit::Sink &out() { return output; }
    clikit::Sink &err() { return errors; }
    // The run's files, in the order given; the batches name them by index.
    QList<FileItem> &items() { return files; }
    // The board's table read at the start, by name, and its totals.
    const QList<FileTable::Row> &rows() const { return tableRows; }
    const FileTable::Totals &totals() const { return tableTotals; }
    // The form of the table: it sets the largest file an upload takes.
    bool bigForm() const { return bigFormTable; }
    // Each file of the board's table with its size.
    QHash<QString, qint64> boardSizes() const;
    // Hands the items of Batch to the link as one call of its Command (CmdWriteFile, CmdGetFile or
    // CmdDeleteFile); the runner hears of each file done and of the end.
    void startBatch(int command, const QList<int> &batch);
    // Reads the board's table again once the batches so far are done; the runner hears of the
    // table (rows()) through batchEnded().
    void listAgain();
    // "ADDR:PORT" of the board this run dials.
    QString boardAddress() const;
    // --json's document: printed, or kept for the run on several boards.
    void emitDocument(const QJsonObject &document);
    // Message on stderr, then the end of the run.
    void fail(const QString &message, int exitCode);
    // Ends the run once: the runner tells what it tells at its end and gives the exit status.
    void endRun(int exitCode);
    // The -v lines, one per item in the order given, and ExitCode, or a failure when it says
    // success but an item was not done.
    int reportOutcomes(int exitCode);

signals:
    void finished(int ExitCode);

private:
    void tableArrived(const QList<FileTable::Row> &rows, uint32_t allMemory, uint32_t memoryUsed);
    void requestEnded(int command, int result, const QString &text);
    void itemDone(int command, const QString &name, const QByteArray &content);
    void commandStarted(const QString &description);
    void progressMoved(uint percent);
    void linkWentOffline();
    void batchEnded(int result, const QString &text);
    void connectionLost(const QString &linkText);
    QString connectionText(const QString &linkText) const;
    // Names the item under way when the batch broke off, and lists the ones after it.
    void reportBreak(const QString &reason);

    // What the client does with each of the link's batch commands: how it hands a batch over, and
    // what it says of the file under way when the connection ends and of the files after it.
    struct BatchKind
    {
        int command;
        bool changesBoard;
        void (FsClient::*handOver)();
        const char *interrupted;
        const char *rest;
    };
    static const BatchKind &batchKind(int command);
    // Has the link send what the run just queued without waiting for its queue's tick: the run
    // does nothing else meanwhile.
    void sendQueued();
    void sendFiles();
    void deleteFiles();
    void getFiles();
    QString outcomeWord(Outcome outcome) const;

    ClientOptions runOptions;
    const CommandRow &row;
    clikit::Sink &output;
    clikit::Sink &errors;
    std::unique_ptr<Runner> runner;
    FsManager *link = nullptr;
    bool showProgress = false;
    QString progressLabel;
    int shownPercent = -1;
    bool everConnected = false;
    bool tableRead = false;
    bool bigFormTable = false;
    int awaited = 0; // the link's command whose result ends the batch under way
    const BatchKind *awaitedKind = nullptr;
    bool batchStarted = false;
    bool changedBoard = false;
    bool done = false;
    QList<FileTable::Row> tableRows;
    FileTable::Totals tableTotals;
    QList<FileItem> files;
    QList<int> batch;  // the items handed to the link, in the order it carries them out
    int itemsDone = 0; // of batch, as the link reported them
    QJsonObject json;  // oneOfMany: the document of --json
};

} // namespace fsclient
