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

// Writes every file of Files into Folder in ascending key order, each through a temporary file
// that replaces the target only once it was written whole. A file that cannot be written is
// skipped, and its name appended to Failed when given. Returns the names refused because they
// would not land directly inside Folder.
QStringList save(const QString &Folder, const QMap<QString, QByteArray> &Files,
                 QStringList *Failed = nullptr);

// The message that lists the names save() refused, one per line and quoted, so that an empty
// name or one with spaces is still visible.
QString refusalText(const QStringList &Refused);
// The same for names whose file could not be written.
QString failureText(const QStringList &Failed);

} // namespace ReceivedFiles
