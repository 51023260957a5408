// Screenshot driver: builds the real main window in the current working directory (its settings
// file must point the link at 127.0.0.1), connects it to a board on the given loopback port, waits
// for the file list and saves pictures of the window and of the connection settings dialog.
//
//   velmora-shotdriver --port <n> --out <folder>
#include "connectionsettings.h"
#include "fsmanager.h"
#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QTextStream>
#include <QThread>
#include <QTreeWidget>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

// Lets the window system map and paint everything before a grab.
void settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

int fail(const QString &message)
{
    QTextStream(stderr) << "velmora-shotdriver: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Takes screenshots of the main window against a local board."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Board port on 127.0.0.1."),
                                        QStringLiteral("n"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."),
                                       QStringLiteral("folder"));
    parser.addOption(portOption);
    parser.addOption(outOption);
    parser.process(application);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port == 0 || port > 65535)
        return fail(QStringLiteral("--port needs a port number"));
    const QString out = parser.value(outOption);
    if (out.isEmpty() || !QDir().mkpath(out))
        return fail(QStringLiteral("--out needs a folder that can be created"));

    MainWindow window;
    auto *link = window.findChild<FsManager *>();
    if (!link)
        return fail(QStringLiteral("the window has no link"));
    // Only ever a board on this machine.
    if (!link->getPcbIp().isLoopback())
        return fail(QStringLiteral("pcbSettings.ini in %1 does not name 127.0.0.1").arg(QDir::currentPath()));
    link->setPcbPort(static_cast<uint16_t>(port));

    // Wider than the initial 600 x 400, as a user would open it, so that the whole status bar
    // fits with the fonts of a Linux desktop.
    window.resize(860, 440);
    window.show();
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("listFiles"));
    auto *state = window.findChild<QLabel *>(QStringLiteral("connectionState"));
    window.findChild<QAction *>(QStringLiteral("connectToPcb"))->trigger();
    if (!waitFor([&] { return tree->topLevelItemCount() > 0 && state->text() == QLatin1String("Online"); },
                 15000))
        return fail(QStringLiteral("no file list from the board on port %1").arg(port));

    // Show the list sorted by size with one row selected, as a user would look at it.
    tree->header()->setSortIndicator(2, Qt::DescendingOrder);
    tree->setCurrentItem(tree->topLevelItem(0));
    settle();
    if (!window.grab().save(QDir(out).filePath(QStringLiteral("main-window.png"))))
        return fail(QStringLiteral("cannot write main-window.png"));

    window.findChild<QAction *>(QStringLiteral("connectionSettings"))->trigger();
    auto *dialog = window.findChild<ConnectionSettings *>();
    if (!dialog)
        return fail(QStringLiteral("the settings dialog did not open"));
    settle();
    if (!dialog->grab().save(QDir(out).filePath(QStringLiteral("connection-settings.png"))))
        return fail(QStringLiteral("cannot write connection-settings.png"));
    dialog->reject();

    link->disconnectFromPcb();
    settle();
    return 0;
}
