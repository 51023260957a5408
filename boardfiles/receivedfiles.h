#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Writing the files of a finished download into the folder the user chose, for the window and the
// command-line client alike. The names come from the board, so each one must name a file directly
// inside that folder and nothing else.
namespace ReceivedFiles {

// True when Name is one plain file name: not empty, not "." or "..", no path separator, no
// drive or stream colon, no control character, not made only of dots and spaces.
bool isPlainFileName(const QString &Name);

// What save() did not write, by reason, each list in ascending name order.
struct SaveResult
{
    QStringList badNames; // not one plain file name
    QStringList linksOut; // a symbolic link of that name in the folder leads out of it
    QStringList failed;   // could not be written
};

// Writes every file of Files into Folder in ascending key order, each through a temporary file
// that replaces the target only once it was written whole. A file that cannot be written, or that
// would not land directly inside Folder, is skipped and named in the result.
SaveResult save(const QString &Folder, const QMap<QString, QByteArray> &Files);

// The message for every file save() did not write, a paragraph per reason, each name on a line of
// its own and quoted so that an empty name or one with spaces is still visible. Empty when every
// file was written.
QString messageText(const SaveResult &Result);

} // namespace ReceivedFiles
