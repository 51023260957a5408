#include "fscommands.h"

#include "clikit.h"
#include "fsrunner.h"

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
     {"[--json]", "ls [--json]", "таблица файлов (имя, дата, размер, адрес, блок) и итоги", nullptr,
      nullptr}},
    {"df",
     Command::Totals,
     Operands::None,
     Option::Json,
     &makeTotalsRunner,
     {"[--json]", "df [--json]", "только итоги: число файлов, общая, занятая и свободная память", nullptr,
      nullptr}},
    {"put",
     Command::Put,
     Operands::LocalFiles,
     Option::Verbose,
     &makePutRunner,
     {"[-v] ФАЙЛ...", "put ФАЙЛ...", "передать обычные файлы, не больше %1 за раз", "передан", "не передан"}},
    {"get",
     Command::Get,
     Operands::BoardNames,
     Option::Verbose | Option::Output,
     &makeGetRunner,
     {"[-v] ИМЯ... [-o ПАПКА]", "get ИМЯ... [-o ПАПКА]", "получить файлы в ПАПКУ (по умолчанию — текущую)",
      "получен", "не получен"}},
    {"rm",
     Command::Remove,
     Operands::BoardNames,
     Option::Verbose,
     &makeRemoveRunner,
     {"[-v] ИМЯ...", "rm ИМЯ...", "удалить", "удалён", "не удалён"}},
    {"sync",
     Command::Sync,
     Operands::Folder,
     Option::Json | Option::Verbose | Option::Plan,
     &makeSyncRunner,
     {"[--delete] [--dry-run] [--checksum] [--no-state] [--json] [-v] ПАПКА", "sync ПАПКА",
      "привести файлы платы к обычным файлам ПАПКИ (без вложенных папок)", nullptr, nullptr}},
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
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" и ") + last;
}

QString commandsUsage()
{
    QStringList alternatives;
    const char *previous = nullptr;
    for (const CommandRow &row : kCommands) {
        const QString usage = QString::fromUtf8(row.texts.usage);
        if (previous && usage == QString::fromUtf8(previous)) {
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
        width = qMax(width, QString::fromUtf8(row.texts.synopsis).size());
    QString lines;
    for (const CommandRow &row : kCommands) {
        lines += QStringLiteral("  ") + QString::fromUtf8(row.texts.synopsis).leftJustified(width) +
                 QStringLiteral("  ") + QString::fromUtf8(row.texts.about) + QLatin1Char('\n');
    }
    return lines;
}

} // namespace fsclient
