#include "fscommands.h"

#include "clikit.h"
#include "fsrunner.h"
#include "fstexts.h"

#include <QStringList>

namespace fsclient {

namespace {

using Option = CommandOption;

const CommandRow kCommands[] = {
    {"ls",
     Command::List,
     Operands::None,
     Option::Json,
     &makeListRunner,
     {"[--json]", "ls [--json]",
      QT_TRANSLATE_NOOP("VelmoraFs", "таблица файлов (имя, дата, размер, адрес, блок) и итоги"), nullptr,
      nullptr}},
    {"df",
     Command::Totals,
     Operands::None,
     Option::Json,
     &makeTotalsRunner,
     {"[--json]", "df [--json]",
      QT_TRANSLATE_NOOP("VelmoraFs", "только итоги: число файлов, общая, занятая и свободная память"),
      nullptr, nullptr}},
    {"put",
     Command::Put,
     Operands::LocalFiles,
     Option::Verbose,
     &makePutRunner,
     {QT_TRANSLATE_NOOP("VelmoraFs", "[-v] ФАЙЛ..."), QT_TRANSLATE_NOOP("VelmoraFs", "put ФАЙЛ..."),
      QT_TRANSLATE_NOOP("VelmoraFs", "передать обычные файлы, не больше %1 за раз"),
      QT_TRANSLATE_NOOP("VelmoraFs", "передан"), QT_TRANSLATE_NOOP("VelmoraFs", "не передан")}},
    {"get",
     Command::Get,
     Operands::BoardNames,
     Option::Verbose | Option::Output,
     &makeGetRunner,
     {QT_TRANSLATE_NOOP("VelmoraFs", "[-v] ИМЯ... [-o ПАПКА]"),
      QT_TRANSLATE_NOOP("VelmoraFs", "get ИМЯ... [-o ПАПКА]"),
      QT_TRANSLATE_NOOP("VelmoraFs", "получить файлы в ПАПКУ (по умолчанию — текущую)"),
      QT_TRANSLATE_NOOP("VelmoraFs", "получен"), QT_TRANSLATE_NOOP("VelmoraFs", "не получен")}},
    {"rm",
     Command::Remove,
     Operands::BoardNames,
     Option::Verbose,
     &makeRemoveRunner,
     {QT_TRANSLATE_NOOP("VelmoraFs", "[-v] ИМЯ..."), QT_TRANSLATE_NOOP("VelmoraFs", "rm ИМЯ..."),
      QT_TRANSLATE_NOOP("VelmoraFs", "удалить"), QT_TRANSLATE_NOOP("VelmoraFs", "удалён"),
      QT_TRANSLATE_NOOP("VelmoraFs", "не удалён")}},
    {"sync",
     Command::Sync,
     Operands::Folder,
     Option::Json | Option::Verbose | Option::Plan,
     &makeSyncRunner,
     {QT_TRANSLATE_NOOP("VelmoraFs", "[--delete] [--dry-run] [--checksum] [--no-state] [--json] [-v] ПАПКА"),
      QT_TRANSLATE_NOOP("VelmoraFs", "sync ПАПКА"),
      QT_TRANSLATE_NOOP("VelmoraFs", "привести файлы платы к обычным файлам ПАПКИ (без вложенных папок)"),
      nullptr, nullptr},
     true},
};

} // namespace

const CommandRow *findCommand(const QString &name)
{
    return clikit::findCommand(kCommands, name);
}

const CommandRow &commandRow(Command command)
{
    for (const CommandRow &row : kCommands) {
        if (row.command == command)
            return row;
    }
    // Every Command has its row; the first stands in should one ever lack it.
    return kCommands[0];
}

QString commandsWith(CommandOption option)
{
    QStringList names;
    for (const CommandRow &row : kCommands) {
        if (row.takes.testFlag(option))
            names << QString::fromLatin1(row.name);
    }
    const QString last = names.takeLast();
    return names.isEmpty()
               ? last
               : Texts::tr("%1 и %2", "the last two of a list").arg(names.join(QStringLiteral(", ")), last);
}

QString commandsUsage()
{
    QStringList alternatives;
    const char *previous = nullptr;
    for (const CommandRow &row : kCommands) {
        const QString usage = Texts::tr(row.texts.usage);
        if (previous && usage == Texts::tr(previous)) {
            QString &last = alternatives.last();
            last.insert(last.size() - usage.size() - 1, QLatin1Char('|') + QLatin1String(row.name));
        } else {
            alternatives << QLatin1String(row.name) + QLatin1Char(' ') + usage;
        }
        previous = row.texts.usage;
    }
    return alternatives.join(QStringLiteral(" | "));
}

QString commandsHelp()
{
    int width = 0;
    for (const CommandRow &row : kCommands)
        width = qMax(width, Texts::tr(row.texts.synopsis).size());
    QString lines;
    for (const CommandRow &row : kCommands) {
        lines += QStringLiteral("  ") + Texts::tr(row.texts.synopsis).leftJustified(width) +
                 QStringLiteral("  ") + Texts::tr(row.texts.about) + QLatin1Char('\n');
    }
    return lines;
}

} // namespace fsclient
