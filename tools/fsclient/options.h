#pragma once

#include <QHostAddress>
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
};

struct ClientOptions
{
    Command command = Command::List;
    QStringList arguments; // local paths for put, board names for get and rm
    bool json = false;
    bool verbose = false; // put, get, rm: a line per file and what became of it, on stdout
    QString outputFolder; // get -o; empty: the current folder
    bool hostGiven = false;
    QHostAddress host;
    bool portGiven = false;
    quint16 port = 0;
};

enum class ParseResult
{
    Run,
    Help,
    Version,
    UsageError,
};

// Reads the command line (without the program name). On a usage error, Error says what is wrong.
ParseResult parseOptions(const QStringList &arguments, ClientOptions *options, QString *error);

QString helpText();
QString usageLine();

} // namespace fsclient
