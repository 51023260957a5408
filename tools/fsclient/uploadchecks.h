#pragma once

#include "fsclient.h"

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

// Files larger than the board's form takes (BigForm: the big one), as the board stores them.
QStringList sizeRefusals(const QStringList &paths, bool bigForm);

} // namespace fsclient::uploadchecks
