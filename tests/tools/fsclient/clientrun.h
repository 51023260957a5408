#pragma once

// velmora-fs run as a user's script runs it, for the tests of its commands.
#include "boardsimprocess.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QFile>
#include <QProcessEnvironment>

// Runs velmora-fs in Folder with Cache as the user's cache folder (sync's record of each board
// goes there). Unless told otherwise, Folder holds a settings file that names 127.0.0.1, so that
// even a run that ignored --host could reach nothing but this machine.
inline ToolRun runClient(const QString &folder, const QString &cache, const QStringList &arguments)
{
    if (!QFile::exists(folder + QStringLiteral("/pcbSettings.ini")))
        writeFile(folder + QStringLiteral("/pcbSettings.ini"), "[General]\nIP_ADDRESS=127.0.0.1\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    return runTool(QString::fromLocal8Bit(qgetenv("VELMORA_FS")), folder, arguments, environment);
}

// The options that name the simulator's board.
inline QStringList board(const BoardSimProcess &sim)
{
    return {QStringLiteral("--host"), sim.host().toString(), QStringLiteral("--port"),
            QString::number(sim.port())};
}
