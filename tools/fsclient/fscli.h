#pragma once

#include <QStringList>

class QTextStream;

namespace fsclient {

// Runs the velmora-fs command line: arguments as the program got them (its name first). Writes
// the file table and the -v lines to out, messages to err, and runs an event loop (of the
// application object, which must exist) until the board's part is done. Returns the exit status:
// 0 success, 1 the board or a file refused, 2 usage, 3 the board unreachable or the connection lost.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace fsclient
