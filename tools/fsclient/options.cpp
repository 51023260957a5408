#include "options.h"

#include "pcbaddress.h"
#include "pcbprotocol.h"
#include "uploadpaths.h"

#include <QCommandLineParser>

namespace fsclient {

namespace {

struct CommandName
{
    const char *name;
    Command command;
};

const CommandName kCommands[] = {
    {"ls", Command::List}, {"df", Command::Totals}, {"put", Command::Put},
    {"get", Command::Get}, {"rm", Command::Remove},
};

// A name the board can hold: the link refuses to ask for any other, and a request for it would
// never be answered.
bool isBoardName(const QString &name)
{
    return PcbProtocol::isLatin1(name) && !PcbProtocol::boardFileName(name).isEmpty();
}

} // namespace

QString usageLine()
{
    return QStringLiteral("Usage: velmora-fs [--host ADDR] [--port N] ls|df [--json] | put FILE... | "
                          "get NAME... [-o DIR] | rm NAME...");
}

QString helpText()
{
    return QStringLiteral(
               "Lists, uploads, downloads and deletes the files of a controller board, as the window does.\n"
               "\n") +
           usageLine() +
           QStringLiteral(
               "\n"
               "\n"
               "Commands:\n"
               "  ls [--json]         the file table (name, date, size, address, block) and the totals\n"
               "  df [--json]         the totals alone: count, total, used and free memory\n"
               "  put FILE...         upload regular files, at most %1 at a time, all or none\n"
               "  get NAME... [-o DIR]  download into DIR (default: the current folder)\n"
               "  rm NAME...          delete\n"
               "\n"
               "Options:\n"
               "  --host ADDR   the board's IPv4 address for this run only (default: the address\n"
               "                stored in pcbSettings.ini in the current folder, as the window uses it)\n"
               "  --port N      the board's TCP port for this run, 1 to 65535 (default 2502)\n"
               "  --json        ls and df: one JSON document on stdout\n"
               "  -o, --output DIR  get: the folder to write into; it must exist\n"
               "  -h, --help    show this help\n"
               "\n"
               "Errors go to stderr with the board link's own texts; progress too, when stderr is a\n"
               "terminal. Exit status: 0 success; 1 the board, the connection or a file failed;\n"
               "2 usage error.\n")
               .arg(UploadPaths::kMaxPerDrop);
}

ParseResult parseOptions(const QStringList &arguments, ClientOptions *options, QString *error)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption host(QStringLiteral("host"), QString(), QStringLiteral("address"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("n"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("folder"));
    parser.addOptions({help, host, port, json, output});
    if (!parser.parse(QStringList{QStringLiteral("velmora-fs")} + arguments)) {
        *error = parser.errorText();
        return ParseResult::UsageError;
    }
    if (parser.isSet(help))
        return ParseResult::Help;

    ClientOptions o;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = QStringLiteral("no command given");
        return ParseResult::UsageError;
    }
    const QString commandText = positional.takeFirst();
    bool known = false;
    for (const CommandName &entry : kCommands) {
        if (commandText == QLatin1String(entry.name)) {
            o.command = entry.command;
            known = true;
        }
    }
    if (!known) {
        *error = QStringLiteral("unknown command: %1").arg(commandText);
        return ParseResult::UsageError;
    }
    o.arguments = positional;
    const bool listing = o.command == Command::List || o.command == Command::Totals;
    if (listing && !o.arguments.isEmpty()) {
        *error = QStringLiteral("%1 takes no arguments: %2").arg(commandText, o.arguments.first());
        return ParseResult::UsageError;
    }
    if (!listing && o.arguments.isEmpty()) {
        *error = QStringLiteral("%1: nothing named").arg(commandText);
        return ParseResult::UsageError;
    }
    if (parser.isSet(json) && !listing) {
        *error = QStringLiteral("--json goes with ls and df only");
        return ParseResult::UsageError;
    }
    o.json = parser.isSet(json);
    if (parser.isSet(output) && o.command != Command::Get) {
        *error = QStringLiteral("-o goes with get only");
        return ParseResult::UsageError;
    }
    o.outputFolder = parser.value(output);
    if (o.command == Command::Put && o.arguments.size() > UploadPaths::kMaxPerDrop) {
        // As one drop onto the window; more would be left out there without a word.
        *error = QStringLiteral("put takes at most %1 files at a time").arg(UploadPaths::kMaxPerDrop);
        return ParseResult::UsageError;
    }
    if (o.command == Command::Get || o.command == Command::Remove) {
        for (const QString &name : qAsConst(o.arguments)) {
            if (!isBoardName(name)) {
                *error = QStringLiteral("not a board file name (1 to %1 Latin-1 characters): %2")
                             .arg(PcbProtocol::kMaxNameLength)
                             .arg(name);
                return ParseResult::UsageError;
            }
        }
    }
    if (parser.isSet(host)) {
        // The settings dialog's rule, so that nothing reaches a board the window could not.
        if (!PcbAddress::fromText(parser.value(host), &o.host)) {
            *error = QStringLiteral("--host: not an IPv4 address: %1").arg(parser.value(host));
            return ParseResult::UsageError;
        }
        o.hostGiven = true;
    }
    if (parser.isSet(port)) {
        bool ok = false;
        const uint value = parser.value(port).toUInt(&ok, 10);
        // The range the settings dialog offers.
        if (!ok || value < 1 || value > 65535) {
            *error = QStringLiteral("--port: expected 1 to 65535: %1").arg(parser.value(port));
            return ParseResult::UsageError;
        }
        o.port = static_cast<quint16>(value);
        o.portGiven = true;
    }
    *options = o;
    return ParseResult::Run;
}

} // namespace fsclient
