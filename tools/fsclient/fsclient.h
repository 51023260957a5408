#pragma once

#include "clisink.h"
#include "filetable.h"
#include "options.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class FsManager;

namespace fsclient {

// «NAME», as messages name a file.
QString quoted(const QString &name);

class FsClient;

// What a command takes after its name.
enum class Operands
{
    None,
    LocalFiles,
    BoardNames,
    Folder, // one local folder
};

// A row of velmora-fs's command table, as in git's: the command's name, what it takes, and its
// runner, which carries it out once the board's file table has been read.
struct CommandRow
{
    const char *name;
    Command command;
    Operands operands;
    bool json;    // takes --json
    bool verbose; // takes -v
    bool output;  // takes -o
    bool plans;   // takes --delete and --dry-run
    void (FsClient::*run)();
};

// One run of the client: connects the link, waits for the board's file table, carries out the
// command and reports its exit status through finished(). Every board exchange goes through the
// link; what is shown and how files are written follows the window's shared rules. A batch does
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

    // The row of the command of that name, or null: the one place commands are found by name.
    static const CommandRow *findCommand(const QString &name);
    // The names of the commands that take an option, as "put, get и rm".
    static QString commandsWith(bool CommandRow::*option);

    // What --json would print, kept here instead for a run on several boards (oneOfMany); empty
    // when the run printed none.
    const QJsonObject &document() const { return json; }

signals:
    void finished(int ExitCode);

private:
    // What became of one file named on the command line.
    enum class Outcome
    {
        NotDone,     // not tried, or dropped after a refusal
        Done,        // stored, received and saved, or deleted
        Missing,     // not in the board's table
        Refused,     // the board refused it
        Interrupted, // the connection ended while it was under way
        NotSaved,    // received, but not written into the folder
    };
    // What sync does to a file; Unknown until it was compared.
    enum class Change
    {
        Unknown,
        New,
        Changed,
        Deleted,
        Equal,
    };
    struct Item
    {
        QString argument; // as given: a local path for put and sync, a board name otherwise
        QString name;     // the board's name for it
        Outcome outcome = Outcome::NotDone;
        QString receivedAs; // get: the name the board's reply carried
        Change change = Change::Unknown;
        qint64 padded = 0;  // sync: the local file's size as the board stores it
        qint64 stored = -1; // sync: the size of the board's file of that name; -1: none
    };

    void tableArrived(const QList<FileTable::Row> &rows, uint32_t allMemory, uint32_t memoryUsed);
    void requestEnded(int command, int result, const QString &text);
    void itemDone(int command, const QString &name, const QByteArray &content);
    void commandStarted(const QString &description);
    void progressMoved(uint percent);
    void linkWentOffline();
    void runCommand();
    // The runners of the command table.
    void showTable();
    void putFiles();
    void fetchOrRemoveFiles();
    void syncFolder();
    // sync, in fssync.cpp: the folder's files as items, the board's files of the same stored size
    // fetched and compared, the plan checked, then the deletions and the uploads.
    bool listFolder();
    QStringList syncRefusals() const;
    void compareReceived(Item &item, const QByteArray &content) const;
    void planSync();
    void startNextBatch();
    void printSync();
    bool boardMatches() const;
    // --json's document: printed, or kept for the run on several boards.
    void emitDocument(const QJsonObject &document);
    // Each file of the board's table with its size.
    QHash<QString, qint64> boardSizes() const;
    void startBatch(int command);
    void printTable();
    // put: what can be told before connecting, and what only the table tells.
    QStringList localRefusals() const;
    QStringList sizeRefusals() const;
    QStringList roomRefusals() const;
    QString cancelledText() const;
    void batchEnded(int result, const QString &text);
    void connectionLost(const QString &linkText);
    QString connectionText(const QString &linkText) const;
    QString boardAddress() const;
    // Names the item under way when the batch broke off, and lists the ones after it.
    void reportBreak(const QString &reason);
    void saveReceived();
    QString outcomeWord(Outcome outcome) const;
    void fail(const QString &message, int exitCode);
    void endRun(int exitCode);

    static const CommandRow kCommands[];

    ClientOptions options;
    clikit::Sink &out;
    clikit::Sink &err;
    FsManager *link = nullptr;
    bool showProgress = false;
    QString progressLabel;
    int shownPercent = -1;
    bool everConnected = false;
    bool tableRead = false;
    bool bigForm = false; // the form of the last table: it sets the largest file an upload takes
    int awaited = 0;      // the command whose result ends the run once the table was read
    bool batchStarted = false;
    bool done = false;
    QList<FileTable::Row> rows;
    FileTable::Totals totals;
    QList<Item> items; // in the order given; get and rm name each file once
    QList<int> batch;  // the items handed to the link, in the order it carries them out
    int itemsDone = 0; // of batch, as the link reported them
    QMap<QString, QByteArray> received;
    bool planned = false;                 // sync: every file compared and the plan made
    bool comparing = false;               // sync: the batch fetches board files to compare
    QList<QPair<int, QList<int>>> queued; // sync: the batches still to run, each command with its items
    QJsonObject json;                     // oneOfMany: the document of --json
};

} // namespace fsclient
