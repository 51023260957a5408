#pragma once

#include <QStringList>

class QTextStream;

namespace Vmc {

// Runs the vmc command line: arguments as the program got them (the program name first). Writes
// results to out and messages to err; returns the exit status (0 nothing found / equal, 1 found /
// different, 2 usage or read error).
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace Vmc
