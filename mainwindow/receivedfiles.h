#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Writing the files of a finished download into the folder the user chose. The names come from
// the board, so each one must name a file directly inside that folder and nothing else.
namespace ReceivedFiles {

// True when Name is one plain file name: not empty, not "." or "..", no path separator, no
// drive or stream colon, no control character, not made only of dots and spaces.
bool isPlainFileName(const QString &Name);

// Writes every file of Files into Folder in ascending key order, each through a temporary file
// that replaces the target only once it was written whole. A file that cannot be written is
// skipped. Returns the names refused because they would not land directly inside Folder.
QStringList save(const QString &Folder, const QMap<QString, QByteArray> &Files);

} // namespace ReceivedFiles
