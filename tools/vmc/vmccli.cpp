#include "vmccli.h"

#include "vmccheck.h"
#include "vmcdiff.h"
#include "vmcdump.h"
#include "vmcpack.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>
#include <functional>

namespace Vmc {

namespace {
constexpr int kSuccess = 0;
constexpr int kFound = 1;
constexpr int kUsage = 2;

const char *const kOverview =
    "Использование: vmc КОМАНДА [ПАРАМЕТРЫ] ...\n"
    "Файлы конфигураций платы (.vmc): файлы вкладок и model id файлы.\n"
    "\n"
    "Команды:\n"
    "  dump [--json] ФАЙЛ...             показать файлы в читаемом виде\n"
    "  check ФАЙЛ...                     найти то, что окно прочтёт не так или потеряет\n"
    "  diff A B                          различия двух конфигураций (файлов или папок)\n"
    "  pack ПАПКА -o ФАЙЛ [--model-id N] собрать файлы вкладок папки в model id файл\n"
    "  unpack ФАЙЛ -o ПАПКА              разложить model id файл на файлы вкладок\n"
    "\n"
    "Подробнее о команде: vmc КОМАНДА --help\n"
    "Код выхода: 0 — всё в порядке (нет находок, нет различий), 1 — есть находки или различия,\n"
    "2 — ошибка в параметрах или при чтении.\n";

struct Command
{
    const char *name;
    const char *usage;
    const char *help;
    int minimumArguments;
    int maximumArguments; // -1: any number
};

const Command kCommands[] = {
    {"dump", "vmc dump [--json] [--textconv] ФАЙЛ...",
     "Показывает файлы вкладок, model id файлы и папки файлов вкладок в читаемом виде: заголовок\n"
     "model id файла, выводы по разъёмам, записи регистров, каналов и привязок, маркеры конца и\n"
     "байты, которые окно не читает. Вывод устойчив и подходит для git diff (textconv).\n"
     "\n"
     "  --json       по одному документу JSON на файл\n"
     "  --textconv   для git diff: принимает временные копии git (XXXXXX_ИМЯ) и называет файл\n"
     "               только по имени\n",
     1, -1},
    {"check", "vmc check ФАЙЛ...",
     "Ищет то, что окно прочтёт иначе или потеряет: размеры блоков, лишние байты, записи после\n"
     "маркера конца, записи заголовка, коды, которых нет в контексте, линии цепочек SPI, строки TI\n"
     "ADC, PWM и привязок, не совпадающие с настройками выводов и регистров. Одна строка на находку:\n"
     "ФАЙЛ: МЕСТО: ТЕКСТ. Код выхода 1, если что-то найдено.\n",
     1, -1},
    {"diff", "vmc diff A B",
     "Различия двух конфигураций: двух model id файлов, двух файлов вкладок или двух папок файлов\n"
     "вкладок. По строке на вывод, запись регистра, канал и привязку. Код выхода 1, если различаются.\n",
     2, 2},
    {"pack", "vmc pack ПАПКА -o ФАЙЛ [--model-id N]",
     "Собирает файлы вкладок папки в один model id файл, как его записало бы окно (отсутствующие\n"
     "файлы — пустые вкладки).\n"
     "\n"
     "  -o ФАЙЛ         куда записать; с --model-id может быть папкой\n"
     "  --model-id N    model id 0..255: файл называется ModelId_N.vmc\n",
     1, 1},
    {"unpack", "vmc unpack ФАЙЛ -o ПАПКА",
     "Раскладывает model id файл на десять файлов вкладок, как их записало бы окно.\n"
     "\n"
     "  -o ПАПКА   куда записать файлы\n",
     1, 1},
};

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

class Cli
{
public:
    Cli(QTextStream &out, QTextStream &err) : out(out), err(err) {}

    int run(const QStringList &arguments)
    {
        const QString name = arguments.value(1);
        if (name.isEmpty() || name == QLatin1String("--help") || name == QLatin1String("-h")) {
            out << QString::fromUtf8(kOverview);
            return name.isEmpty() ? kUsage : kSuccess;
        }
        const Command *command = findCommand(name);
        if (!command)
            return usage(QStringLiteral("неизвестная команда «%1»").arg(name));

        QCommandLineParser parser;
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
        const QCommandLineOption json(QStringLiteral("json"), QString());
        const QCommandLineOption textconv(QStringLiteral("textconv"), QString());
        const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("path"));
        const QCommandLineOption modelId(QStringLiteral("model-id"), QString(), QStringLiteral("n"));
        parser.addOption(help);
        if (name == QLatin1String("dump")) {
            parser.addOption(json);
            parser.addOption(textconv);
        }
        if (name == QLatin1String("pack") || name == QLatin1String("unpack"))
            parser.addOption(output);
        if (name == QLatin1String("pack"))
            parser.addOption(modelId);
        if (!parser.parse(arguments.mid(1))) {
            const QStringList unknown = parser.unknownOptionNames();
            return usage(unknown.isEmpty() ? QStringLiteral("у параметра нет значения")
                                           : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first()),
                         command);
        }
        if (parser.isSet(help)) {
            out << QStringLiteral("Использование: %1\n\n%2")
                       .arg(QString::fromUtf8(command->usage), QString::fromUtf8(command->help));
            return kSuccess;
        }
        // The parser takes the command's name for the program's.
        const QStringList files = parser.positionalArguments();
        if (files.size() < command->minimumArguments ||
            (command->maximumArguments >= 0 && files.size() > command->maximumArguments))
            return usage(QStringLiteral("не то число файлов"), command);

        if (name == QLatin1String("dump"))
            return dump(files, parser.isSet(json), parser.isSet(textconv));
        if (name == QLatin1String("check"))
            return checkFiles(files);
        if (name == QLatin1String("diff"))
            return diffFiles(files.at(0), files.at(1));
        if (name == QLatin1String("pack"))
            return packFolder(files.at(0), parser.value(output), parser.isSet(modelId), parser.value(modelId),
                              command);
        return unpackFile(files.at(0), parser.value(output), command);
    }

private:
    int usage(const QString &message, const Command *command = nullptr)
    {
        err << "vmc: " << message << '\n';
        err << QStringLiteral("Использование: %1\n")
                   .arg(command ? QString::fromUtf8(command->usage)
                                : QStringLiteral("vmc КОМАНДА ... (vmc --help)"));
        return kUsage;
    }

    std::optional<ConfigFile> read(const QString &path, Naming naming = Naming::AsWindow)
    {
        QString error;
        std::optional<ConfigFile> config = readConfig(path, &error, naming);
        if (!config)
            err << "vmc: " << error << '\n';
        return config;
    }

    int dump(const QStringList &files, bool asJson, bool forGit)
    {
        int status = kSuccess;
        for (const QString &path : files) {
            const std::optional<ConfigFile> config =
                read(path, forGit ? Naming::GitTemporary : Naming::AsWindow);
            if (!config) {
                status = kUsage;
                continue;
            }
            if (asJson)
                out << QString::fromUtf8(QJsonDocument(dumpJson(*config)).toJson(QJsonDocument::Indented));
            else
                out << dumpText(*config, forGit);
        }
        return status;
    }

    int checkFiles(const QStringList &files)
    {
        int status = kSuccess;
        for (const QString &path : files) {
            const std::optional<ConfigFile> config = read(path);
            if (!config) {
                status = kUsage;
                continue;
            }
            const QVector<Finding> findings = check(*config);
            for (const Finding &finding : findings)
                out << path << ": " << finding.place << ": " << finding.text << '\n';
            if (!findings.isEmpty() && status == kSuccess)
                status = kFound;
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
            err << QStringLiteral("vmc: у %1 и %2 нет общих вкладок\n").arg(from, to);
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
        const std::optional<ConfigFile> config = read(folder);
        if (!config)
            return kUsage;
        QString error;
        const std::optional<QByteArray> file = pack(*config, &error);
        if (!file || !writeFileAtomically(target, *file, &error)) {
            err << "vmc: " << error << '\n';
            return kFound;
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
        QString error;
        if (!unpack(*config, folder, &error)) {
            err << "vmc: " << error << '\n';
            return kFound;
        }
        return kSuccess;
    }

    QTextStream &out;
    QTextStream &err;
};
} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    return Cli(out, err).run(arguments);
}

} // namespace Vmc
