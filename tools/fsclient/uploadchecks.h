#pragma once

#include "fsclient.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The client's own rules on local files before an upload, as a drop onto the window checks them:
// put and sync refuse the whole lot when any file fails, before anything is sent. The refusals are
// one line per file, in the order given; none when every file passes. Every rule and its text is
// here and only here, so that put and sync follow one set.
namespace fsclient::uploadchecks {

// Files that cannot be sent as named: missing or not a regular file, a board name (Name) outside
// Latin-1 or longer than the board's name field. Told before connecting.
QStringList localRefusals(const QList<FileItem> &files);

// Files larger than the board's form takes (BigForm: the big one), as the board stores them.
QStringList sizeRefusals(const QStringList &paths, bool bigForm);

// One change to the board's files: a file of Size bytes stored under Name, or with Removes the
// board's file of that name deleted.
struct Change
{
    QString name;
    qint64 size = 0;
    bool removes = false;
};

// Bytes of room the board lacks for Changes made one after the other in the order given (put); 0
// when the room lasts at every step. Stored holds the bytes each board file takes, by name: a file
// stored under a name the board holds replaces that file, freeing its room. The board keeps whole
// 4-byte words.
qint64 missingRoom(qint64 freeBytes, QHash<QString, qint64> stored, const QList<Change> &changes);
// The same for the end state of Changes alone (sync, which deletes first and shrinks files before
// it grows any, so that its room runs shortest at the end).
qint64 missingRoomAtEnd(qint64 freeBytes, const QHash<QString, qint64> &stored, const QList<Change> &changes);

// What put and sync say of the bytes missing.
QString roomText(qint64 missingBytes);
QString endRoomText(qint64 missingBytes);

} // namespace fsclient::uploadchecks
