#pragma once

#include <QStringList>

class QIODevice;
class QTextStream;

namespace Vmc {

// Runs the vmc command line: arguments as the program got them (the program name first). Writes
// results to out and messages to err; "-" reads input (the process's standard input when none is
// given). Returns the exit status: 0 nothing found / equal / written, 1 found / different /
// refused, 2 usage, read or write error.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err, QIODevice *input = nullptr);

} // namespace Vmc
