#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace fsclient {

enum class Command
{
    List,   // ls
    Totals, // df
    Put,
    Get,
    Remove, // rm
    Sync,
};

// The link's port when none is named.
constexpr quint16 kDefaultBoardPort = 2502;
// How many boards a run on several has connected at once unless told.
constexpr int kDefaultJobs = 16;
constexpr int kMaxJobs = 1024;
// --retries and --retry-delay: how often a board is tried again, and the first wait in seconds.
constexpr int kMaxRetries = 100;
constexpr double kDefaultRetryDelay = 2.0;
constexpr double kMaxRetryDelay = 3600.0;

// A board of --board or --boards.
struct BoardAddress
{
    QHostAddress host;
    quint16 port = kDefaultBoardPort;

    // "ADDR:PORT", as every line about the board starts.
    QString text() const;
    bool operator==(const BoardAddress &other) const { return host == other.host && port == other.port; }
};

// "ADDR_PORT" of "ADDR:PORT": the board's name for a file or folder of its own.
QString boardFileStem(const QString &address);

struct ClientOptions
{
    Command command = Command::List;
    QStringList arguments; // local paths for put, board names for get and rm, the folder for sync
    bool json = false;
    bool verbose = false; // put, get, rm: a line per file and what became of it; sync: equal files too
    QString outputFolder; // get -o; empty: the current folder
    bool hostGiven = false;
    QHostAddress host;
    bool portGiven = false;
    quint16 port = 0;
    bool prune = false;    // sync --delete: also remove board files the folder does not hold
    bool dryRun = false;   // sync --dry-run: tell the plan, change nothing
    bool checksum = false; // sync --checksum: compare every file by its bytes, the record aside
    bool noState = false;  // sync --no-state: neither read nor write the record of the last sync
    // --board and --boards, each board once, in the order given; empty: one board, as --host and
    // --port or the settings file say.
    QList<BoardAddress> boards;
    int jobs = kDefaultJobs; // boards connected at once
    // A board unreachable or lost is tried again this many times, after RetryDelay seconds, then
    // twice that, and so on.
    int retries = 0;
    double retryDelay = kDefaultRetryDelay;
    // Set for each board of a run on several: the board's address starts every line already, no
    // progress line, and get writes into a folder of the board's own that it makes.
    bool oneOfMany = false;
    // Set for a try after one that may have written to the board (a sync starting over): what that
    // try changed is not among this one's changes, and --json says so.
    bool earlierTryChanged = false;
};

enum class ParseResult
{
    Run,
    Help,
    Version,
    UsageError,
};

// Reads "ADDR[:PORT]" as --board takes it. On a failure, Error says what is wrong.
bool parseBoard(const QString &text, BoardAddress *board, QString *error);

// Reads the command line (without the program name). On a usage error, Error says what is wrong.
// A --boards file is read here; one that cannot be read is a usage error too.
ParseResult parseOptions(const QStringList &arguments, ClientOptions *options, QString *error);

QString helpText();
QString usageLine();

} // namespace fsclient
