// The window's frame: its texts, what each signal of the link does to it and when, the connection
// display, and the actions that drive the link or open the settings dialog and the builder.
#include "configscreator.h"
#include "connectionsettings.h"
#include "seamscript.h"
#include "windowharness.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace {

bool colouredInAllGroups(const QLabel *label, const QColor &colour)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        if (label->palette().color(group, QPalette::WindowText) != colour)
            return false;
    return true;
}

QImage picture(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage();
}

// The icon resource that shows the same picture; empty for none.
QString resourceWithPicture(const QIcon &icon)
{
    const QDir images(QStringLiteral(":/icons/images"));
    const QStringList names = images.entryList();
    for (const QString &name : names)
        if (!icon.isNull() && picture(QIcon(images.filePath(name))) == picture(icon))
            return images.filePath(name);
    return QString();
}

// What the user sees of a property, as text: the words of a rich text, the names of an
// enumeration's values, an icon as the resource it shows, a list's column titles ("columns").
QString shownText(const QObject *object, const QByteArray &property)
{
    if (const auto *tree = qobject_cast<const QTreeWidget *>(object); tree && property == "columns") {
        QStringList titles;
        for (int c = 0; c < tree->columnCount(); ++c)
            titles << tree->headerItem()->text(c);
        return titles.join(QStringLiteral(" | "));
    }
    const QMetaObject *meta = object->metaObject();
    const QMetaProperty read = meta->property(meta->indexOfProperty(property.constData()));
    const QVariant value = read.read(object);
    if (read.isEnumType()) {
        const QMetaEnum names = read.enumerator();
        const int number = value.toInt();
        return names.isFlag() ? QString::fromLatin1(names.valueToKeys(number))
                              : QLatin1String(names.valueToKey(number));
    }
    if (value.userType() == QMetaType::QIcon)
        return resourceWithPicture(value.value<QIcon>());
    if (Qt::mightBeRichText(value.toString()))
        return QTextDocumentFragment::fromHtml(value.toString()).toPlainText();
    return value.toString();
}

// Emits a signal of the link by name, with Text as its text or as the one file of a list.
void emitFromLink(FsManager *link, const QByteArray &signal, const QString &text)
{
    if (signal == "connectionStateIsUpdated")
        emit link->connectionStateIsUpdated(1);
    else if (signal == "filesRecievingIsFinished")
        emit link->filesRecievingIsFinished({}, text);
    else if (signal == "listfilesReady")
        emit link->listfilesReady({makeEntry<FstEntry>(text.toLatin1(), 1)}, 100, 1);
    else if (signal == "listfilesReady_big")
        emit link->listfilesReady_big({makeEntry<FstEntry_big>(text.toLatin1(), 1)}, 100, 1);
    else
        QMetaObject::invokeMethod(link, signal.constData(), Qt::DirectConnection, Q_ARG(QString, text));
}

// Everything a signal of the link may change: the state, the rows, the progress dialogs and the
// boxes shown so far.
QString shown(const WindowHarness &h, const SeamScript &seam)
{
    flushDeferredDeletes();
    QStringList things = {h.label("connectionState")->text()};
    for (int i = 0; i < h.tree()->topLevelItemCount(); ++i)
        things << QStringLiteral("row ") + h.tree()->topLevelItem(i)->text(0);
    for (const ProgressBarWindow *dialog : h.progressDialogs())
        things << QStringLiteral("dialog ") + WindowHarness::description(dialog);
    for (const SeamScript::Call &call : seam.calls)
        things << QStringLiteral("box %1: %2").arg(call.request.title, call.request.text);
    return things.join(QStringLiteral("; "));
}

} // namespace

class TestMainWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    void shownAsWritten_data();
    void shownAsWritten();
    void linkSignalsReachTheWindow_data();
    void linkSignalsReachTheWindow();
    void connectionStateDisplay_data();
    void connectionStateDisplay();
    void actionsDriveTheLink();
    void timeoutShowsErrorAfterOffline();
    void settingsDialogFromTheWindow();
    void builderWindowsOwnThemselves();
};

// The window's texts and pictures, and the settings its drops and menus depend on.
void TestMainWindowFrame::shownAsWritten_data()
{
    QTest::addColumn<QString>("object"); // empty: the window
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("shown");
    QTest::newRow("title") << "" << QByteArray("windowTitle") << "Velmora file manager v2.0.7";
    QTest::newRow("icon") << "" << QByteArray("windowIcon") << ":/icons/images/main.png";
    QTest::newRow("connect") << "connectToPcb" << QByteArray("text") << "Подключить";
    QTest::newRow("disconnect") << "disconnectFromPcb" << QByteArray("text") << "Отключить";
    QTest::newRow("menu") << "menu" << QByteArray("title") << "Файл";
    QTest::newRow("refresh") << "refreshListFiles" << QByteArray("text") << "Обновить список файлов";
    QTest::newRow("refresh icon") << "refreshListFiles" << QByteArray("icon") << ":/icons/images/refresh.png";
    QTest::newRow("settings") << "connectionSettings" << QByteArray("text") << "Настройки подключения";
    QTest::newRow("settings icon") << "connectionSettings" << QByteArray("icon")
                                   << ":/icons/images/connect.png";
    QTest::newRow("builder") << "configCreate" << QByteArray("text") << "Создание конфигураций";
    QTest::newRow("columns") << "listFiles" << QByteArray("columns")
                             << "Имя | Дата изменения | Размер | Адрес в памяти | Номер блока";
    QTest::newRow("drop hint") << "listFiles" << QByteArray("toolTip")
                               << "Для отправки файлов перетащите их в эту область";
    QTest::newRow("progress") << "ProgressBarWindow" << QByteArray("windowTitle") << "Прогресс";
    // Drops land on the window, never on the list; the list asks the window for its menu, and
    // its rows are picked several at a time, never edited.
    QTest::newRow("window takes drops") << "" << QByteArray("acceptDrops") << "true";
    QTest::newRow("list leaves drops") << "listFiles" << QByteArray("acceptDrops") << "false";
    QTest::newRow("list menu") << "listFiles" << QByteArray("contextMenuPolicy") << "CustomContextMenu";
    QTest::newRow("selection") << "listFiles" << QByteArray("selectionMode") << "ExtendedSelection";
    QTest::newRow("no editing") << "listFiles" << QByteArray("editTriggers") << "NoEditTriggers";
}

void TestMainWindowFrame::shownAsWritten()
{
    QFETCH(QString, object);
    QFETCH(QByteArray, property);
    QFETCH(QString, shown);
    WindowHarness h;
    emit h.link->startedRunCommand(QStringLiteral("...")); // opens the progress dialog
    QCoreApplication::processEvents();
    const QObject *found = object.isEmpty() ? &h.window : h.window.findChild<QObject *>(object);
    QVERIFY(found);
    QCOMPARE(shownText(found, property), shown);
}

// Each signal of the link, with a progress dialog open: what it changes, and whether that
// happens during the emission (file lists, download results) or later from the event loop
// (everything that may open a dialog or a box), and that the dialog goes before any box.
void TestMainWindowFrame::linkSignalsReachTheWindow_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("queued");
    QTest::addColumn<QString>("after");
    const QString open = QStringLiteral("dialog Получение файлов...");
    QTest::newRow("connection state")
        << QByteArray("connectionStateIsUpdated") << "" << true << "Online; " + open;
    QTest::newRow("next command") << QByteArray("startedRunCommand") << "Удаление файла..." << true
                                  << "Offline; dialog Удаление файла...";
    QTest::newRow("error") << QByteArray("errorOccured") << "Connection refused" << true
                           << "Offline; box Ошибка!: Connection refused";
    QTest::newRow("upload ok") << QByteArray("filesSendingIsFinished") << "Ok" << true << "Offline";
    QTest::newRow("upload failed") << QByteArray("filesSendingIsFinished") << "Ошибка сети!" << true
                                   << "Offline; box Ошибка!: Ошибка сети!";
    QTest::newRow("delete ok") << QByteArray("fileDeletingIsFinished") << "Ok" << true << "Offline";
    QTest::newRow("delete, ok in lower case")
        << QByteArray("fileDeletingIsFinished") << "ok" << true << "Offline; box Ошибка!: ok";
    QTest::newRow("download ok") << QByteArray("filesRecievingIsFinished") << "Ok" << false << "Offline";
    QTest::newRow("download failed") << QByteArray("filesRecievingIsFinished") << "Файл не существует!"
                                     << false << "Offline; box Ошибка!: Файл не существует!";
    QTest::newRow("list") << QByteArray("listfilesReady") << "a.bin" << false
                          << "Offline; row a.bin; " + open;
    QTest::newRow("big list") << QByteArray("listfilesReady_big") << "b.bin" << false
                              << "Offline; row b.bin; " + open;
}

void TestMainWindowFrame::linkSignalsReachTheWindow()
{
    QFETCH(QByteArray, signal);
    QFETCH(QString, text);
    QFETCH(bool, queued);
    QFETCH(QString, after);
    WindowHarness h;
    SeamScript seam;
    int dialogsUnderBoxes = 0;
    seam.responder = [&](const ModalSeam::Request &) {
        flushDeferredDeletes(); // a dialog still here was not removed before the box
        dialogsUnderBoxes += h.progressDialogs().size();
        return SeamScript::button(QMessageBox::Ok);
    };
    emit h.link->startedRunCommand(QStringLiteral("Получение файлов..."));
    QCoreApplication::processEvents();

    const QString before = shown(h, seam);
    emitFromLink(h.link, signal, text);
    QCOMPARE(shown(h, seam), queued ? before : after);
    QCoreApplication::processEvents();
    QCOMPARE(shown(h, seam), after);
    QCOMPARE(dialogsUnderBoxes, 0);
    for (const SeamScript::Call &call : seam.calls) {
        QCOMPARE(call.request.icon, QMessageBox::Critical);
        QCOMPARE(call.request.parent, &h.window);
        QCOMPARE(call.request.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(call.request.defaultButton, QMessageBox::NoButton);
    }
}

void TestMainWindowFrame::connectionStateDisplay_data()
{
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("at start") << QList<int>() << "Offline" << QColor(Qt::red);
    QTest::newRow("connected") << QList<int>{1} << "Online" << QColor(Qt::green);
    QTest::newRow("connected, then not") << QList<int>{1, 0} << "Offline" << QColor(Qt::red);
    QTest::newRow("any non-zero state") << QList<int>{7} << "Online" << QColor(Qt::green);
}

void TestMainWindowFrame::connectionStateDisplay()
{
    QFETCH(QList<int>, states);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    WindowHarness h;
    for (int state : states) {
        h.link->setPcbIp(QHostAddress(QStringLiteral("127.0.0.%1").arg(10 + state)));
        emit h.link->connectionStateIsUpdated(state);
        QCoreApplication::processEvents();
    }
    QCOMPARE(h.label("connectionState")->text(), text);
    QVERIFY(colouredInAllGroups(h.label("connectionState"), colour));
    // The address label shows the link's address from the start and after every state change.
    QCOMPARE(h.label("pcbIp")->text(), h.link->getPcbIp().toString());
}

void TestMainWindowFrame::actionsDriveTheLink()
{
    WindowHarness h;
    QVERIFY(h.connectToBoard());
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Online"));

    const int listsBefore = h.board.count(1);
    h.action("refreshListFiles")->trigger();
    QTRY_VERIFY(h.board.count(1) > listsBefore);

    h.action("disconnectFromPcb")->trigger();
    QTRY_COMPARE(h.label("connectionState")->text(), QStringLiteral("Offline"));
    QTRY_VERIFY(!h.board.hasPeer());
}

void TestMainWindowFrame::timeoutShowsErrorAfterOffline()
{
    WindowHarness h;
    SeamScript seam;
    QString stateWhenShown;
    seam.responder = [&](const ModalSeam::Request &) {
        stateWhenShown = h.label("connectionState")->text();
        return SeamScript::button(QMessageBox::Ok);
    };
    // The board takes the connection but never answers the file list request.
    h.board.holdReplies.insert(1);
    h.link->setTimeScale(0.05);
    QVERIFY(h.board.listen());
    h.link->setPcbIp(QHostAddress(QHostAddress::LocalHost));
    h.link->setPcbPort(h.board.port());
    h.action("connectToPcb")->trigger();

    QTRY_COMPARE_WITH_TIMEOUT(seam.calls.size(), 1, 10000);
    QCOMPARE(seam.calls.first().request.title, QStringLiteral("Ошибка!"));
    QCOMPARE(seam.calls.first().request.text, QStringLiteral("Ошибка подключения"));
    QCOMPARE(stateWhenShown, QStringLiteral("Offline"));
}

// The dialog's own behaviour is tested with the dialog; here only how the window opens it,
// shows the address it stored and lets it go.
void TestMainWindowFrame::settingsDialogFromTheWindow()
{
    WindowHarness h;
    h.action("connectionSettings")->trigger();
    QPointer<ConnectionSettings> dialog = h.window.findChild<ConnectionSettings *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog->parentWidget(), &h.window);
    dialog->findChild<QLineEdit *>(QStringLiteral("targetIp"))->setText(QStringLiteral("127.0.0.5"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Ok")), Qt::LeftButton);
    QCOMPARE(h.label("pcbIp")->text(), QStringLiteral("127.0.0.5"));
    QVERIFY(!dialog->isVisible());
    flushDeferredDeletes();
    QVERIFY(dialog.isNull());
}

void TestMainWindowFrame::builderWindowsOwnThemselves()
{
    WindowHarness h;
    const auto builders = [] {
        QList<ConfigsCreator *> found;
        const QWidgetList tops = QApplication::topLevelWidgets();
        for (QWidget *w : tops)
            if (auto *c = qobject_cast<ConfigsCreator *>(w))
                found << c;
        return found;
    };
    flushDeferredDeletes();
    QCOMPARE(builders().size(), 0);

    h.action("configCreate")->trigger();
    h.action("configCreate")->trigger();
    const QList<ConfigsCreator *> opened = builders();
    QCOMPARE(opened.size(), 2); // each use opens an independent window
    QPointer<ConfigsCreator> first = opened.at(0);
    QPointer<ConfigsCreator> second = opened.at(1);
    QVERIFY(first->isVisible() && second->isVisible());
    QVERIFY(!first->parent() && !second->parent());

    emit first->finished();
    flushDeferredDeletes();
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull());
    emit second->finished();
    flushDeferredDeletes();
    QVERIFY(second.isNull());
}

QTEST_MAIN(TestMainWindowFrame)
#include "tst_mainwindowframe.moc"
