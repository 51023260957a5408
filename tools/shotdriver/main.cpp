// Screenshot driver: builds the real main window in the current working directory (its settings
// file must point the link at 127.0.0.1), connects it to a board on the given loopback port, waits
// for the file list and saves pictures of the window and of the connection settings dialog; then
// opens the configuration builder from the window's menu, loads a model-id file into it, and shows
// what its check finds once two pins are set back to unused.
//
//   velmora-shotdriver --port <n> --out <folder> [--report <file.html>]
#include "checkpanel.h"
#include "configscreator.h"
#include "connectionsettings.h"
#include "datablocks.h"
#include "fsmanager.h"
#include "functioncatalogue.h"
#include "i18n.h"
#include "mainwindow.h"
#include "modalseam.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QToolButton>
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

// A configuration as an engineer might keep it: analogue inputs and outputs, discrete outputs and
// inputs, the lines of a DO register chain, two DO registers and the tabs derived from them.
void makeDemoConfiguration(ConfigsCreator &builder)
{
    GpioBlock pins;
    const struct
    {
        int pin;
        int code;
        int index;
    } functions[] = {{42, 7, 1},  {43, 7, 2},  {44, 8, 1}, {45, 4, 1},  {46, 25, 2}, {47, 1, 1},
                     {48, 2, 2},  {49, 22, 1}, {63, 9, 1}, {64, 10, 1}, {65, 12, 1}, {66, 21, 1},
                     {67, 28, 1}, {68, 23, 1}, {69, 5, 3}, {70, 3, 3}};
    for (const auto &function : functions) {
        pins.code[function.pin] = quint8(function.code);
        pins.index[function.pin] = quint16(function.index);
    }
    builder.fillAllTabs();
    builder.fillGpioTab(Blocks::encodeGpioBlock(pins));
    builder.fillDoRegTab(Blocks::encodeRecords(
        QVector<RegPortRecord>{{1, 4}, {2, 4}, {3, 5}, {4, 25}, {5, 24}, {6, 0}, {7, 0}, {8, 0}}));
    for (const char *button : {"AcceptNumAdcTiInputs", "AcceptNumPwmOutputs", "AcceptLinksDo",
                               "AcceptLinksDi", "AcceptLinksAi", "AcceptLinksAo"})
        builder.findChild<QPushButton *>(QLatin1String(button))->click();
}

// Gives a pin a function through its button's menu, as a user would.
bool choosePinFunction(ConfigsCreator &builder, int pin, const QString &function)
{
    for (QTreeWidget *tree : builder.findChildren<QTreeWidget *>()) {
        if (!tree->objectName().startsWith(QLatin1String("ports")) || !tree->objectName().contains("Gpio"))
            continue;
        for (int row = 0; row < tree->topLevelItemCount(); ++row) {
            QTreeWidgetItem *item = tree->topLevelItem(row);
            auto *button = qobject_cast<QToolButton *>(tree->itemWidget(item, 2));
            if (item->text(0) != QString::number(pin) || !button)
                continue;
            ModalSeam::setHandler([&function](const ModalSeam::Request &request) {
                ModalSeam::Answer answer;
                for (QAction *action : request.menu->actions()) {
                    const QList<QAction *> choices =
                        action->menu() ? action->menu()->actions() : QList<QAction *>{action};
                    for (QAction *choice : choices) {
                        if (choice->text() == function)
                            answer.action = choice;
                    }
                }
                return answer;
            });
            button->click();
            return true;
        }
    }
    return false;
}

ConfigsCreator *openBuilder(MainWindow &window)
{
    window.findChild<QAction *>(QStringLiteral("configCreate"))->trigger();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *builder = qobject_cast<ConfigsCreator *>(top))
            return builder;
    }
    return nullptr;
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
    I18n::install();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Takes screenshots of the main window against a local board."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Board port on 127.0.0.1."),
                                        QStringLiteral("n"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."),
                                       QStringLiteral("folder"));
    parser.addOption(portOption);
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("Where the builder's \"Отчёт…\" writes its report (optional)."),
        QStringLiteral("file"));
    parser.addOption(outOption);
    parser.addOption(reportOption);
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

    // The builder: a model-id file saved from one window, loaded into one opened from the menu.
    // The file choosers are answered here, with a folder of our own.
    QTemporaryDir configs;
    ModalSeam::setHandler([&configs](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        answer.path = configs.path();
        answer.paths = QStringList{configs.filePath(QStringLiteral("ModelId_17.vmc"))};
        answer.button = request.icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
        return answer;
    });
    {
        ConfigsCreator maker;
        makeDemoConfiguration(maker);
        maker.modelIdChanged(17);
        maker.saveToModelIdFile();
    }
    ConfigsCreator *builder = openBuilder(window);
    if (!builder)
        return fail(QStringLiteral("the configuration builder did not open"));
    builder->findChild<QPushButton *>(QStringLiteral("loadConfigs"))->click();
    settle();
    if (!builder->grab().save(QDir(out).filePath(QStringLiteral("builder-loaded.png"))))
        return fail(QStringLiteral("cannot write builder-loaded.png"));

    // An analogue input and the DO chain's clock set back to unused, a discrete input made an
    // analogue one: the rows made from them no longer agree, and the check says so.
    // The menus' texts in the language the program speaks.
    const QString unused = Functions::fallbackToolTip();
    if (!choosePinFunction(*builder, 43, unused) || !choosePinFunction(*builder, 64, unused) ||
        !choosePinFunction(*builder, 47, Functions::displayText(*Functions::findFunction(7))))
        return fail(QStringLiteral("no pin rows in the builder"));
    ModalSeam::setHandler({});
    builder->resize(860, 640);
    builder->checkPanel().checkNow();
    builder->checkPanel().showFindings();
    settle();
    if (!builder->grab().save(QDir(out).filePath(QStringLiteral("builder-findings.png"))))
        return fail(QStringLiteral("cannot write builder-findings.png"));
    // The same configuration's report, through the builder's own action; the browser it would open
    // is the caller's to run.
    const QString report = parser.value(reportOption);
    if (!report.isEmpty()) {
        ModalSeam::setHandler([&report](const ModalSeam::Request &request) {
            ModalSeam::Answer answer;
            answer.path = report;
            answer.opened = request.kind == ModalSeam::Kind::OpenUrl;
            answer.button = QMessageBox::Ok;
            return answer;
        });
        builder->findChild<QAction *>(QStringLiteral("writeReport"))->trigger();
        ModalSeam::setHandler({});
        if (!QFileInfo::exists(report))
            return fail(QStringLiteral("the builder wrote no report to %1").arg(report));
    }
    builder->close();
    settle();
    return 0;
}
