#include "console.h"
#include "fsclient.h"
#include "options.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Qt's own warnings go to stderr too, and are told apart by the name like every other line.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        fsclient::writeErrLines(message);
    });
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-fs"));

    fsclient::ClientOptions options;
    QString error;
    switch (fsclient::parseOptions(QCoreApplication::arguments().mid(1), &options, &error)) {
    case fsclient::ParseResult::Help:
        fsclient::writeOut(fsclient::helpText());
        return fsclient::FsClient::kSuccess;
    case fsclient::ParseResult::Version:
        fsclient::writeOut(fsclient::versionText() + QLatin1Char('\n'));
        return fsclient::FsClient::kSuccess;
    case fsclient::ParseResult::UsageError:
        fsclient::writeErrLines(error + QLatin1Char('\n') + fsclient::usageLine() +
                                QStringLiteral("\nПодробнее: velmora-fs --help"));
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
