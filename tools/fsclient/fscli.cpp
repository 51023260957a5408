#include "fscli.h"

#include "clikit.h"
#include "fsclient.h"
#include "options.h"

#include <QEventLoop>

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

    FsClient client(options, tool.out(), tool.err());
    QEventLoop loop;
    // Queued: the run may end before the loop has started, and exit() only ends a running one.
    QObject::connect(
        &client, &FsClient::finished, &loop, [&loop](int code) { loop.exit(code); }, Qt::QueuedConnection);
    client.start();
    return loop.exec();
}

} // namespace fsclient
