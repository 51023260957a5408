#include "benchkit.h"

#include <QDir>
#include <cstdio>

namespace BenchKit {

Workspace::Workspace(const char *program, bool makeCurrent)
{
    if (qEnvironmentVariableIsEmpty("VELMORA_BOARDSIM"))
        qputenv("VELMORA_BOARDSIM", QByteArray(VELMORA_BOARDSIM_PATH));
    valid = folder.isValid() && (!makeCurrent || QDir::setCurrent(folder.path()));
    if (!valid)
        std::fprintf(stderr, "%s: no temporary working folder\n", program);
}

std::unique_ptr<BoardSimProcess> startSimulator(const char *program, qint64 memory, bool logged,
                                                const QStringList &extra)
{
    // Quiet unless asked: the simulator's log would pile up in this process, which reads its stderr.
    QStringList arguments{QStringLiteral("--big"), QStringLiteral("--memory"), QString::number(memory)};
    if (!logged)
        arguments << QStringLiteral("--quiet");
    arguments << extra;
    auto sim = std::make_unique<BoardSimProcess>(arguments);
    if (sim->isRunning())
        return sim;
    std::fprintf(stderr, "%s: simulator: %s\n", program, qPrintable(sim->errorString()));
    return nullptr;
}

int intOption(const QStringList &arguments, const QString &option, int fallback)
{
    const int at = arguments.indexOf(option);
    if (at < 0)
        return fallback;
    bool ok = false;
    const int value = arguments.value(at + 1).toInt(&ok);
    return ok ? value : -1;
}

} // namespace BenchKit
