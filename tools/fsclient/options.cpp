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
    return QStringLiteral(
        "Использование: velmora-fs [--host АДРЕС] [--port N] ls|df [--json] | put ФАЙЛ... | "
        "get ИМЯ... [-o ПАПКА] | rm ИМЯ...");
}

QString helpText()
{
    return QStringLiteral(
               "Показывает, передаёт, получает и удаляет файлы платы контроллера, как это делает окно.\n"
               "\n") +
           usageLine() +
           QStringLiteral(
               "\n"
               "\n"
               "Команды:\n"
               "  ls [--json]            таблица файлов (имя, дата, размер, адрес, блок) и итоги\n"
               "  df [--json]            только итоги: число файлов, общая, занятая и свободная память\n"
               "  put ФАЙЛ...            передать обычные файлы, не больше %1 за раз, все или ни одного\n"
               "  get ИМЯ... [-o ПАПКА]  получить файлы в ПАПКУ (по умолчанию — текущую)\n"
               "  rm ИМЯ...              удалить\n"
               "\n"
               "Параметры:\n"
               "  --host АДРЕС        IPv4-адрес платы только для этого запуска (по умолчанию — адрес из\n"
               "                      pcbSettings.ini текущей папки, как у окна)\n"
               "  --port N            TCP-порт платы для этого запуска, от 1 до 65535 (по умолчанию 2502)\n"
               "  --json              ls и df: один документ JSON в stdout\n"
               "  -o, --output ПАПКА  get: куда записать файлы; папка должна существовать\n"
               "  -h, --help          эта справка\n"
               "\n"
               "Ошибки идут в stderr словами самой связи с платой; туда же ход передачи, если stderr —\n"
               "терминал. Код выхода: 0 — успех; 1 — отказ платы, соединения или файла;\n"
               "2 — ошибка в параметрах.\n")
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
        const QStringList unknown = parser.unknownOptionNames();
        *error = unknown.isEmpty() ? QStringLiteral("у параметра нет значения")
                                   : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first());
        return ParseResult::UsageError;
    }
    if (parser.isSet(help))
        return ParseResult::Help;

    ClientOptions o;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = QStringLiteral("не указана команда");
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
        *error = QStringLiteral("неизвестная команда «%1»").arg(commandText);
        return ParseResult::UsageError;
    }
    o.arguments = positional;
    const bool listing = o.command == Command::List || o.command == Command::Totals;
    if (listing && !o.arguments.isEmpty()) {
        *error = QStringLiteral("%1 не принимает аргументов: %2").arg(commandText, o.arguments.first());
        return ParseResult::UsageError;
    }
    if (!listing && o.arguments.isEmpty()) {
        *error = QStringLiteral("%1: не указано ни одного файла").arg(commandText);
        return ParseResult::UsageError;
    }
    if (parser.isSet(json) && !listing) {
        *error = QStringLiteral("--json — только для ls и df");
        return ParseResult::UsageError;
    }
    o.json = parser.isSet(json);
    if (parser.isSet(output) && o.command != Command::Get) {
        *error = QStringLiteral("-o — только для get");
        return ParseResult::UsageError;
    }
    o.outputFolder = parser.value(output);
    if (o.command == Command::Put && o.arguments.size() > UploadPaths::kMaxPerDrop) {
        // As one drop onto the window; more would be left out there without a word.
        *error = QStringLiteral("put передаёт не больше %1 файлов за раз").arg(UploadPaths::kMaxPerDrop);
        return ParseResult::UsageError;
    }
    if (o.command == Command::Get || o.command == Command::Remove) {
        for (const QString &name : qAsConst(o.arguments)) {
            if (!isBoardName(name)) {
                *error = QStringLiteral("не имя файла платы (от 1 до %1 символов Latin-1): %2")
                             .arg(PcbProtocol::kMaxNameLength)
                             .arg(name);
                return ParseResult::UsageError;
            }
        }
    }
    if (parser.isSet(host)) {
        // The settings dialog's rule, so that nothing reaches a board the window could not.
        if (!PcbAddress::fromText(parser.value(host), &o.host)) {
            *error = QStringLiteral("--host: не IPv4-адрес: %1").arg(parser.value(host));
            return ParseResult::UsageError;
        }
        o.hostGiven = true;
    }
    if (parser.isSet(port)) {
        bool ok = false;
        const uint value = parser.value(port).toUInt(&ok, 10);
        // The range the settings dialog offers.
        if (!ok || value < 1 || value > 65535) {
            *error = QStringLiteral("--port: нужно число от 1 до 65535: %1").arg(parser.value(port));
            return ParseResult::UsageError;
        }
        o.port = static_cast<quint16>(value);
        o.portGiven = true;
    }
    *options = o;
    return ParseResult::Run;
}

} // namespace fsclient
