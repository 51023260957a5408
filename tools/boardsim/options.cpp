#include "options.h"

#include "clikit.h"
#include "wire.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace boardsim {

namespace {

bool parseUnsigned(const QString &text, quint64 max, quint64 *value)
{
    bool ok = false;
    const quint64 v = text.trimmed().toULongLong(&ok, 0);
    if (!ok || v > max)
        return false;
    *value = v;
    return true;
}

// Names travel as Latin-1 bytes: refuse what does not survive the round trip or would not fit
// the 52-byte name field with its terminating zero.
bool toBoardName(const QString &text, QByteArray *name)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.isEmpty() || bytes.size() > wire::kMaxNameLength || QString::fromLatin1(bytes) != text ||
        bytes.contains('\0'))
        return false;
    *name = bytes;
    return true;
}

// "KEY=VALUE", split at the last '=' so that names may contain '='.
bool splitPair(const QString &text, QString *key, QString *value)
{
    const int at = text.lastIndexOf(QLatin1Char('='));
    if (at <= 0 || at == text.size() - 1)
        return false;
    *key = text.left(at);
    *value = text.mid(at + 1);
    return true;
}

} // namespace

int commandFromText(const QString &text)
{
    static const char *const names[] = {"list", "write", "delete", "keepalive", "get"};
    for (int i = 0; i < 5; ++i) {
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= wire::kCmdList && value <= wire::kCmdGet ? value : 0;
}

QString commandName(int command)
{
    switch (command) {
    case wire::kCmdList:
        return QStringLiteral("list");
    case wire::kCmdWrite:
        return QStringLiteral("write");
    case wire::kCmdDelete:
        return QStringLiteral("delete");
    case wire::kCmdKeepAlive:
        return QStringLiteral("keepalive");
    case wire::kCmdGet:
        return QStringLiteral("get");
    default:
        return QStringLiteral("cmd%1").arg(command);
    }
}

QByteArray demoContent(const QByteArray &name, quint32 size)
{
    QByteArray content(int(size), Qt::Uninitialized);
    const quint32 seed = quint32(name.size());
    char *out = content.data();
    for (quint32 i = 0; i < size; ++i)
        out[i] = char((7u * (i % 251u) + seed) % 251u);
    return content;
}

bool parseOptions(const QStringList &arguments, SimOptions *options, QString *error, QString *helpText)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated controller board: a TCP server that speaks the board's file protocol.\n"
        "Prints 'LISTENING <address> <port>' on stdout once it accepts connections and logs every\n"
        "request and reply on stderr. Demo file content: byte i is (7*i + name length) mod 251."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption host(QStringLiteral("host"),
                                  QStringLiteral("Address to listen on (loopback only, default 127.0.0.1)."),
                                  QStringLiteral("address"));
    const QCommandLineOption allowRemote(QStringLiteral("allow-non-loopback"),
                                         QStringLiteral("Permit a --host that is not a loopback address."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port (default 2502; 0 = any free port)."),
                                  QStringLiteral("n"));
    const QCommandLineOption memory(QStringLiteral("memory"),
                                    QStringLiteral("Flash size in bytes (default 4194304)."),
                                    QStringLiteral("bytes"));
    const QCommandLineOption big(QStringLiteral("big"), QStringLiteral("Answer in the big form."));
    const QCommandLineOption askBig(QStringLiteral("ask-big"),
                                    QStringLiteral("Small form, asking for the big form in list replies."));
    const QCommandLineOption dir(
        QStringLiteral("dir"), QStringLiteral("Keep the files in this folder (loaded at start, rescanned)."),
        QStringLiteral("folder"));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Pre-create a demo file (repeatable)."),
                                  QStringLiteral("name=size"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Pre-create a few demo files."));
    const QCommandLineOption hostile(QStringLiteral("hostile-name"),
                                     QStringLiteral("Pre-create an entry with this name as is, e.g. ../x "
                                                    "(repeatable; never written to disk)."),
                                     QStringLiteral("name"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Do not log requests."));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Delay every reply."),
                                   QStringLiteral("ms"));
    const QCommandLineOption ignore(QStringLiteral("ignore"),
                                    QStringLiteral("Never answer this command (repeatable)."),
                                    QStringLiteral("cmd"));
    const QCommandLineOption malformed(QStringLiteral("malformed"),
                                       QStringLiteral("Answer this command with a wrong start byte."),
                                       QStringLiteral("cmd"));
    const QCommandLineOption status(QStringLiteral("status"),
                                    QStringLiteral("Answer this command with this status byte."),
                                    QStringLiteral("cmd=value"));
    const QCommandLineOption statusOnly(QStringLiteral("status-only"),
                                        QStringLiteral("Answer a failed get with the status byte alone."));
    const QCommandLineOption dropAfter(
        QStringLiteral("drop-after"),
        QStringLiteral("Drop the connection after this many bytes of an upload or download."),
        QStringLiteral("bytes"));
    const QCommandLineOption closeFirst(
        QStringLiteral("close-first"),
        QStringLiteral("Close the first n connections as soon as they are accepted."), QStringLiteral("n"));
    const QCommandLineOption congestion(
        QStringLiteral("tcp-congestion"),
        QStringLiteral("Send with this TCP congestion control, e.g. reno (Linux; default: the system's)."),
        QStringLiteral("name"));
    parser.addOptions({help,   version,   host,   allowRemote, port,      memory,     big,
                       askBig, dir,       file,   demo,        hostile,   quiet,      delay,
                       ignore, malformed, status, statusOnly,  dropAfter, closeFirst, congestion});

    if (!parser.parse(QStringList{QStringLiteral("velmora-boardsim")} + arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        *helpText = parser.helpText();
        return true;
    }
    if (parser.isSet(version)) {
        *helpText = clikit::versionText(QStringLiteral("velmora-boardsim")) + QLatin1Char('\n');
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }

    SimOptions o;
    quint64 value = 0;
    if (parser.isSet(host)) {
        if (!o.host.setAddress(parser.value(host))) {
            *error = QStringLiteral("--host: not an address: %1").arg(parser.value(host));
            return false;
        }
    }
    o.allowNonLoopback = parser.isSet(allowRemote);
    if (!o.host.isLoopback() && !o.allowNonLoopback) {
        *error =
            QStringLiteral("--host %1 is not a loopback address; add --allow-non-loopback to listen there")
                .arg(o.host.toString());
        return false;
    }
    if (parser.isSet(port)) {
        if (!parseUnsigned(parser.value(port), 65535, &value)) {
            *error = QStringLiteral("--port: expected 0..65535");
            return false;
        }
        o.port = quint16(value);
    }
    if (parser.isSet(memory)) {
        if (!parseUnsigned(parser.value(memory), kMaxMemory, &value)) {
            *error = QStringLiteral("--memory: expected 0..%1").arg(kMaxMemory);
            return false;
        }
        o.memory = quint32(value);
    }
    if (parser.isSet(big) && parser.isSet(askBig)) {
        *error = QStringLiteral("--big and --ask-big exclude each other");
        return false;
    }
    o.form = parser.isSet(big) ? FormMode::Big : parser.isSet(askBig) ? FormMode::AskBig : FormMode::Small;
    o.folder = parser.value(dir);
    if (parser.isSet(demo)) {
        o.demoFiles.append({QByteArrayLiteral("readme.txt"), 120});
        o.demoFiles.append({QByteArrayLiteral("settings.vmc"), 296});
        o.demoFiles.append({QByteArrayLiteral("log.bin"), 8192});
    }
    for (const QString &argument : parser.values(file)) {
        QString name, size;
        DemoFile demoFile;
        if (!splitPair(argument, &name, &size) || !toBoardName(name, &demoFile.name) ||
            !parseUnsigned(size, kMaxMemory, &value)) {
            *error = QStringLiteral("--file: expected NAME=SIZE with a Latin-1 name of 1..51 characters: %1")
                         .arg(argument);
            return false;
        }
        demoFile.size = quint32(value);
        o.demoFiles.append(demoFile);
    }
    for (const QString &text : parser.values(hostile)) {
        QByteArray name;
        if (!toBoardName(text, &name)) {
            *error =
                QStringLiteral("--hostile-name: expected a Latin-1 name of 1..51 characters: %1").arg(text);
            return false;
        }
        o.hostileNames.append(name);
    }
    o.quiet = parser.isSet(quiet);
    if (parser.isSet(delay)) {
        if (!parseUnsigned(parser.value(delay), 600000, &value)) {
            *error = QStringLiteral("--delay: expected milliseconds 0..600000");
            return false;
        }
        o.delayMs = int(value);
    }
    for (const QString &text : parser.values(ignore)) {
        const int command = commandFromText(text);
        if (command == 0) {
            *error = QStringLiteral("--ignore: unknown command %1").arg(text);
            return false;
        }
        o.ignored.insert(command);
    }
    for (const QString &text : parser.values(malformed)) {
        const int command = commandFromText(text);
        if (command == 0) {
            *error = QStringLiteral("--malformed: unknown command %1").arg(text);
            return false;
        }
        o.malformed.insert(command);
    }
    for (const QString &argument : parser.values(status)) {
        QString commandText, statusText;
        int command = 0;
        if (!splitPair(argument, &commandText, &statusText) ||
            (command = commandFromText(commandText)) == 0 || command == wire::kCmdList ||
            !parseUnsigned(statusText, 255, &value)) {
            *error = QStringLiteral("--status: expected CMD=VALUE for write, delete, keepalive or get: %1")
                         .arg(argument);
            return false;
        }
        o.statusOverride.insert(command, quint8(value));
    }
    o.statusOnly = parser.isSet(statusOnly);
    if (parser.isSet(dropAfter)) {
        if (!parseUnsigned(parser.value(dropAfter), quint64(1) << 40, &value)) {
            *error = QStringLiteral("--drop-after: expected a byte count");
            return false;
        }
        o.dropAfter = qint64(value);
    }
    if (parser.isSet(closeFirst)) {
        if (!parseUnsigned(parser.value(closeFirst), 1000000, &value)) {
            *error = QStringLiteral("--close-first: expected a number of connections");
            return false;
        }
        o.closeFirst = int(value);
    }
    o.congestion = parser.value(congestion);
    if (parser.isSet(congestion) &&
        !QRegularExpression(QStringLiteral("^[a-z0-9_]{1,15}$")).match(o.congestion).hasMatch()) {
        *error = QStringLiteral("--tcp-congestion: expected a name such as reno");
        return false;
    }
    *options = o;
    return true;
}

} // namespace boardsim
