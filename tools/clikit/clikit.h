#pragma once

#include "clisink.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>

class QCommandLineParser;

// What every command-line tool of the project does alike, so that scripts can rely on it: the exit
// statuses, UTF-8 on the standard streams, the program's name at the start of every stderr line,
// the shape of a usage error, --help and --version, and a table of commands that carries each
// command's runner, dispatched by name in one place.
namespace clikit {

// Exit statuses.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;     // something refused or found
constexpr int kUsage = 2;       // a usage error
constexpr int kUnreachable = 3; // the peer could not be reached, or the connection was lost

// The worse of two exit statuses, for a run of several parts: a usage error over an unreachable
// board over a refusal over success.
int worstStatus(int a, int b);

// "NAME VERSION" of the build, as --version prints it.
QString versionText(const QString &name);

// The texts of the usage errors every tool has.
QString noCommandText();
QString unknownCommandText(const QString &name);
// Why QCommandLineParser::parse() failed: an unknown option, or one without its value.
QString parserErrorText(const QCommandLineParser &parser);

// What a command line asks of a tool: its help, its version, or a command and its arguments.
struct Invocation
{
    bool help = false;
    bool version = false;
    QString command; // empty: none named
    QStringList arguments;

    // A command line without the program's name whose first argument names the command, or is
    // --help, -h or --version.
    static Invocation leading(const QStringList &arguments);
};

// A row of a command table is any struct whose `name` is a const char *: each tool's rows carry
// the runner in the form its commands need. Returns the row of that name, or null.
template <typename Row, std::size_t N> const Row *findCommand(const Row (&table)[N], const QString &name)
{
    for (const Row &row : table) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

// One run of a tool: its name, where its output and its messages go, its usage line and help.
class Tool
{
public:
    Tool(const QString &name, QTextStream &out, QTextStream &err);

    const QString &name() const { return programName; }
    Sink &out() { return output; }
    // Every line starts with "NAME: ".
    Sink &err() { return errors; }

    // The usage line of a usage error outside any command ("Использование: ..."), and whether
    // usage errors end with "Подробнее: NAME --help".
    void setUsage(const QString &line, bool pointToHelp);
    void setHelp(const QString &text);

    // Message on stderr, each of its lines with the program's name.
    void say(const QString &message);
    // Message, the usage line (the tool's unless given) and the pointer to --help on stderr;
    // returns kUsage.
    int usageError(const QString &message, const QString &usageLine = QString());
    int showHelp();
    // versionText() of the tool.
    int showVersion();

    // Answers --help and --version, refuses a missing or unknown command, and otherwise returns
    // what run(row, arguments) returns for the row the invocation names.
    template <typename Row, std::size_t N, typename Run>
    int dispatch(const Row (&table)[N], const Invocation &invocation, Run run)
    {
        if (invocation.help)
            return showHelp();
        if (invocation.version)
            return showVersion();
        if (invocation.command.isEmpty())
            return usageError(noCommandText());
        const Row *row = findCommand(table, invocation.command);
        if (!row)
            return usageError(unknownCommandText(invocation.command));
        return run(*row, invocation.arguments);
    }

private:
    QString programName;
    Sink output;
    Sink errors;
    QString usage;
    bool pointsToHelp = false;
    QString help;
};

// The testable run of a tool: the arguments as the program got them (its name first), its
// standard output and error; returns the exit status.
using Run = std::function<int(const QStringList &arguments, QTextStream &out, QTextStream &err)>;

// What main() of every tool does around Run: the application object named Name, UTF-8 standard
// streams, and Qt's own warnings as the tool's stderr lines.
int runMain(int &argc, char **argv, const QString &name, const Run &run);

} // namespace clikit
