#include "fscli.h"

#include "boardrun.h"
#include "clikit.h"
#include "fsfleet.h"
#include "options.h"

#include <QEventLoop>
#include <type_traits>

namespace fsclient {

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    clikit::Tool tool(QStringLiteral("velmora-fs"), out, err);
    tool.setUsage(usageLine(), true);
    tool.setHelp(helpText());
    ClientOptions options;
    QString error;
    switch (parseOptions(arguments.mid(1), &options, &error)) {
    case ParseResult::Help:
        return tool.showHelp();
    case ParseResult::Version:
        return tool.showVersion();
    case ParseResult::UsageError:
        return tool.usageError(error);
    case ParseResult::Run:
        break;
    }

    QEventLoop loop;
    const auto runUntilFinished = [&loop](auto &run) {
        // Queued: the run may end before the loop has started, and exit() only ends a running one.
        QObject::connect(
            &run, &std::remove_reference_t<decltype(run)>::finished, &loop,
            [&loop](int code) { loop.exit(code); }, Qt::QueuedConnection);
        run.start();
        return loop.exec();
    };
    if (!options.boards.isEmpty()) {
        FsFleet fleet(options, tool.out(), tool.err());
        return runUntilFinished(fleet);
    }
    BoardRun board(options, tool.out(), tool.err());
    return runUntilFinished(board);
}

} // namespace fsclient
