#include "filetable.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <QLocale>

namespace FileTable {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FileTable)
};

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
    return Texts::tr("%1 Байт").arg(size);
}

QString dateText(const QDateTime &dateTime)
{
    // What the item views print for a date-time in the display role.
    return QLocale().toString(dateTime, QLocale::ShortFormat);
}

QStringList columnTitles()
{
    return {Texts::tr("Имя"), Texts::tr("Дата изменения"), Texts::tr("Размер"), Texts::tr("Адрес в памяти"),
            Texts::tr("Номер блока")};
}

Totals totals(int count, quint32 allMemory, quint32 memoryUsed)
{
    return {count, allMemory, memoryUsed, static_cast<quint32>(allMemory - memoryUsed)};
}

StatusTexts statusTexts(const Totals &totals)
{
    return {Texts::tr("Количество файлов:  %1  ").arg(totals.count),
            Texts::tr("Общий объем памяти:  %1 Байт  ").arg(totals.total),
            Texts::tr("Занято:  %1 Байт  ").arg(totals.used),
            Texts::tr("Свободно:  %1 Байт  ").arg(totals.free)};
}

} // namespace FileTable
