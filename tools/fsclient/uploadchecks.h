#pragma once

#include "fsclient.h"
#include "uploadrules.h"

#include <QList>
#include <QStringList>

// The client's checks of local files before an upload, on the link's upload rules: put and sync
// refuse the whole lot when any file fails, before anything is sent. The refusals are one line per
// file, in the order given; none when every file passes. Unlike the window, the client refuses a name
// too long for the board instead of shortening it (why: UploadRules::NamePolicy).
namespace fsclient::uploadchecks {

// Files that cannot be sent as named: missing or not a regular file, a board name (Name) empty,
// outside Latin-1 or longer than the board's name field. Told before connecting.
QStringList localRefusals(const QList<FileItem> &files);

// How the changes of a run are made: one after the other as given (put), or ordered so that the
// room never runs shorter on the way and only the end state counts (sync: deletions first, then the
// uploads that shrink a file before those that grow one).
enum class RoomCheck
{
    EveryStep,
    EndState,
};

// Told once the board's table was read: the files of Changes (each for the client's item at the
// same index) larger than the board's form takes, as the board stores them, and the room the board
// lacks for them.
QStringList roomRefusals(FsClient &client, const QList<UploadRules::Change> &changes, RoomCheck check);

} // namespace fsclient::uploadchecks
