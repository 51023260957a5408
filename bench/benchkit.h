#pragma once

#include "boardsimprocess.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// What the benchmarks set up alike: the simulator the build made, a temporary working folder,
// simulators in the big form, and whole-number options.
namespace BenchKit {

// A temporary folder for one run, made the working folder when asked (the link reads and writes
// "pcbSettings.ini" there). The simulator the build made is the one started, unless
// VELMORA_BOARDSIM names another.
class Workspace
{
public:
    Workspace(const char *program, bool makeCurrent);

    bool isValid() const { return valid; }
    QString path() const { return folder.path(); }
    QString filePath(const QString &name) const { return folder.filePath(name); }

private:
    QTemporaryDir folder;
    bool valid = false;
};

// A simulator in the big form with this much memory, on 127.0.0.1 and a port of its own; none, with
// the reason on stderr, when it does not start. Quiet unless Logged: then it logs every request and
// reply on stderr, which piles up in this process (BoardSimProcess::log()). Extra arguments follow.
std::unique_ptr<BoardSimProcess> startSimulator(const char *program, qint64 memory, bool logged = false,
                                                const QStringList &extra = {});

// The whole number after an option ("--rounds 15"), the fallback when the option is absent, and
// -1 when its value is no whole number.
int intOption(const QStringList &arguments, const QString &option, int fallback);

} // namespace BenchKit
