#include "filetable.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <QLocale>

namespace FileTable {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("FileTable", text);
}

QString nameFromField(const char (&field)[PcbProtocol::kNameFieldSize])
{
    return QString::fromLatin1(field, static_cast<int>(qstrnlen(field, sizeof field)));
}

template <typename Entry> Row rowOf(const Entry &entry)
{
    Row row;
    row.name = nameFromField(entry.name);
    row.modified = QDateTime::fromSecsSinceEpoch(entry.modifyTime, Qt::LocalTime);
    row.size = entry.size;
    row.address = entry.address;
    row.block = entry.blockNumber;
    return row;
}

} // namespace

Row row(const FstEntry &entry)
{
    return rowOf(entry);
}

Row row(const FstEntry_big &entry)
{
    return rowOf(entry);
}

QString sizeText(quint32 size)
{
    return QString::number(size) + QStringLiteral(" Байт");
}

QString dateText(const QDateTime &dateTime)
{
    // What the item views print for a date-time in the display role.
    return QLocale().toString(dateTime, QLocale::ShortFormat);
}

QStringList columnTitles()
{
    return {tr("Имя"), tr("Дата изменения"), tr("Размер"), tr("Адрес в памяти"), tr("Номер блока")};
}

Totals totals(int count, quint32 allMemory, quint32 memoryUsed)
{
    return {count, allMemory, memoryUsed, static_cast<quint32>(allMemory - memoryUsed)};
}

StatusTexts statusTexts(const Totals &totals)
{
    return {tr("Количество файлов:  %1  ").arg(totals.count),
            tr("Общий объем памяти:  %1 Байт  ").arg(totals.total), tr("Занято:  %1 Байт  ").arg(totals.used),
            tr("Свободно:  %1 Байт  ").arg(totals.free)};
}

} // namespace FileTable
