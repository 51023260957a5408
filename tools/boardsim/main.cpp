#include "boardserver.h"
#include "flashstore.h"
#include "logline.h"
#include "options.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <cstdio>

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-boardsim"));

    boardsim::SimOptions options;
    QString error, help;
    if (!boardsim::parseOptions(QCoreApplication::arguments().mid(1), &options, &error, &help)) {
        std::fprintf(stderr, "velmora-boardsim: %s\n", qPrintable(error));
        return 2;
    }
    if (!help.isEmpty()) {
        std::fputs(qPrintable(help), stdout);
        return 0;
    }

    boardsim::FlashStore store(options.memory, [&options](const QString &text) {
        if (!options.quiet)
            boardsim::writeLogLine(text);
    });
    if (!options.folder.isEmpty() && !store.setFolder(options.folder, &error)) {
        std::fprintf(stderr, "velmora-boardsim: --dir: %s\n", qPrintable(error));
        return 2;
    }
    const quint32 now = quint32(QDateTime::currentSecsSinceEpoch());
    for (const boardsim::DemoFile &file : options.demoFiles) {
        if (store.addMemoryOnly(file.name, boardsim::demoContent(file.name, file.size), now) !=
            boardsim::FlashStore::StoreResult::Stored) {
            std::fprintf(stderr, "velmora-boardsim: --file %s: does not fit the memory\n",
                         file.name.constData());
            return 2;
        }
    }
    for (const QByteArray &name : options.hostileNames) {
        if (store.addMemoryOnly(name, boardsim::demoContent(name, 16), now) !=
            boardsim::FlashStore::StoreResult::Stored) {
            std::fprintf(stderr, "velmora-boardsim: --hostile-name: does not fit the memory\n");
            return 2;
        }
    }

    boardsim::BoardServer server(&store, &options);
    if (!server.listen(&error)) {
        std::fprintf(stderr, "velmora-boardsim: cannot listen on %s port %u: %s\n",
                     qPrintable(options.host.toString()), unsigned(options.port), qPrintable(error));
        return 1;
    }
    if (!watchTerminationSignals(&app))
        boardsim::writeLogLine(QStringLiteral("signals are not watched; stop with kill"));

    std::printf("LISTENING %s %u\n", qPrintable(server.address().toString()), unsigned(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
