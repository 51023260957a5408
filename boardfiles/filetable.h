#pragma once

#include "pcbtypes.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The board's file table as the window shows it: one row per file, its size text and the four
// memory figures. The command-line client shows the same rows and figures.
namespace FileTable {

struct Row
{
    QString name;       // Latin-1 up to the first zero byte, never past the name field
    QDateTime modified; // in local time
    quint32 size = 0;
    quint32 address = 0;
    quint16 block = 0;
};

Row row(const FstEntry &entry);
Row row(const FstEntry_big &entry);

template <typename Entry> QList<Row> rows(const QList<Entry> &entries)
{
    QList<Row> result;
    result.reserve(entries.size());
    for (const Entry &entry : entries)
        result.append(row(entry));
    return result;
}

// "512 Байт"
QString sizeText(quint32 size);

// A date as the window's list shows it: the locale's short date-time format.
QString dateText(const QDateTime &dateTime);

// The titles of the list's columns: name, date, size, address, block.
QStringList columnTitles();

struct Totals
{
    int count = 0;
    quint32 total = 0;
    quint32 used = 0;
    quint32 free = 0; // total minus used as an unsigned 32-bit number, as the board's figures are
};

Totals totals(int count, quint32 allMemory, quint32 memoryUsed);

// The status texts of the window, each with the padding it has in the status bar.
struct StatusTexts
{
    QString count;
    QString total;
    QString used;
    QString free;
};

StatusTexts statusTexts(const Totals &totals);

} // namespace FileTable
