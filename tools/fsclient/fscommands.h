#pragma once

#include "options.h"

#include <QFlags>
#include <QString>
#include <memory>

namespace fsclient {

class FsClient;
class Runner;

// What a command takes after its name.
enum class Operands
{
    None,
    LocalFiles,
    BoardNames,
    Folder, // one local folder
};

// The options a command takes beyond those every command takes.
enum class CommandOption : unsigned
{
    Json = 1u << 0,    // --json
    Verbose = 1u << 1, // -v
    Output = 1u << 2,  // -o: the command writes files into a folder, one of its own for each board
    Plan = 1u << 3,    // --delete, --dry-run, --checksum and --no-state
};
Q_DECLARE_FLAGS(CommandOptions, CommandOption)

// What a command says of itself, and of each of its files with -v: Russian, marked for the
// VelmoraFs context and translated where they are shown.
struct CommandTexts
{
    // After its name in the usage line. Rows next to each other with the same text share one
    // alternative there: "ls|df [--json]".
    const char *usage;
    const char *synopsis; // its line in --help, then what it does
    const char *about;
    const char *done;    // -v: a file the board carried out; null for commands without such lines
    const char *notDone; // -v: a file not tried, or dropped after a refusal
};

// Makes the runner of one run of the command on one board.
using MakeRunner = std::unique_ptr<Runner> (*)(FsClient &client);

// A row of velmora-fs's command table: the command's name, what it takes, its runner and its
// texts. A command is one row here and its runner in a file of its own.
struct CommandRow
{
    const char *name;
    Command command;
    Operands operands;
    CommandOptions takes;
    MakeRunner makeRunner;
    CommandTexts texts;
    // Tried again from the start after a lost connection even when it had written: it only ever
    // makes the board match, so a second run finishes what the first began.
    bool startsOver = false;
};

// The row of the command of that name, or null: the one place commands are found by name.
const CommandRow *findCommand(const QString &name);
// The row of a command the command line named.
const CommandRow &commandRow(Command command);
// The names of the commands that take Option, in the table's order: "put, get, rm и sync" (in
// the language of the texts).
QString commandsWith(CommandOption option);
// The commands' part of the usage line: "ls|df [--json] | put [-v] ФАЙЛ... | ..." (translated).
QString commandsUsage();
// The commands' lines of --help: each synopsis, padded to the widest, and what it does.
QString commandsHelp();

} // namespace fsclient

Q_DECLARE_OPERATORS_FOR_FLAGS(fsclient::CommandOptions)
