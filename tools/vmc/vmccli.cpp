#include "vmccli.h"

#include "vmccheck.h"
#include "vmcdiff.h"
#include "vmcdump.h"
#include "vmcpack.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace Vmc {

namespace {
constexpr int kSuccess = 0;
constexpr int kFound = 1; // also: refused
constexpr int kUsage = 2; // also: a file not read or not written

const char *const kStandardInput = "-";

const char *const kOverview =
    "Использование: vmc КОМАНДА [ПАРАМЕТРЫ] ...\n"
    "Файлы конфигураций платы (.vmc): файлы вкладок и model id файлы.\n"
    "\n"
    "Команды:\n"
    "  dump [--json] [--textconv] ФАЙЛ...  показать файлы в читаемом виде\n"
    "  check [--strict] ФАЙЛ...            найти то, что окно прочтёт не так или потеряет\n"
    "  diff A B                            различия двух конфигураций (файлов или папок)\n"
    "  pack ПАПКА -o ФАЙЛ [--model-id N]   собрать файлы вкладок папки в model id файл\n"
    "  unpack ФАЙЛ -o ПАПКА                разложить model id файл на файлы вкладок\n"
    "\n"
    "Файл читается по своему имени, как его читает окно. --type ИМЯ (dump, check, diff, unpack)\n"
    "читает каждый файл команды под другим именем: как файл вкладки (GpioPortsSettings.vmc и\n"
    "другие) или как model id файл (ModelId_N.vmc). С --type вместо файла можно указать -\n"
    "(стандартный ввод).\n"
    "\n"
    "Подробнее о команде: vmc КОМАНДА --help. Версия: vmc --version.\n"
    "\n"
    "Код выхода:\n"
    "  0  всё в порядке: ошибок нет (check), конфигурации равны (diff), файлы записаны\n"
    "  1  найдены ошибки (check; с --strict и предупреждения), конфигурации различаются (diff),\n"
    "     в записи отказано (pack: слишком большая конфигурация; unpack: файл повреждён)\n"
    "  2  ошибка в параметрах, файл не прочитан или не записан\n";

const char *const kTypeHelp =
    "  --type ИМЯ   читать файлы под этим именем: файла вкладки или ModelId_N.vmc; тогда\n"
    "               вместо файла можно указать - (стандартный ввод)\n";

struct Command
{
    const char *name;
    const char *usage;
    const char *help;
    const char *options; // besides --type, which every command that reads files has
    int minimumArguments;
    int maximumArguments; // -1: any number
};

const Command kCommands[] = {
    {"dump", "vmc dump [--json] [--textconv] [--type ИМЯ] ФАЙЛ...",
     "Показывает файлы вкладок, model id файлы и папки файлов вкладок в читаемом виде: заголовок\n"
     "model id файла, выводы по разъёмам, записи регистров, каналов и привязок, маркеры конца и\n"
     "байты, которые окно не читает (в шестнадцатеричном виде). Вывод устойчив и подходит для\n"
     "git diff (textconv).\n",
     "  --json       документ JSON; для нескольких файлов — один массив JSON\n"
     "  --textconv   для git diff: принимает временные копии git (XXXXXX_ИМЯ), называет файл\n"
     "               только по имени и никогда не завершается ошибкой: файл, который не\n"
     "               читается как конфигурация (например, backup.vmc), показывается\n"
     "               шестнадцатеричным дампом (смещение, 16 байт в строке)\n",
     1, -1},
    {"check", "vmc check [--strict] [--type ИМЯ] ФАЙЛ...",
     "Ищет то, что окно прочтёт иначе или потеряет. Одна строка на находку:\n"
     "  ФАЙЛ: МЕСТО: ошибка: ТЕКСТ\n"
     "  ФАЙЛ: МЕСТО: предупреждение: ТЕКСТ\n"
     "Ошибка: окно прочтёт файл не так, как он записан, потеряет или изменит данные, или файл\n"
     "повреждён (размеры блоков, неполные записи, записи после маркера конца, записи заголовка,\n"
     "секции за концом файла, лишние байты, коды, которых нет ни в одном меню, код 240 у\n"
     "доступного вывода, строки несуществующих выводов, повторы).\n"
     "Предупреждение: файл цел, но конфигурация выглядит неполной (линии цепочек SPI нет или\n"
     "она у нескольких выводов, строки TI ADC и PWM не совпадают с выводами, число привязок не\n"
     "то, что получило бы окно). Файл без находок не упоминается.\n"
     "Код выхода: 0 — ошибок нет, 1 — есть ошибки (с --strict — любые находки), 2 — файл не\n"
     "прочитан.\n",
     "  --strict     код выхода 1 и при одних предупреждениях\n", 1, -1},
    {"diff", "vmc diff [--type ИМЯ] A B",
     "Различия двух конфигураций: двух model id файлов, двух файлов вкладок или двух папок файлов\n"
     "вкладок. По строке на вывод, запись регистра, канал и привязку. Код выхода 1, если различаются.\n",
     "", 2, 2},
    {"pack", "vmc pack ПАПКА -o ФАЙЛ [--model-id N]",
     "Собирает файлы вкладок папки в один model id файл, как его записало бы окно (отсутствующие\n"
     "файлы — пустые вкладки). Файл, который окно не загрузило бы как model id файл (имя не\n"
     "ModelId_N.vmc), не записывается.\n",
     "  -o ФАЙЛ         куда записать; с --model-id может быть папкой\n"
     "  --model-id N    model id 0..255: файл называется ModelId_N.vmc\n",
     1, 1},
    {"unpack", "vmc unpack [--type ИМЯ] ФАЙЛ -o ПАПКА",
     "Раскладывает model id файл на десять файлов вкладок, как их записало бы окно. Повреждённый\n"
     "файл не раскладывается: vmc называет повреждения и не пишет ни одного файла (код выхода 1).\n",
     "  -o ПАПКА   куда записать файлы\n", 1, 1},
};

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

bool is(const QString &name, const char *command)
{
    return name == QLatin1String(command);
}

class Cli
{
public:
    Cli(QTextStream &out, QTextStream &err, QIODevice *input) : out(out), err(err), input(input) {}

    int run(const QStringList &arguments)
    {
        const QString name = arguments.value(1);
        if (name.isEmpty())
            return usage(QStringLiteral("не указана команда"));
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            out << QString::fromUtf8(kOverview);
            return kSuccess;
        }
        if (name == QLatin1String("--version")) {
            out << "vmc " << VELMORA_VERSION << '\n';
            return kSuccess;
        }
        const Command *command = findCommand(name);
        if (!command)
            return usage(QStringLiteral("неизвестная команда «%1»").arg(name));

        QCommandLineParser parser;
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
        const QCommandLineOption json(QStringLiteral("json"), QString());
        const QCommandLineOption textconv(QStringLiteral("textconv"), QString());
        const QCommandLineOption strict(QStringLiteral("strict"), QString());
        const QCommandLineOption type(QStringLiteral("type"), QString(), QStringLiteral("name"));
        const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("path"));
        const QCommandLineOption modelId(QStringLiteral("model-id"), QString(), QStringLiteral("n"));
        parser.addOption(help);
        if (is(name, "dump")) {
            parser.addOption(json);
            parser.addOption(textconv);
        }
        if (is(name, "check"))
            parser.addOption(strict);
        if (!is(name, "pack"))
            parser.addOption(type);
        if (is(name, "pack") || is(name, "unpack"))
            parser.addOption(output);
        if (is(name, "pack"))
            parser.addOption(modelId);
        if (!parser.parse(arguments.mid(1))) {
            const QStringList unknown = parser.unknownOptionNames();
            return usage(unknown.isEmpty() ? QStringLiteral("у параметра нет значения")
                                           : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first()),
                         command);
        }
        if (parser.isSet(help)) {
            out << QStringLiteral("Использование: %1\n\n%2\nПараметры:\n%3%4")
                       .arg(QString::fromUtf8(command->usage), QString::fromUtf8(command->help),
                            QString::fromUtf8(command->options),
                            is(name, "pack") ? QString() : QString::fromUtf8(kTypeHelp));
            return kSuccess;
        }
        // The parser takes the command's name for the program's.
        const QStringList files = parser.positionalArguments();
        if (files.size() < command->minimumArguments ||
            (command->maximumArguments >= 0 && files.size() > command->maximumArguments))
            return usage(QStringLiteral("не то число файлов"), command);
        typeName = parser.value(type);
        if (!typeName.isEmpty() && !isConfigFileName(typeName))
            return usage(QStringLiteral("--type %1: не имя файла вкладки и не ModelId_N.vmc").arg(typeName),
                         command);
        if (typeName.isEmpty() && !is(name, "pack") && files.contains(QLatin1String(kStandardInput)))
            return usage(QStringLiteral("стандартный ввод (-) читается только с --type ИМЯ"), command);
        if (is(name, "dump") && parser.isSet(json) && parser.isSet(textconv))
            return usage(QStringLiteral("--textconv и --json не используются вместе"), command);

        if (is(name, "dump"))
            return dump(files, parser.isSet(json), parser.isSet(textconv));
        if (is(name, "check"))
            return checkFiles(files, parser.isSet(strict));
        if (is(name, "diff"))
            return diffFiles(files.at(0), files.at(1));
        if (is(name, "pack"))
            return packFolder(files.at(0), parser.value(output), parser.isSet(modelId), parser.value(modelId),
                              command);
        return unpackFile(files.at(0), parser.value(output), command);
    }

private:
    // Every line on stderr is the program's.
    void say(const QString &message)
    {
        const QStringList lines = message.split(QLatin1Char('\n'));
        for (const QString &line : lines)
            err << "vmc: " << line << '\n';
    }

    int usage(const QString &message, const Command *command = nullptr)
    {
        say(QStringLiteral("%1\nИспользование: %2")
                .arg(message, command ? QString::fromUtf8(command->usage)
                                      : QStringLiteral("vmc КОМАНДА ... (vmc --help)")));
        return kUsage;
    }

    std::optional<ConfigFile> readQuietly(const QString &path, QString *error, Naming naming)
    {
        if (path != QLatin1String(kStandardInput))
            return readConfig(path, error, naming, typeName);
        // Standard input is read once, however often it is named.
        if (!standardInput) {
            QFile stdinFile;
            if (!input) {
#ifdef Q_OS_WIN
                _setmode(_fileno(stdin), _O_BINARY);
#endif
                if (!stdinFile.open(stdin, QIODevice::ReadOnly)) {
                    *error = QStringLiteral("не удалось прочитать стандартный ввод");
                    return std::nullopt;
                }
            }
            standardInput = (input ? input : &stdinFile)->readAll();
        }
        std::optional<ConfigFile> config = configOf(typeName, *standardInput);
        config->path = path;
        return config;
    }

    std::optional<ConfigFile> read(const QString &path, Naming naming = Naming::AsWindow)
    {
        QString error;
        std::optional<ConfigFile> config = readQuietly(path, &error, naming);
        if (!config)
            say(error);
        return config;
    }

    int dump(const QStringList &files, bool asJson, bool forGit)
    {
        int status = kSuccess;
        QJsonArray documents;
        for (const QString &path : files) {
            QString error;
            const std::optional<ConfigFile> config =
                readQuietly(path, &error, forGit ? Naming::GitTemporary : Naming::AsWindow);
            if (config && asJson)
                documents.append(dumpJson(*config));
            else if (config)
                out << dumpText(*config, forGit);
            else if (forGit)
                status = std::max(status, dumpUnreadable(path));
            else {
                say(error);
                status = kUsage;
            }
        }
        if (asJson && files.size() > 1)
            out << QString::fromUtf8(QJsonDocument(documents).toJson(QJsonDocument::Indented));
        else if (asJson && !documents.isEmpty())
            out << QString::fromUtf8(
                QJsonDocument(documents.first().toObject()).toJson(QJsonDocument::Indented));
        return status;
    }

    // A diff converter never fails: git would stop the whole diff. What cannot be read as a
    // configuration is shown as bytes, or said where the bytes would be.
    int dumpUnreadable(const QString &path)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            out << dumpBytes(file.readAll());
            return kSuccess;
        }
        const QString error = QStringLiteral("не удалось прочитать %1: %2").arg(path, file.errorString());
        out << QStringLiteral("Файл не прочитан: %1\n").arg(error);
        say(error);
        return kSuccess;
    }

    int checkFiles(const QStringList &files, bool strict)
    {
        int status = kSuccess;
        for (const QString &path : files) {
            const std::optional<ConfigFile> config = read(path);
            if (!config) {
                status = kUsage;
                continue;
            }
            for (const Finding &finding : check(*config)) {
                out << findingLine(path, finding) << '\n';
                if (status == kSuccess && (strict || finding.severity == Severity::Error))
                    status = kFound;
            }
        }
        return status;
    }

    int diffFiles(const QString &from, const QString &to)
    {
        const std::optional<ConfigFile> before = read(from);
        const std::optional<ConfigFile> after = read(to);
        if (!before || !after)
            return kUsage;
        bool shared = false;
        for (std::size_t s = 0; s < before->present.size(); ++s)
            shared = shared || (before->present[s] && after->present[s]);
        if (!shared) {
            say(QStringLiteral("у %1 и %2 нет общих вкладок").arg(from, to));
            return kUsage;
        }
        const QStringList lines = diff(*before, *after);
        for (const QString &line : lines)
            out << line << '\n';
        return lines.isEmpty() ? kSuccess : kFound;
    }

    int packFolder(const QString &folder, QString target, bool hasModelId, const QString &modelIdText,
                   const Command *command)
    {
        if (!QFileInfo(folder).isDir())
            return usage(QStringLiteral("%1 — не папка").arg(folder), command);
        if (hasModelId) {
            bool ok = false;
            const uint id = modelIdText.toUInt(&ok);
            if (!ok || id > 255)
                return usage(QStringLiteral("model id — число от 0 до 255"), command);
            const QString fileName = ModelIdFile::fileName(quint8(id));
            if (target.isEmpty() || QFileInfo(target).isDir())
                target = QDir(target.isEmpty() ? QStringLiteral(".") : target).filePath(fileName);
            else if (QFileInfo(target).fileName() != fileName)
                return usage(QStringLiteral("имя %1 не говорит model id %2: окно назвало бы файл %3")
                                 .arg(QFileInfo(target).fileName())
                                 .arg(id)
                                 .arg(fileName),
                             command);
        }
        if (target.isEmpty())
            return usage(QStringLiteral("не указан -o"), command);
        if (QFileInfo(target).isDir())
            return usage(
                QStringLiteral("%1 — папка: укажите --model-id или имя файла ModelId_N.vmc").arg(target),
                command);
        // A file the window would refuse to load is no model-id file.
        if (!ModelIdFile::isModelIdFileName(QFileInfo(target).fileName()))
            return usage(
                QStringLiteral("окно не загрузит %1 как model id файл: имя должно быть ModelId_N.vmc")
                    .arg(target),
                command);
        const std::optional<ConfigFile> config = read(folder);
        if (!config)
            return kUsage;
        QString error;
        const std::optional<QByteArray> file = pack(*config, &error);
        if (!file) {
            say(error);
            return kFound;
        }
        if (!writeFileAtomically(target, *file, &error)) {
            say(error);
            return kUsage;
        }
        return kSuccess;
    }

    int unpackFile(const QString &path, const QString &folder, const Command *command)
    {
        if (folder.isEmpty())
            return usage(QStringLiteral("не указан -o"), command);
        const std::optional<ConfigFile> config = read(path);
        if (!config)
            return kUsage;
        if (config->kind != FileKind::ModelId)
            return usage(QStringLiteral("%1 — не model id файл").arg(path), command);
        // The tabs of a damaged file are not what it was written with: made-up per-tab files
        // (an all-zero pin block for a lost pin section) would pass for a configuration.
        const QVector<Finding> damaged = damage(*config);
        if (!damaged.isEmpty()) {
            for (const Finding &finding : damaged)
                say(findingLine(path, finding));
            say(QStringLiteral("%1 повреждён: файлы вкладок не записаны").arg(path));
            return kFound;
        }
        QString error;
        if (!unpack(*config, folder, &error)) {
            say(error);
            return kUsage;
        }
        return kSuccess;
    }

    QTextStream &out;
    QTextStream &err;
    QIODevice *input;
    QString typeName;
    std::optional<QByteArray> standardInput;
};
} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice *input)
{
    return Cli(out, err, input).run(arguments);
}

} // namespace Vmc
