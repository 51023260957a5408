// The keyboard: the file list's keys against an in-test board, the builder's Ctrl+S and Ctrl+O,
// and the tab order of the dialogs.
#include "configscreator.h"
#include "connectionsettings.h"
#include "windowharness.h"

#include <QDialog>
#include <QKeySequence>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// The widgets Tab visits from the window on, in order.
QList<QWidget *> tabChain(QWidget *window)
{
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            chain << w;
    }
    return chain;
}

// The first pair of widgets in the chain that is out of reading order (left to right along a
// line, lines top to bottom), or none.
QString outOfReadingOrder(const QList<QWidget *> &chain)
{
    for (int i = 1; i < chain.size(); ++i) {
        const QRect a(chain.at(i - 1)->mapToGlobal(QPoint(0, 0)), chain.at(i - 1)->size());
        const QRect b(chain.at(i)->mapToGlobal(QPoint(0, 0)), chain.at(i)->size());
        const bool nextLine = b.center().y() > a.bottom();
        const bool sameLine = !nextLine && a.center().y() <= b.bottom() && b.center().y() >= a.top();
        if (!nextLine && !(sameLine && b.left() >= a.right()))
            return chain.at(i - 1)->objectName() + QStringLiteral(" before ") + chain.at(i)->objectName();
    }
    return QString();
}

// Waits until the board has seen a list request issued after everything the window did before.
bool settle(WindowHarness &h)
{
    const int before = h.board.count(1);
    h.action("refreshListFiles")->trigger();
    return QTest::qWaitFor([&] { return h.board.count(1) > before; }, 10000);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void fileListKeys_data();
    void fileListKeys();
    void builderKeys_data();
    void builderKeys();
    void dialogTabOrder_data();
    void dialogTabOrder();
};

void TestKeyboard::fileListKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("asked");     // what the seam was asked: its title, or the menu's entries
    QTest::addColumn<int>("command");       // the board command the link was asked for, 0 none
    QTest::addColumn<QStringList>("names"); // delete and download: the names the board was asked for
    QTest::addColumn<int>("selectedAfter");

    const int none = Qt::NoModifier;
    const QStringList ab = {"a.bin", "b.bin"};
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << QStringList{"b.bin"} << "Удаление" << 3
                            << QStringList{"b.bin"} << 1;
    QTest::newRow("Delete, nothing selected")
        << int(Qt::Key_Delete) << none << QStringList() << QString() << 0 << QStringList() << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << ab << "Сохранить в..." << 5 << ab << 2;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << QStringList{"c.bin"}
                                  << "Сохранить в..." << 5 << QStringList{"c.bin"} << 1;
    QTest::newRow("Return, nothing selected")
        << int(Qt::Key_Return) << none << QStringList() << QString() << 0 << QStringList() << 0;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << ab << QString() << 1 << QStringList() << 2;
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << QStringList{"a.bin"} << QString()
                            << 0 << QStringList() << 3;
    // The menu the mouse opens, at the current row, each entry showing its key.
    QTest::newRow("Menu, nothing selected")
        << int(Qt::Key_Menu) << none << QStringList() << "Обновить F5" << 0 << QStringList() << 0;
    QTest::newRow("Shift+F10, rows selected") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << ab
                                              << "Удалить Del|Скачать Enter" << 0 << QStringList() << 2;
}

void TestKeyboard::fileListKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, selected);
    QFETCH(QString, asked);
    QFETCH(int, command);
    QFETCH(QStringList, names);
    QFETCH(int, selectedAfter);

    WindowHarness h;
    h.board.files = {{"a.bin", "alpha"}, {"b.bin", "bravo"}, {"c.bin", "charlie"}};
    QVERIFY(h.connectToBoard());
    h.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window));
    QTreeWidget *list = h.tree();
    list->setFocus();
    selectRows(list, selected);
    // The current row, which the keyboard's menu opens at, need not be selected.
    list->setCurrentItem(list->topLevelItem(2), 0, QItemSelectionModel::NoUpdate);

    QTemporaryDir folder;
    SeamScript seam;
    QStringList menuEntries;
    seam.responder = [&](const ModalSeam::Request &request) {
        if (request.kind == ModalSeam::Kind::Menu) {
            for (const QAction *action : request.menu->actions())
                menuEntries << action->text() + QLatin1Char(' ') +
                                   action->shortcut().toString(QKeySequence::PortableText);
            return ModalSeam::Answer();
        }
        if (request.kind == ModalSeam::Kind::ExistingDirectory)
            return SeamScript::path(folder.path());
        return SeamScript::button(QMessageBox::Yes);
    };
    const int lists = h.board.count(1);
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    // The seam was asked once at most: a box or chooser by its title, a menu by its entries.
    QCOMPARE(seam.calls.size(), asked.isEmpty() ? 0 : 1);
    if (!seam.calls.isEmpty()) {
        const ModalSeam::Request &request = seam.calls.first().request;
        QCOMPARE(request.parent, &h.window);
        QCOMPARE(request.kind == ModalSeam::Kind::Menu ? menuEntries.join(QLatin1Char('|')) : request.title,
                 asked);
        if (request.kind == ModalSeam::Kind::Menu) {
            const QRect row = list->visualItemRect(list->topLevelItem(2));
            QVERIFY(
                QRect(list->viewport()->mapToGlobal(row.topLeft()), row.size()).contains(request.position));
        }
    }
    QCOMPARE(list->selectedItems().size(), selectedAfter);
    if (command == 1)
        QTRY_VERIFY(h.board.count(1) > lists);
    QVERIFY(settle(h));
    QList<QByteArray> expected;
    for (const QString &name : qAsConst(names))
        expected << name.toLatin1();
    QCOMPARE(h.board.names(3), command == 3 ? expected : QList<QByteArray>());
    QCOMPARE(h.board.names(5), command == 5 ? expected : QList<QByteArray>());
    flushDeferredDeletes();
}

void TestKeyboard::builderKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("dialog"); // the title of the dialog the key opens
    QTest::addColumn<int>("seamKind");   // or the seam's request, -1 for none
    QTest::newRow("Ctrl+S: save variants") << int(Qt::Key_S) << "Варианты сохранения конфигураций" << -1;
    QTest::newRow("Ctrl+O: choose files")
        << int(Qt::Key_O) << QString() << int(ModalSeam::Kind::OpenFileNames);
    QTest::newRow("Ctrl+P: nothing") << int(Qt::Key_P) << QString() << -1;
}

void TestKeyboard::builderKeys()
{
    QFETCH(int, key);
    QFETCH(QString, dialog);
    QFETCH(int, seamKind);
    TempCwd cwd;
    SeamScript seam;
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Wherever the focus is in the window: here on a row's editor.
    QWidget *editor = window.findChild<QWidget *>(QStringLiteral("gpioLeft"));
    QVERIFY(editor);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key(key), Qt::ControlModifier);

    QStringList opened;
    const auto dialogs = window.findChildren<QDialog *>();
    for (const QDialog *d : dialogs)
        if (d->isVisible())
            opened << d->windowTitle();
    QTRY_COMPARE(opened.join(QLatin1Char('|')), dialog);
    QCOMPARE(seam.calls.size(), seamKind < 0 ? 0 : 1);
    if (seamKind >= 0)
        QCOMPARE(int(seam.calls.first().request.kind), seamKind);
}

void TestKeyboard::dialogTabOrder_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("controls"); // how many Tab visits
    QTest::newRow("connection settings") << "settings" << 4;
    QTest::newRow("progress") << "progress" << 0;
    QTest::newRow("builder's save variants") << "save" << 3;
}

void TestKeyboard::dialogTabOrder()
{
    QFETCH(QString, dialog);
    QFETCH(int, controls);
    WindowHarness h;
    ConfigsCreator builder;
    QWidget *shown = nullptr;
    if (dialog == QLatin1String("settings")) {
        h.action("connectionSettings")->trigger();
        shown = h.window.findChild<ConnectionSettings *>();
    } else if (dialog == QLatin1String("progress")) {
        auto *progress = new ProgressBarWindow(&h.window);
        progress->show();
        shown = progress;
    } else {
        builder.fillAllTabs();
        builder.findChild<QPushButton *>(QStringLiteral("saveConfigs"))->click();
        shown = builder.findChild<QDialog *>();
    }
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QList<QWidget *> chain = tabChain(shown);
    QCOMPARE(chain.size(), controls);
    QCOMPARE(outOfReadingOrder(chain), QString());
    shown->close();
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
