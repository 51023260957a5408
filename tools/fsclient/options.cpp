#include "options.h"

#include "clikit.h"
#include "fscommands.h"
#include "fstexts.h"
#include "pcbaddress.h"
#include "uploadpaths.h"
#include "uploadrules.h"

#include <QCommandLineParser>
#include <QFile>
#include <QLocale>

namespace fsclient {

namespace {

// A name the board can hold: the link refuses to ask for any other, and a request for it would
// never be answered.
bool isBoardName(const QString &name)
{
    return UploadRules::checkName(name, UploadRules::NamePolicy::Refuse) == UploadRules::Refusal::None;
}

} // namespace

QString BoardAddress::text() const
{
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

QString usageLine()
{
    return Texts::tr("Использование: velmora-fs [--host АДРЕС] [--port N] [--board АДРЕС[:ПОРТ]]... "
                     "[--boards ФАЙЛ] [--jobs N] [--retries N] [--retry-delay С] %1")
        .arg(commandsUsage());
}

QString helpText()
{
    // Translated in paragraphs and joined before the markers are filled, so that they count through
    // the commands' lines (the put line's %1) too.
    return (Texts::tr(
                "Показывает, передаёт, получает и удаляет файлы платы контроллера, как это делает окно;\n"
                "приводит файлы платы к файлам папки; то же на многих платах сразу.\n") +
            QLatin1Char('\n') + usageLine() + QStringLiteral("\n\n") + Texts::tr("Команды:") +
            QLatin1Char('\n') + commandsHelp() + QLatin1Char('\n') +
            Texts::tr(
                "put сначала проверяет всё, что можно узнать заранее: файлы, их имена (от 1 до %2\n"
                "символов Latin-1), размеры и место в свободной памяти платы; если что-то не так, не\n"
                "передаётся ничего. Если плата всё же откажет посреди передачи, переданные файлы остаются\n"
                "на ней, а сообщение называет файл, на котором был отказ, и все не переданные.\n"
                "get и rm называют имена, которых нет на плате, и получают или удаляют остальные; get\n"
                "записывает и те файлы, что пришли целиком до отказа или обрыва.\n"
                "Плата хранит файлы целыми 4-байтовыми словами, поэтому полученный файл может\n"
                "оканчиваться нулевыми байтами (до трёх).\n"
                "\n"
                "sync сравнивает файлы по содержимому, как их хранит плата (дополненному нулями до целых\n"
                "слов), и передаёт только новые и изменённые; с --delete удаляет с платы файлы, которых в\n"
                "папке нет. Сначала проверяется всё: имена, размеры и место в памяти платы после\n"
                "синхронизации; если что-то не так, не меняется ничего. В stdout строка на каждый\n"
                "изменённый файл: «+ ИМЯ» новый, «~ ИМЯ» изменён, «- ИМЯ» удалён; с -v и «= ИМЯ» для\n"
                "совпадающего, а через табуляцию — как это узнано: «по записи» или «по содержимому».\n"
                "\n"
                "Когда после sync плата совпадает с папкой, sync записывает для этой платы в папку кэша\n"
                "пользователя (velmora/АДРЕС_ПОРТ.json) строку таблицы платы каждого файла и путь, размер,\n"
                "время изменения и SHA-256 файла папки. Следующий sync не получает файл с платы, если его\n"
                "строка в таблице та же, а файл папки тот же по размеру и времени или, если они другие,\n"
                "по SHA-256. Время в таблице платы — целые секунды: файл того же размера, переписанный на\n"
                "плате в ту же секунду на тот же адрес и в тот же блок, так не отличить; --checksum\n"
                "сравнивает все файлы по содержимому.\n"
                "\n"
                "С --board (можно несколько раз) или --boards команда выполняется на всех платах сразу,\n"
                "не больше --jobs соединений одновременно. Каждая строка stdout начинается с «АДРЕС:ПОРТ: "
                "»,\n"
                "каждая строка stderr — с «velmora-fs: АДРЕС:ПОРТ: »; --json даёт один документ, в котором\n"
                "у каждой платы свой член «АДРЕС:ПОРТ» с её кодом выхода «exit»; get пишет файлы каждой\n"
                "платы в ПАПКА/АДРЕС_ПОРТ/. Отказ одной платы не останавливает другие. В конце в stderr\n"
                "итог: сколько плат успешно, с ошибками и недоступны, с их адресами.\n"
                "\n"
                "Параметры:\n"
                "  --host АДРЕС        IPv4-адрес платы только для этого запуска (по умолчанию — адрес из\n"
                "                      pcbSettings.ini текущей папки, как у окна)\n"
                "  --port N            TCP-порт платы для этого запуска, от 1 до 65535 (по умолчанию %3)\n"
                "  --board АДРЕС[:ПОРТ]\n"
                "                      ещё одна плата (порт по умолчанию %3); вместо --host и --port\n"
                "  --boards ФАЙЛ       платы из файла: по одной АДРЕС[:ПОРТ] в строке, пустые строки и\n"
                "                      всё после # пропускаются\n"
                "  --jobs N            с --board и --boards: сколько плат соединять одновременно, от 1\n"
                "                      до %4 (по умолчанию %5)\n"
                "  --retries N         плату, которая недоступна или потеряла соединение, пробовать ещё\n"
                "                      до N раз (по умолчанию 0): sync начинается заново, остальные\n"
                "                      команды повторяются, только если на плате ещё ничего не изменено\n"
                "  --retry-delay С     сколько секунд ждать первого повтора, каждого следующего — вдвое\n"
                "                      дольше, но не больше часа (по умолчанию %6)\n"
                "  --json              ls, df и sync: один документ JSON в stdout\n"
                "  -o, --output ПАПКА  get: куда записать файлы; папка должна существовать\n"
                "  -v, --verbose       put, get, rm: по строке на файл в stdout: итог, табуляция, файл;\n"
                "                      итоги: передан, получен, удалён, нет на плате, отказ, прерван,\n"
                "                      не передан, не получен, не удалён, не сохранён;\n"
                "                      sync: ещё и «= ИМЯ» для каждого совпадающего файла\n"
                "  --delete            sync: удалить с платы файлы, которых нет в папке\n"
                "  --dry-run           sync: показать, что изменится, ничего не меняя\n"
                "  --checksum          sync: сравнить все файлы по содержимому, не веря записи о прошлой\n"
                "                      синхронизации (новая запись всё равно делается)\n"
                "  --no-state          sync: не читать и не делать запись о синхронизации\n"
                "  -h, --help          эта справка\n"
                "  --version           имя и версия программы\n"
                "\n"
                "Сообщения идут в stderr, и каждая их строка начинается с «velmora-fs: »; туда же ход\n"
                "передачи, если stderr — терминал и плата одна. Код выхода: 0 — успех (sync: плата\n"
                "совпадает с папкой); 1 — отказ платы или файла (и имя, которого нет на плате; sync: плату\n"
                "не удалось привести к папке); 2 — ошибка в параметрах; 3 — плата недоступна или\n"
                "соединение потеряно. На многих платах — худший код из всех: 3, затем 1, затем 0.\n"))
        .arg(UploadPaths::kMaxPerDrop)
        .arg(UploadRules::maxNameLength())
        .arg(kDefaultBoardPort)
        .arg(kMaxJobs)
        .arg(kDefaultJobs)
        .arg(kDefaultRetryDelay);
}

QString boardFileStem(const QString &address)
{
    return QString(address).replace(QLatin1Char(':'), QLatin1Char('_'));
}

bool parseBoard(const QString &text, BoardAddress *board, QString *error)
{
    BoardAddress parsed;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? text : text.left(colon);
    // The settings dialog's rule for the address, so that nothing reaches a board the window
    // could not.
    if (!PcbAddress::fromText(host, &parsed.host)) {
        *error = Texts::tr("не IPv4-адрес: %1").arg(text);
        return false;
    }
    if (colon >= 0) {
        bool ok = false;
        const uint port = text.mid(colon + 1).toUInt(&ok, 10);
        if (!ok || port < 1 || port > 65535) {
            *error = Texts::tr("нужен порт от 1 до 65535: %1").arg(text);
            return false;
        }
        parsed.port = static_cast<quint16>(port);
    }
    *board = parsed;
    return true;
}

namespace {

// Adds the boards of a --boards file: one a line, blank lines and "#" comments skipped.
bool readBoardsFile(const QString &path, QList<BoardAddress> *boards, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = Texts::tr("--boards: не удалось прочитать %1: %2").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString text = lines.at(i).section(QLatin1Char('#'), 0, 0).trimmed();
        if (text.isEmpty())
            continue;
        BoardAddress board;
        QString why;
        if (!parseBoard(text, &board, &why)) {
            *error = QStringLiteral("--boards %1:%2: %3").arg(path).arg(i + 1).arg(why);
            return false;
        }
        boards->append(board);
    }
    return true;
}

} // namespace

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
    const QCommandLineOption board(QStringLiteral("board"), QString(), QStringLiteral("address"));
    const QCommandLineOption boards(QStringLiteral("boards"), QString(), QStringLiteral("file"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QString(), QStringLiteral("n"));
    const QCommandLineOption prune(QStringLiteral("delete"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption retries(QStringLiteral("retries"), QString(), QStringLiteral("n"));
    const QCommandLineOption retryDelay(QStringLiteral("retry-delay"), QString(), QStringLiteral("seconds"));
    parser.addOptions({help, host, port, json, output, verbose, version, board, boards, jobs, prune, dryRun});
    parser.addOptions({retries, retryDelay});
    const QCommandLineOption checksum(QStringLiteral("checksum"));
    const QCommandLineOption noState(QStringLiteral("no-state"));
    parser.addOptions({checksum, noState});
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
    const CommandRow *row = findCommand(commandText);
    if (!row) {
        *error = clikit::unknownCommandText(commandText);
        return ParseResult::UsageError;
    }
    o.command = row->command;
    o.arguments = positional;
    const bool listing = row->operands == Operands::None;
    if (listing && !o.arguments.isEmpty()) {
        *error = Texts::tr("%1 не принимает аргументов: %2").arg(commandText, o.arguments.first());
        return ParseResult::UsageError;
    }
    if (row->operands == Operands::Folder && o.arguments.size() != 1) {
        *error = o.arguments.isEmpty()
                     ? Texts::tr("%1: не указана папка").arg(commandText)
                     : Texts::tr("%1 принимает одну папку: %2").arg(commandText, o.arguments.at(1));
        return ParseResult::UsageError;
    }
    if (!listing && o.arguments.isEmpty()) {
        *error = Texts::tr("%1: не указано ни одного файла").arg(commandText);
        return ParseResult::UsageError;
    }
    // Each of these options is for some commands only.
    if (parser.isSet(json) && !row->takes.testFlag(CommandOption::Json)) {
        *error = Texts::tr("--json — только для %1").arg(commandsWith(CommandOption::Json));
        return ParseResult::UsageError;
    }
    if (parser.isSet(verbose) && !row->takes.testFlag(CommandOption::Verbose)) {
        *error = Texts::tr("-v — только для %1").arg(commandsWith(CommandOption::Verbose));
        return ParseResult::UsageError;
    }
    if (parser.isSet(output) && !row->takes.testFlag(CommandOption::Output)) {
        *error = Texts::tr("-o — только для %1").arg(commandsWith(CommandOption::Output));
        return ParseResult::UsageError;
    }
    for (const QCommandLineOption *option : {&prune, &dryRun, &checksum, &noState}) {
        if (parser.isSet(*option) && !row->takes.testFlag(CommandOption::Plan)) {
            *error = Texts::tr("--%1 — только для %2")
                         .arg(option->names().first(), commandsWith(CommandOption::Plan));
            return ParseResult::UsageError;
        }
    }
    o.json = parser.isSet(json);
    o.prune = parser.isSet(prune);
    o.dryRun = parser.isSet(dryRun);
    o.checksum = parser.isSet(checksum);
    o.noState = parser.isSet(noState);
    o.verbose = parser.isSet(verbose);
    o.outputFolder = parser.value(output);
    if (row->operands == Operands::LocalFiles && o.arguments.size() > UploadPaths::kMaxPerDrop) {
        // As one drop onto the window; more would be left out there without a word.
        *error = Texts::tr("%1 передаёт не больше %2 файлов за раз")
                     .arg(commandText)
                     .arg(UploadPaths::kMaxPerDrop);
        return ParseResult::UsageError;
    }
    if (row->operands == Operands::BoardNames) {
        for (const QString &name : qAsConst(o.arguments)) {
            if (!isBoardName(name)) {
                *error = Texts::tr("не имя файла платы (от 1 до %1 символов Latin-1): %2")
                             .arg(UploadRules::maxNameLength())
                             .arg(name);
                return ParseResult::UsageError;
            }
        }
    }
    if (parser.isSet(host)) {
        // The settings dialog's rule, so that nothing reaches a board the window could not.
        if (!PcbAddress::fromText(parser.value(host), &o.host)) {
            *error = Texts::tr("--host: не IPv4-адрес: %1").arg(parser.value(host));
            return ParseResult::UsageError;
        }
        o.hostGiven = true;
    }
    if (parser.isSet(port)) {
        bool ok = false;
        const uint value = parser.value(port).toUInt(&ok, 10);
        // The range the settings dialog offers.
        if (!ok || value < 1 || value > 65535) {
            *error = Texts::tr("--port: нужно число от 1 до 65535: %1").arg(parser.value(port));
            return ParseResult::UsageError;
        }
        o.port = static_cast<quint16>(value);
        o.portGiven = true;
    }
    QList<BoardAddress> named;
    for (const QString &text : parser.values(board)) {
        BoardAddress address;
        if (!parseBoard(text, &address, error)) {
            error->prepend(QStringLiteral("--board: "));
            return ParseResult::UsageError;
        }
        named << address;
    }
    for (const QString &path : parser.values(boards)) {
        if (!readBoardsFile(path, &named, error))
            return ParseResult::UsageError;
    }
    // A board named twice is one board: two links to it would trip over each other.
    for (const BoardAddress &address : qAsConst(named)) {
        if (!o.boards.contains(address))
            o.boards << address;
    }
    const bool several = parser.isSet(board) || parser.isSet(boards);
    if (several && (o.hostGiven || o.portGiven)) {
        *error = Texts::tr("--host и --port — для одной платы, с --board и --boards их не указывают");
        return ParseResult::UsageError;
    }
    if (several && o.boards.isEmpty()) {
        *error = Texts::tr("--boards: в файле нет ни одной платы");
        return ParseResult::UsageError;
    }
    if (parser.isSet(jobs)) {
        bool ok = false;
        const int value = parser.value(jobs).toInt(&ok, 10);
        if (!several) {
            *error = Texts::tr("--jobs — только вместе с --board или --boards");
            return ParseResult::UsageError;
        }
        if (!ok || value < 1 || value > kMaxJobs) {
            *error = Texts::tr("--jobs: нужно число от 1 до %1: %2").arg(kMaxJobs).arg(parser.value(jobs));
            return ParseResult::UsageError;
        }
        o.jobs = value;
    }
    if (parser.isSet(retries)) {
        bool ok = false;
        o.retries = parser.value(retries).toInt(&ok, 10);
        if (!ok || o.retries < 0 || o.retries > kMaxRetries) {
            *error = Texts::tr("--retries: нужно число от 0 до %1: %2")
                         .arg(kMaxRetries)
                         .arg(parser.value(retries));
            return ParseResult::UsageError;
        }
    }
    if (parser.isSet(retryDelay)) {
        bool ok = false;
        // Seconds with a point, whatever the locale: a script reads the same everywhere.
        o.retryDelay = QLocale::c().toDouble(parser.value(retryDelay), &ok);
        if (!ok || !(o.retryDelay >= 0 && o.retryDelay <= kMaxRetryDelay)) {
            *error = Texts::tr("--retry-delay: нужно число секунд от 0 до %1: %2")
                         .arg(kMaxRetryDelay)
                         .arg(parser.value(retryDelay));
            return ParseResult::UsageError;
        }
    }
    *options = o;
    return ParseResult::Run;
}

} // namespace fsclient
