#include "fsclient.h"
#include "options.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-fs"));

    fsclient::ClientOptions options;
    QString error;
    switch (fsclient::parseOptions(QCoreApplication::arguments().mid(1), &options, &error)) {
    case fsclient::ParseResult::Help:
        std::fputs(qPrintable(fsclient::helpText()), stdout);
        return fsclient::FsClient::kSuccess;
    case fsclient::ParseResult::UsageError:
        std::fprintf(stderr, "velmora-fs: %s\n%s\nПодробнее: velmora-fs --help\n", qPrintable(error),
                     qPrintable(fsclient::usageLine()));
        return fsclient::FsClient::kUsageError;
    case fsclient::ParseResult::Run:
        break;
    }

    fsclient::FsClient client(options);
    // Queued: the run may end before the event loop has started, and exit() only ends a running one.
    QObject::connect(
        &client, &fsclient::FsClient::finished, &app, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
    client.start();
    return QCoreApplication::exec();
}
