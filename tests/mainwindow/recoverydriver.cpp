// Drives the real program for the recovery tests: the main window in the current folder, the
// builder opened from its menu, every modal box answered here.
//
//   velmora-recoverydriver edit BLOCKS        gives pins functions, applies registers, derives
//                                             tabs, sets the model id, then waits until the
//                                             recovery file holds the configuration
//   velmora-recoverydriver restore yes|no BLOCKS
//                                             opens the builder and answers its question so
//
// Both then write the window's ten blocks to BLOCKS as one model-id file and print on stdout:
//
//   ASKED <icon> <buttons> <title>|<text>     every message box, as it was asked
//   FILE <path>                               edit: the recovery file holding the configuration
//   READY <model id>
//
// and wait for their standard input to end, then close the builder (with --quit: end the
// program with the builder open) and exit.
#include "builderkit.h"
#include "configscreator.h"
#include "mainwindow.h"
#include "modalseam.h"
#include "modelidfile.h"
#include "recoverystore.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <iostream>
#include <string>
#include <thread>

namespace {

void say(const QString &line)
{
    std::cout << line.toUtf8().constData() << std::endl;
}

int fail(const QString &message)
{
    std::cerr << "velmora-recoverydriver: " << message.toUtf8().constData() << std::endl;
    return 1;
}

// The user: picks the menu entry asked for, answers questions as told and every other box with Ok.
struct User
{
    QString menuChoice;
    QMessageBox::StandardButton question = QMessageBox::No;

    ModalSeam::Answer answer(const ModalSeam::Request &request)
    {
        ModalSeam::Answer answer;
        if (request.kind == ModalSeam::Kind::Menu) {
            answer.action = BuilderKit::actionNamed(request.menu, menuChoice);
            return answer;
        }
        if (request.kind == ModalSeam::Kind::MessageBox) {
            say(QStringLiteral("ASKED %1 %2 %3|%4")
                    .arg(int(request.icon))
                    .arg(int(request.buttons))
                    .arg(request.title, request.text));
            answer.button = request.icon == QMessageBox::Question ? question : QMessageBox::Ok;
        }
        return answer;
    }
};

ConfigsCreator *openBuilder(MainWindow &window)
{
    window.findChild<QAction *>(QStringLiteral("configCreate"))->trigger();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *builder = qobject_cast<ConfigsCreator *>(top))
            return builder;
    }
    return nullptr;
}

template <typename Editor> Editor *editor(QTreeWidget *tree, QTreeWidgetItem *row, int column)
{
    // The derived tabs give a row its editors once it is in view.
    const auto found = [&] { return qobject_cast<Editor *>(tree->itemWidget(row, column)); };
    return QTest::qWaitFor([&] { return found() != nullptr; }, 5000) ? found() : nullptr;
}

void choose(User &user, QToolButton *button, const QString &function)
{
    user.menuChoice = function;
    if (button)
        button->click();
}

// The save dialog shows the model id; setting it there is how a user changes it.
int modelIdThroughTheSaveDialog(ConfigsCreator &builder, int newId = -1)
{
    BuilderKit::press(builder, QStringLiteral("saveConfigs"));
    auto *dialog = builder.findChild<QDialog *>();
    auto *spin = dialog ? dialog->findChild<QSpinBox *>() : nullptr;
    if (!spin)
        return -1;
    if (newId >= 0)
        spin->setValue(newId);
    const int shown = spin->value();
    dialog->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return shown;
}

void edit(ConfigsCreator &builder, User &user)
{
    using namespace BuilderKit;
    const QList<QPair<int, QString>> pins = {
        {42, QStringLiteral("Аналоговый вход")},        {43, QStringLiteral("Аналоговый вход")},
        {44, QStringLiteral("Аналоговый (PWM) выход")}, {45, QStringLiteral("Дискретный вход PULL_UP")},
        {46, QStringLiteral("Моностабильный выход")},   {13, QStringLiteral("SPI CS для DO регистров")},
    };
    for (const auto &pin : pins) {
        QTreeWidget *tree = nullptr;
        QTreeWidgetItem *row = pinRow(builder, pin.first, &tree);
        choose(user, editor<QToolButton>(tree, row, 2), pin.second);
    }
    QTreeWidget *tree = nullptr;
    QTreeWidgetItem *row = pinRow(builder, 43, &tree);
    if (auto *index = editor<QSpinBox>(tree, row, 3))
        index->setValue(2);

    showTab(builder, QStringLiteral("doRegConfig"));
    applyRegisters(builder, QStringLiteral("Do"), 2);
    QTreeWidget *registers = BuilderKit::tree(builder, QStringLiteral("portsDoReg"));
    choose(user, editor<QToolButton>(registers, registers->topLevelItem(3), 1),
           QStringLiteral("Светодиод индикации состояния"));

    const QList<QPair<QString, QString>> derived = {
        {QStringLiteral("adcTiConfig"), QStringLiteral("AcceptNumAdcTiInputs")},
        {QStringLiteral("pwmConfig"), QStringLiteral("AcceptNumPwmOutputs")},
        {QStringLiteral("doLinksConfigs"), QStringLiteral("AcceptLinksDo")},
        {QStringLiteral("aiLinksConfigs"), QStringLiteral("AcceptLinksAi")},
    };
    for (const auto &tab : derived) {
        showTab(builder, tab.first);
        press(builder, tab.second);
    }
    QTreeWidget *pwm = BuilderKit::tree(builder, QStringLiteral("portsPwm"));
    showTab(builder, QStringLiteral("pwmConfig"));
    if (auto *frequency = editor<QSpinBox>(pwm, pwm->topLevelItem(0), 3))
        frequency->setValue(2500);

    modelIdThroughTheSaveDialog(builder, 23);
}

// The recovery file once it holds this configuration.
QString waitForRecoveryFile(const ModelIdFile::SectionBlocks &blocks, int modelId)
{
    const QByteArray expected = *ModelIdFile::encode(blocks);
    const QString name = ModelIdFile::fileName(quint8(modelId));
    QString found;
    const bool written = QTest::qWaitFor(
        [&] {
            QDirIterator it(RecoveryStore::defaultFolder(), {name}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                if (file.open(QIODevice::ReadOnly) && file.readAll() == expected)
                    found = file.fileName();
            }
            return !found.isEmpty();
        },
        60000);
    return written ? found : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool quit = arguments.removeAll(QStringLiteral("--quit")) > 0;
    const bool restore = arguments.value(0) == QLatin1String("restore") && arguments.size() == 3;
    if (!(arguments.value(0) == QLatin1String("edit") && arguments.size() == 2) && !restore)
        return fail(QStringLiteral("usage: edit BLOCKS | restore yes|no BLOCKS [--quit]"));
    const QString blocksPath = arguments.last();

    User user;
    user.question = restore && arguments.at(1) == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No;
    ModalSeam::setHandler([&user](const ModalSeam::Request &request) { return user.answer(request); });

    MainWindow window;
    window.show();
    ConfigsCreator *builder = openBuilder(window);
    if (!builder)
        return fail(QStringLiteral("the configuration builder did not open"));
    if (!restore) {
        edit(*builder, user);
        const QString file = waitForRecoveryFile(builder->blocks(), modelIdThroughTheSaveDialog(*builder));
        if (file.isEmpty())
            return fail(QStringLiteral("no recovery file holds the configuration"));
        say(QStringLiteral("FILE ") + file);
    }
    QFile blocks(blocksPath);
    if (!blocks.open(QIODevice::WriteOnly) || blocks.write(*ModelIdFile::encode(builder->blocks())) < 0)
        return fail(QStringLiteral("cannot write ") + blocksPath);
    blocks.close();
    say(QStringLiteral("READY %1").arg(modelIdThroughTheSaveDialog(*builder)));

    // Ends as a user ends the program, once told so.
    QPointer<ConfigsCreator> open = builder;
    std::thread([&application, &window, open, quit] {
        for (std::string line; std::getline(std::cin, line);) {
        }
        QMetaObject::invokeMethod(
            &application,
            [&window, open, quit] {
                if (quit) {
                    QCoreApplication::quit();
                    return;
                }
                if (open)
                    open->close();
                window.close();
            },
            Qt::QueuedConnection);
    }).detach();
    const int status = application.exec();
    ModalSeam::setHandler({});
    delete open; // a program that quits leaves it open
    return status;
}
