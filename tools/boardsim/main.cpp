#include "boardserver.h"
#include "clikit.h"
#include "flashstore.h"
#include "logline.h"
#include "options.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// SIGINT/SIGTERM end the event loop normally (the handler only writes to a socket pair), so the
// process exits through its destructors.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(signalPipe[0], &byte, 1);
}

bool watchTerminationSignals(QObject *parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [notifier] {
        notifier->setEnabled(false);
        boardsim::writeLogLine(QStringLiteral("terminating on signal"));
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}
#else
bool watchTerminationSignals(QObject *)
{
    return true;
}
#endif

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    clikit::Tool tool(QStringLiteral("velmora-boardsim"), out, err);
    boardsim::SimOptions options;
    QString error, help;
    if (!boardsim::parseOptions(arguments.mid(1), &options, &error, &help)) {
        tool.say(error);
        return clikit::kUsage;
    }
    if (!help.isEmpty()) {
        tool.out().write(help);
        return clikit::kSuccess;
    }

    boardsim::FlashStore store(options.memory, [&options](const QString &text) {
        if (!options.quiet)
            boardsim::writeLogLine(text);
    });
    if (!options.folder.isEmpty() && !store.setFolder(options.folder, &error)) {
        tool.say(QStringLiteral("--dir: ") + error);
        return clikit::kUsage;
    }
    const quint32 now = quint32(QDateTime::currentSecsSinceEpoch());
    for (const boardsim::DemoFile &file : options.demoFiles) {
        if (store.addMemoryOnly(file.name, boardsim::demoContent(file.name, file.size), now) !=
            boardsim::FlashStore::StoreResult::Stored) {
            tool.say(
                QStringLiteral("--file %1: does not fit the memory").arg(QString::fromLatin1(file.name)));
            return clikit::kUsage;
        }
    }
    for (const QByteArray &name : options.hostileNames) {
        if (store.addMemoryOnly(name, boardsim::demoContent(name, 16), now) !=
            boardsim::FlashStore::StoreResult::Stored) {
            tool.say(QStringLiteral("--hostile-name: does not fit the memory"));
            return clikit::kUsage;
        }
    }

    boardsim::BoardServer server(&store, &options);
    if (!server.listen(&error)) {
        tool.say(QStringLiteral("cannot listen on %1 port %2: %3")
                     .arg(options.host.toString())
                     .arg(options.port)
                     .arg(error));
        return clikit::kFailure;
    }
    if (!watchTerminationSignals(QCoreApplication::instance()))
        boardsim::writeLogLine(QStringLiteral("signals are not watched; stop with kill"));

    tool.out().writeLines(
        QStringLiteral("LISTENING %1 %2").arg(server.address().toString()).arg(server.port()));
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    return clikit::runMain(argc, argv, QStringLiteral("velmora-boardsim"), run);
}
