#include "vmccli.h"

#include "clikit.h"
#include "vmccheck.h"
#include "vmcdiff.h"
#include "vmcdump.h"
#include "vmcpack.h"
#include "vmcreport.h"
#include "vmctexts.h"

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
constexpr int kSuccess = clikit::kSuccess;
constexpr int kFound = clikit::kFailure; // also: refused
constexpr int kUsage = clikit::kUsage;   // also: a file not read or not written

const char *const kStandardInput = "-";

const char *const kOverview = QT_TRANSLATE_NOOP(
    "Vmc", "Использование: vmc КОМАНДА [ПАРАМЕТРЫ] ...\n"
           "Файлы конфигураций платы (.vmc): файлы вкладок и model id файлы.\n"
           "\n"
           "Команды:\n"
           "  dump [--json] [--textconv] ФАЙЛ...  показать файлы в читаемом виде\n"
           "  check [--strict] ФАЙЛ...            найти то, что окно прочтёт не так или потеряет\n"
           "  diff A B                            различия двух конфигураций (файлов или папок)\n"
           "  pack ПАПКА -o ФАЙЛ [--model-id N]   собрать файлы вкладок папки в model id файл\n"
           "  unpack ФАЙЛ -o ПАПКА                разложить model id файл на файлы вкладок\n"
           "  report ФАЙЛ -o ОТЧЁТ [--csv CSV]    отчёт о конфигурации для людей и печати: HTML, CSV\n"
           "\n"
           "Файл читается по своему имени, как его читает окно. --type ИМЯ (dump, check, diff, unpack,\n"
           "report) читает каждый файл команды под другим именем: как файл вкладки\n"
           "(GpioPortsSettings.vmc и другие) или как model id файл (ModelId_N.vmc). С --type вместо\n"
           "файла можно указать - (стандартный ввод).\n"
           "\n"
           "Подробнее о команде: vmc КОМАНДА --help. Версия: vmc --version.\n"
           "\n"
           "Код выхода:\n"
           "  0  всё в порядке: ошибок нет (check), конфигурации равны (diff), файлы записаны\n"
           "  1  найдены ошибки (check; с --strict и предупреждения; report: отчёт записан),\n"
           "     конфигурации различаются (diff), в записи отказано (pack: слишком большая\n"
           "     конфигурация; unpack: файл повреждён)\n"
           "  2  ошибка в параметрах, файл не прочитан или не записан\n");

const char *const kTypeHelp = QT_TRANSLATE_NOOP(
    "Vmc", "  --type ИМЯ   читать файлы под этим именем: файла вкладки или ModelId_N.vmc; тогда\n"
           "               вместо файла можно указать - (стандартный ввод)\n");

class Cli;

// A row of vmc's command table: what the command's --help and usage errors say, and its runner.
struct Command
{
    const char *name;
    const char *usage;
    const char *help;
    const char *options; // besides --type
    int minimumArguments;
    int maximumArguments; // -1: any number
    bool readsTyped;      // takes --type, and with it - for standard input
    int (Cli::*run)(const Command &command, const QStringList &arguments);
};

class Cli
{
public:
    Cli(QTextStream &out, QTextStream &err, QIODevice *input)
        : tool(QStringLiteral("vmc"), out, err), input(input)
    {
        tool.setUsage(Texts::tr("Использование: vmc КОМАНДА ... (vmc --help)"), false);
        tool.setHelp(Texts::tr(kOverview));
    }

    // Arguments without the program's name.
    int run(const QStringList &arguments);

    int dumpCommand(const Command &command, const QStringList &arguments)
    {
        const QCommandLineOption json(QStringLiteral("json"));
        const QCommandLineOption textconv(QStringLiteral("textconv"));
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {json, textconv}, &parser))
            return *status;
        if (parser.isSet(json) && parser.isSet(textconv))
            return usage(Texts::tr("--textconv и --json не используются вместе"), command);
        return dump(parser.positionalArguments(), parser.isSet(json), parser.isSet(textconv));
    }

    int checkCommand(const Command &command, const QStringList &arguments)
    {
        const QCommandLineOption strict(QStringLiteral("strict"));
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {strict}, &parser))
            return *status;
        return checkFiles(parser.positionalArguments(), parser.isSet(strict));
    }

    int diffCommand(const Command &command, const QStringList &arguments)
    {
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {}, &parser))
            return *status;
        const QStringList files = parser.positionalArguments();
        return diffFiles(files.at(0), files.at(1));
    }

    int packCommand(const Command &command, const QStringList &arguments)
    {
        const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("path"));
        const QCommandLineOption modelId(QStringLiteral("model-id"), QString(), QStringLiteral("n"));
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {output, modelId}, &parser))
            return *status;
        return packFolder(parser.positionalArguments().at(0), parser.value(output), parser.isSet(modelId),
                          parser.value(modelId), command);
    }

    int unpackCommand(const Command &command, const QStringList &arguments)
    {
        const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("path"));
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {output}, &parser))
            return *status;
        return unpackFile(parser.positionalArguments().at(0), parser.value(output), command);
    }

    int reportCommand(const Command &command, const QStringList &arguments)
    {
        const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("path"));
        const QCommandLineOption pins(QStringLiteral("csv"), QString(), QStringLiteral("path"));
        QCommandLineParser parser;
        if (const std::optional<int> status = parse(command, arguments, {output, pins}, &parser))
            return *status;
        return reportFile(parser.positionalArguments().at(0), parser.value(output), parser.value(pins),
                          command);
    }

private:
    // What every command's line has alike: --help, the number of files, --type and standard input.
    // Returns the exit status where the command ends here.
    std::optional<int> parse(const Command &command, const QStringList &arguments,
                             const QList<QCommandLineOption> &options, QCommandLineParser *parser)
    {
        const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
        const QCommandLineOption type(QStringLiteral("type"), QString(), QStringLiteral("name"));
        parser->addOption(help);
        parser->addOptions(options);
        if (command.readsTyped)
            parser->addOption(type);
        // The parser takes the command's name for the program's.
        if (!parser->parse(QStringList{QString::fromLatin1(command.name)} + arguments))
            return usage(clikit::parserErrorText(*parser), command);
        if (parser->isSet(help)) {
            tool.out().write(Texts::tr("Использование: %1\n\n%2\nПараметры:\n%3%4")
                                 .arg(Texts::tr(command.usage), Texts::tr(command.help),
                                      Texts::tr(command.options),
                                      command.readsTyped ? Texts::tr(kTypeHelp) : QString()));
            return kSuccess;
        }
        const QStringList files = parser->positionalArguments();
        if (files.size() < command.minimumArguments ||
            (command.maximumArguments >= 0 && files.size() > command.maximumArguments))
            return usage(Texts::tr("не то число файлов"), command);
        if (!command.readsTyped)
            return std::nullopt;
        typeName = parser->value(type);
        if (!typeName.isEmpty() && !isConfigFileName(typeName))
            return usage(Texts::tr("--type %1: не имя файла вкладки и не ModelId_N.vmc").arg(typeName),
                         command);
        if (typeName.isEmpty() && files.contains(QLatin1String(kStandardInput)))
            return usage(Texts::tr("стандартный ввод (-) читается только с --type ИМЯ"), command);
        return std::nullopt;
    }

    void say(const QString &message) { tool.say(message); }

    int usage(const QString &message, const Command &command)
    {
        return tool.usageError(message, Texts::tr("Использование: %1").arg(Texts::tr(command.usage)));
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
                    *error = Texts::tr("не удалось прочитать стандартный ввод");
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
                tool.out().write(dumpText(*config, forGit));
            else if (forGit)
                status = std::max(status, dumpUnreadable(path));
            else {
                say(error);
                status = kUsage;
            }
        }
        if (asJson && files.size() > 1)
            tool.out().write(QString::fromUtf8(QJsonDocument(documents).toJson(QJsonDocument::Indented)));
        else if (asJson && !documents.isEmpty())
            tool.out().write(QString::fromUtf8(
                QJsonDocument(documents.first().toObject()).toJson(QJsonDocument::Indented)));
        return status;
    }

    // A diff converter never fails: git would stop the whole diff. What cannot be read as a
    // configuration is shown as bytes, or said where the bytes would be.
    int dumpUnreadable(const QString &path)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            tool.out().write(dumpBytes(file.readAll()));
            return kSuccess;
        }
        const QString error = Texts::tr("не удалось прочитать %1: %2").arg(path, file.errorString());
        tool.out().write(Texts::tr("Файл не прочитан: %1\n").arg(error));
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
                tool.out().writeLines(findingLine(path, finding));
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
            say(Texts::tr("у %1 и %2 нет общих вкладок").arg(from, to));
            return kUsage;
        }
        const QStringList lines = diff(*before, *after);
        for (const QString &line : lines)
            tool.out().writeLines(line);
        return lines.isEmpty() ? kSuccess : kFound;
    }

    int packFolder(const QString &folder, QString target, bool hasModelId, const QString &modelIdText,
                   const Command &command)
    {
        if (!QFileInfo(folder).isDir())
            return usage(Texts::tr("%1 — не папка").arg(folder), command);
        if (hasModelId) {
            bool ok = false;
            const uint id = modelIdText.toUInt(&ok);
            if (!ok || id > 255)
                return usage(Texts::tr("model id — число от 0 до 255"), command);
            const QString fileName = ModelIdFile::fileName(quint8(id));
            if (target.isEmpty() || QFileInfo(target).isDir())
                target = QDir(target.isEmpty() ? QStringLiteral(".") : target).filePath(fileName);
            else if (QFileInfo(target).fileName() != fileName)
                return usage(Texts::tr("имя %1 не говорит model id %2: окно назвало бы файл %3")
                                 .arg(QFileInfo(target).fileName())
                                 .arg(id)
                                 .arg(fileName),
                             command);
        }
        if (target.isEmpty())
            return usage(Texts::tr("не указан -o"), command);
        if (QFileInfo(target).isDir())
            return usage(Texts::tr("%1 — папка: укажите --model-id или имя файла ModelId_N.vmc").arg(target),
                         command);
        // A file the window would refuse to load is no model-id file.
        if (!ModelIdFile::isModelIdFileName(QFileInfo(target).fileName()))
            return usage(
                Texts::tr("окно не загрузит %1 как model id файл: имя должно быть ModelId_N.vmc").arg(target),
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

    int unpackFile(const QString &path, const QString &folder, const Command &command)
    {
        if (folder.isEmpty())
            return usage(Texts::tr("не указан -o"), command);
        const std::optional<ConfigFile> config = read(path);
        if (!config)
            return kUsage;
        if (config->kind != FileKind::ModelId)
            return usage(Texts::tr("%1 — не model id файл").arg(path), command);
        // The tabs of a damaged file are not what it was written with: made-up per-tab files
        // (an all-zero pin block for a lost pin section) would pass for a configuration.
        const QVector<Finding> damaged = damage(*config);
        if (!damaged.isEmpty()) {
            for (const Finding &finding : damaged)
                say(findingLine(path, finding));
            say(Texts::tr("%1 повреждён: файлы вкладок не записаны").arg(path));
            return kFound;
        }
        QString error;
        if (!unpack(*config, folder, &error)) {
            say(error);
            return kUsage;
        }
        return kSuccess;
    }

    // Refuses an output that would overwrite the source or the other output.
    std::optional<int> checkTargets(const QString &source, const QStringList &targets, const Command &command)
    {
        const auto same = [](const QString &a, const QString &b) {
            return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() ||
                   (QFileInfo::exists(a) &&
                    QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath());
        };
        for (int t = 0; t < targets.size(); ++t) {
            if (source != QLatin1String(kStandardInput) && same(targets.at(t), source))
                return usage(Texts::tr("%1 — источник отчёта: отчёт его не заменит").arg(targets.at(t)),
                             command);
            if (t > 0 && same(targets.at(t), targets.at(0)))
                return usage(Texts::tr("-o и --csv называют один файл %1").arg(targets.at(t)), command);
        }
        return std::nullopt;
    }

    int reportFile(const QString &path, const QString &target, const QString &pinsTarget,
                   const Command &command)
    {
        if (target.isEmpty())
            return usage(Texts::tr("не указан -o"), command);
        QStringList targets{target};
        if (!pinsTarget.isEmpty())
            targets << pinsTarget;
        if (const std::optional<int> status = checkTargets(path, targets, command))
            return *status;
        QString error;
        const std::optional<QDateTime> generated = reportTime(&error);
        if (!generated)
            return usage(error, command);
        const std::optional<ConfigFile> config = read(path);
        if (!config)
            return kUsage;
        Report::Meta meta;
        meta.tool = clikit::versionText(tool.name());
        meta.generated = *generated;
        if (config->kind == FileKind::ModelId)
            meta.modelId = config->modelId;
        meta.sources = sourcesOf(*config);
        if (!writeFileAtomically(target, Report::html(*config, meta), &error) ||
            (!pinsTarget.isEmpty() && !writeFileAtomically(pinsTarget, Report::csv(*config), &error))) {
            say(error);
            return kUsage;
        }
        // A damaged file is reported as vmc check would fail it.
        const QVector<Finding> findings = check(*config);
        const auto errors = std::count_if(findings.cbegin(), findings.cend(), [](const Finding &finding) {
            return finding.severity == Severity::Error;
        });
        if (errors == 0)
            return kSuccess;
        say(Texts::tr("%1: ошибок: %2, предупреждений: %3; они перечислены в отчёте %4")
                .arg(path, QString::number(errors), QString::number(findings.size() - errors), target));
        return kFound;
    }

    clikit::Tool tool;
    QIODevice *input;
    QString typeName;
    std::optional<QByteArray> standardInput;
};

// The commands, each with its runner.
const Command kCommands[] = {
    {"dump", QT_TRANSLATE_NOOP("Vmc", "vmc dump [--json] [--textconv] [--type ИМЯ] ФАЙЛ..."),
     QT_TRANSLATE_NOOP(
         "Vmc", "Показывает файлы вкладок, model id файлы и папки файлов вкладок в читаемом виде: заголовок\n"
                "model id файла, выводы по разъёмам, записи регистров, каналов и привязок, маркеры конца и\n"
                "байты, которые окно не читает (в шестнадцатеричном виде). Вывод устойчив и подходит для\n"
                "git diff (textconv).\n"),
     QT_TRANSLATE_NOOP(
         "Vmc", "  --json       документ JSON; для нескольких файлов — один массив JSON\n"
                "  --textconv   для git diff: принимает временные копии git (XXXXXX_ИМЯ), называет файл\n"
                "               только по имени и никогда не завершается ошибкой: файл, который не\n"
                "               читается как конфигурация (например, backup.vmc), показывается\n"
                "               шестнадцатеричным дампом (смещение, 16 байт в строке)\n"),
     1, -1, true, &Cli::dumpCommand},
    {"check", QT_TRANSLATE_NOOP("Vmc", "vmc check [--strict] [--type ИМЯ] ФАЙЛ..."),
     QT_TRANSLATE_NOOP(
         "Vmc", "Ищет то, что окно прочтёт иначе или потеряет. Одна строка на находку:\n"
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
                "прочитан.\n"),
     QT_TRANSLATE_NOOP("Vmc", "  --strict     код выхода 1 и при одних предупреждениях\n"), 1, -1, true,
     &Cli::checkCommand},
    {"diff", QT_TRANSLATE_NOOP("Vmc", "vmc diff [--type ИМЯ] A B"),
     QT_TRANSLATE_NOOP(
         "Vmc",
         "Различия двух конфигураций: двух model id файлов, двух файлов вкладок или двух папок файлов\n"
         "вкладок. По строке на вывод, запись регистра, канал и привязку. Код выхода 1, если различаются.\n"),
     "", 2, 2, true, &Cli::diffCommand},
    {"pack", QT_TRANSLATE_NOOP("Vmc", "vmc pack ПАПКА -o ФАЙЛ [--model-id N]"),
     QT_TRANSLATE_NOOP(
         "Vmc", "Собирает файлы вкладок папки в один model id файл, как его записало бы окно (отсутствующие\n"
                "файлы — пустые вкладки). Файл, который окно не загрузило бы как model id файл (имя не\n"
                "ModelId_N.vmc), не записывается.\n"),
     QT_TRANSLATE_NOOP("Vmc", "  -o ФАЙЛ         куда записать; с --model-id может быть папкой\n"
                              "  --model-id N    model id 0..255: файл называется ModelId_N.vmc\n"),
     1, 1, false, &Cli::packCommand},
    {"unpack", QT_TRANSLATE_NOOP("Vmc", "vmc unpack [--type ИМЯ] ФАЙЛ -o ПАПКА"),
     QT_TRANSLATE_NOOP(
         "Vmc",
         "Раскладывает model id файл на десять файлов вкладок, как их записало бы окно. Повреждённый\n"
         "файл не раскладывается: vmc называет повреждения и не пишет ни одного файла (код выхода 1).\n"),
     QT_TRANSLATE_NOOP("Vmc", "  -o ПАПКА   куда записать файлы\n"), 1, 1, true, &Cli::unpackCommand},
    {"report", QT_TRANSLATE_NOOP("Vmc", "vmc report [--type ИМЯ] ФАЙЛ -o ОТЧЁТ.html [--csv ВЫВОДЫ.csv]"),
     QT_TRANSLATE_NOOP(
         "Vmc",
         "Отчёт о конфигурации для людей и печати (A4): один файл HTML без скриптов и внешних\n"
         "ресурсов. В нём model id, файлы источника с размерами и SHA-256, программа и дата; разъёмы\n"
         "X6–X9, нарисованные как есть (2 × 10 позиций), и выводы вне разъёмов: у каждого вывода\n"
         "позиция, порт и функция, цвет, узор и буквы группы функций; таблица каждой непустой\n"
         "вкладки и находки проверки, как их пишет vmc check, со ссылками на выводы и строки.\n"
         "ФАЙЛ — model id файл, файл вкладки или папка файлов вкладок.\n"
         "--csv добавляет таблицу выводов: строка на вывод (X6–X9 по позициям, затем выводы вне\n"
         "разъёмов по номерам): разъём, позиция, вывод, порт, код и функция, индекс, вкладки, которые\n"
         "используют вывод. UTF-8, запятые, кавычки по RFC 4180, строки оканчиваются CRLF.\n"
         "Дата отчёта — текущая или, если задана переменная SOURCE_DATE_EPOCH, её время (UTC):\n"
         "тогда один и тот же файл даёт один и тот же отчёт.\n"
         "Код выхода: 0 — отчёт записан, 1 — записан, но проверка нашла ошибки (файл повреждён или\n"
         "окно прочтёт его иначе), 2 — ошибка в параметрах, файл не прочитан или отчёт не записан.\n"),
     QT_TRANSLATE_NOOP("Vmc", "  -o ОТЧЁТ     куда записать отчёт HTML\n"
                              "  --csv ФАЙЛ   куда записать таблицу выводов CSV\n"),
     1, 1, true, &Cli::reportCommand},
};

int Cli::run(const QStringList &arguments)
{
    return tool.dispatch(kCommands, clikit::Invocation::leading(arguments),
                         [this](const Command &command, const QStringList &rest) {
                             return (this->*command.run)(command, rest);
                         });
}
} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice *input)
{
    return Cli(out, err, input).run(arguments.mid(1));
}

} // namespace Vmc
