#include "options.h"

#include "clikit.h"
#include "fsclient.h"
#include "pcbaddress.h"
#include "pcbprotocol.h"
#include "uploadpaths.h"

#include <QCommandLineParser>

namespace fsclient {

namespace {

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
        "Использование: velmora-fs [--host АДРЕС] [--port N] ls|df [--json] | put [-v] ФАЙЛ... | "
        "get [-v] ИМЯ... [-o ПАПКА] | rm [-v] ИМЯ...");
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
               "  put ФАЙЛ...            передать обычные файлы, не больше %1 за раз\n"
               "  get ИМЯ... [-o ПАПКА]  получить файлы в ПАПКУ (по умолчанию — текущую)\n"
               "  rm ИМЯ...              удалить\n"
               "\n"
               "put сначала проверяет всё, что можно узнать заранее: файлы, их имена (от 1 до %2\n"
               "символов Latin-1), размеры и место в свободной памяти платы; если что-то не так, не\n"
               "передаётся ничего. Если плата всё же откажет посреди передачи, переданные файлы остаются\n"
               "на ней, а сообщение называет файл, на котором был отказ, и все не переданные.\n"
               "get и rm называют имена, которых нет на плате, и получают или удаляют остальные; get\n"
               "записывает и те файлы, что пришли целиком до отказа или обрыва.\n"
               "Плата хранит файлы целыми 4-байтовыми словами, поэтому полученный файл может\n"
               "оканчиваться нулевыми байтами (до трёх).\n"
               "\n"
               "Параметры:\n"
               "  --host АДРЕС        IPv4-адрес платы только для этого запуска (по умолчанию — адрес из\n"
               "                      pcbSettings.ini текущей папки, как у окна)\n"
               "  --port N            TCP-порт платы для этого запуска, от 1 до 65535 (по умолчанию 2502)\n"
               "  --json              ls и df: один документ JSON в stdout\n"
               "  -o, --output ПАПКА  get: куда записать файлы; папка должна существовать\n"
               "  -v, --verbose       put, get, rm: по строке на файл в stdout: итог, табуляция, файл;\n"
               "                      итоги: передан, получен, удалён, нет на плате, отказ, прерван,\n"
               "                      не передан, не получен, не удалён, не сохранён\n"
               "  -h, --help          эта справка\n"
               "  --version           имя и версия программы\n"
               "\n"
               "Сообщения идут в stderr, и каждая их строка начинается с «velmora-fs: »; туда же ход\n"
               "передачи, если stderr — терминал. Код выхода: 0 — успех; 1 — отказ платы или файла\n"
               "(и имя, которого нет на плате); 2 — ошибка в параметрах; 3 — плата недоступна или\n"
               "соединение потеряно.\n")
               .arg(UploadPaths::kMaxPerDrop)
               .arg(PcbProtocol::kMaxNameLength);
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
    const QCommandLineOption verbose(QStringList{QStringLiteral("v"), QStringLiteral("verbose")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, host, port, json, output, verbose, version});
    if (!parser.parse(QStringList{QStringLiteral("velmora-fs")} + arguments)) {
        *error = clikit::parserErrorText(parser);
        return ParseResult::UsageError;
    }
    if (parser.isSet(help))
        return ParseResult::Help;
    if (parser.isSet(version))
        return ParseResult::Version;

    ClientOptions o;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = clikit::noCommandText();
        return ParseResult::UsageError;
    }
    const QString commandText = positional.takeFirst();
    const CommandRow *row = FsClient::findCommand(commandText);
    if (!row) {
        *error = clikit::unknownCommandText(commandText);
        return ParseResult::UsageError;
    }
    o.command = row->command;
    o.arguments = positional;
    const bool listing = row->operands == Operands::None;
    if (listing && !o.arguments.isEmpty()) {
        *error = QStringLiteral("%1 не принимает аргументов: %2").arg(commandText, o.arguments.first());
        return ParseResult::UsageError;
    }
    if (!listing && o.arguments.isEmpty()) {
        *error = QStringLiteral("%1: не указано ни одного файла").arg(commandText);
        return ParseResult::UsageError;
    }
    // Each of these options is for some commands only.
    if (parser.isSet(json) && !row->json) {
        *error = QStringLiteral("--json — только для %1").arg(FsClient::commandsWith(&CommandRow::json));
        return ParseResult::UsageError;
    }
    if (parser.isSet(verbose) && !row->verbose) {
        *error = QStringLiteral("-v — только для %1").arg(FsClient::commandsWith(&CommandRow::verbose));
        return ParseResult::UsageError;
    }
    if (parser.isSet(output) && !row->output) {
        *error = QStringLiteral("-o — только для %1").arg(FsClient::commandsWith(&CommandRow::output));
        return ParseResult::UsageError;
    }
    o.json = parser.isSet(json);
    o.verbose = parser.isSet(verbose);
    o.outputFolder = parser.value(output);
    if (row->operands == Operands::LocalFiles && o.arguments.size() > UploadPaths::kMaxPerDrop) {
        // As one drop onto the window; more would be left out there without a word.
        *error = QStringLiteral("%1 передаёт не больше %2 файлов за раз")
                     .arg(commandText)
                     .arg(UploadPaths::kMaxPerDrop);
        return ParseResult::UsageError;
    }
    if (row->operands == Operands::BoardNames) {
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
