// The keyboard and screen readers: the file list's keys against the in-test board, the builder's
// Ctrl+S and Ctrl+O, the dialogs' tab order, and the names read through Qt's accessibility
// interfaces of the window, its dialogs and the builder.
#include "builderkit.h"
#include "configscreator.h"
#include "connectionsettings.h"
#include "windowharness.h"

#include <QAccessible>
#include <QDialog>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

namespace {

// The window a test looks at: "main", "main online", "settings", "progress", "builder" (with a
// register on the SPI DO and SPI ADC tabs, every page brought to the top once so that the rows
// in view have made their editors) or "save" (the builder's save variants).
QWidget *openWindow(const QString &kind, WindowHarness &h, std::unique_ptr<ConfigsCreator> &builder)
{
    if (kind == QLatin1String("main online") && !h.connectToBoard())
        return nullptr;
    if (kind == QLatin1String("settings")) {
        h.action("connectionSettings")->trigger();
        return h.window.findChild<ConnectionSettings *>();
    }
    if (kind == QLatin1String("progress")) {
        auto *progress = new ProgressBarWindow(&h.window);
        progress->setDescriptor(QStringLiteral("Удаление файла..."));
        progress->show();
        return progress;
    }
    if (!kind.startsWith(QLatin1String("main"))) {
        builder = std::make_unique<ConfigsCreator>();
        builder->fillAllTabs();
        BuilderKit::applyRegisters(*builder, QStringLiteral("Do"), 1);
        BuilderKit::applyRegisters(*builder, QStringLiteral("Adc"), 1);
        builder->show();
        for (QTabWidget *tabs : builder->findChildren<QTabWidget *>()) {
            for (int page = tabs->count() - 1; page >= 0; --page) {
                tabs->setCurrentIndex(page);
                QCoreApplication::processEvents();
            }
        }
        if (kind == QLatin1String("save"))
            BuilderKit::press(*builder, QStringLiteral("saveConfigs"));
        return kind == QLatin1String("save") ? static_cast<QWidget *>(builder->findChild<QDialog *>())
                                             : builder.get();
    }
    emit h.link->listfilesReady({makeEntry<FstEntry>("a.bin", 1), makeEntry<FstEntry>("b.bin", 2)}, 100, 3);
    h.window.show();
    return &h.window;
}

// The focusable nodes on screen without a name under an interface, by their paths. An item
// view's interface holds its cells only, so the editors embedded in its rows are visited as widgets.
void unnamedFocusable(QAccessibleInterface *node, const QString &path, QStringList &found)
{
    if (node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name);
    const QString here = path + QLatin1Char('/') + name;
    if (node->state().focusable && name.trimmed().isEmpty())
        found << here + QString::number(node->role(), 16);
    for (int i = 0; i < node->childCount(); ++i)
        unnamedFocusable(node->child(i), here, found);
    if (auto *view = qobject_cast<QAbstractItemView *>(node->object())) {
        for (QWidget *editor :
             view->viewport()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            unnamedFocusable(QAccessible::queryAccessibleInterface(editor), here, found);
    }
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void fileListKeys_data();
    void fileListKeys();
    void builderKeys_data();
    void builderKeys();
    void tabOrderIsReadingOrder_data();
    void tabOrderIsReadingOrder();
    void everyFocusableControlNamed_data();
    void everyFocusableControlNamed();
    void names_data();
    void names();
};

void TestAccessibility::fileListKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("asked");     // the seam's box or chooser by its title, a menu by its entries
    QTest::addColumn<int>("command");       // the board command the link was asked for, 0 none
    QTest::addColumn<QStringList>("names"); // of a delete or download
    QTest::addColumn<int>("selectedAfter");
    const QStringList ab = {"a.bin", "b.bin"};
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << QStringList{"b.bin"} << "Удаление" << 3
                            << QStringList{"b.bin"} << 1;
    QTest::newRow("Delete, none selected")
        << int(Qt::Key_Delete) << 0 << QStringList() << "" << 0 << QStringList() << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0 << ab << "Сохранить в..." << 5 << ab << 2;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << QStringList{"c.bin"}
                                  << "Сохранить в..." << 5 << QStringList{"c.bin"} << 1;
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << ab << "" << 1 << QStringList() << 2;
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << QStringList{"a.bin"} << "" << 0
                            << QStringList() << 3;
    // The menu the mouse opens, each entry showing its key.
    QTest::newRow("Menu") << int(Qt::Key_Menu) << 0 << QStringList() << "Обновить F5" << 0 << QStringList()
                          << 0;
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << ab
                               << "Удалить Del|Скачать Enter" << 0 << QStringList() << 2;
}

void TestAccessibility::fileListKeys()
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
    QTreeWidget *list = h.tree();
    selectRows(list, selected);
    // The menu opens at the current row, which need not be selected.
    list->setCurrentItem(list->topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
    QTemporaryDir folder;
    SeamScript seam;
    QStringList entries;
    seam.responder = [&](const ModalSeam::Request &request) {
        for (const QAction *action : request.menu ? request.menu->actions() : QList<QAction *>())
            entries << action->text() + QLatin1Char(' ') +
                           action->shortcut().toString(QKeySequence::PortableText);
        return request.menu ? ModalSeam::Answer()
                            : SeamScript::answering(QString(), QMessageBox::Yes, folder.path())(request);
    };
    const int lists = h.board.count(1);
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(seam.calls.size(), asked.isEmpty() ? 0 : 1);
    if (!seam.calls.isEmpty()) {
        const ModalSeam::Request &request = seam.calls.first().request;
        QCOMPARE(request.menu ? entries.join(QLatin1Char('|')) : request.title, asked);
        const QRect row = list->visualItemRect(list->topLevelItem(2));
        QVERIFY(!request.menu ||
                QRect(list->viewport()->mapToGlobal(row.topLeft()), row.size()).contains(request.position));
    }
    QCOMPARE(list->selectedItems().size(), selectedAfter);
    QTRY_VERIFY(h.board.count(1) > lists || command != 1);
    // The link sends in order: once a later list request arrives, every earlier one has.
    const int before = h.board.count(1);
    h.action("refreshListFiles")->trigger();
    QTRY_VERIFY(h.board.count(1) > before);
    QList<QByteArray> expected;
    for (const QString &name : qAsConst(names))
        expected << name.toLatin1();
    QCOMPARE(h.board.names(3), command == 3 ? expected : QList<QByteArray>());
    QCOMPARE(h.board.names(5), command == 5 ? expected : QList<QByteArray>());
    flushDeferredDeletes();
}

void TestAccessibility::builderKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("dialog"); // the title of the dialog the key opens
    QTest::addColumn<int>("seamCalls");  // or the seam's file chooser
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << "Варианты сохранения конфигураций" << 0;
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << "" << 1;
}

void TestAccessibility::builderKeys()
{
    QFETCH(int, key);
    QFETCH(QString, dialog);
    QFETCH(int, seamCalls);
    TempCwd cwd;
    SeamScript seam;
    ConfigsCreator window;
    window.fillAllTabs();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Wherever the focus is: here on a row's editor.
    QTreeWidget *pins = BuilderKit::tree(window, QStringLiteral("portsLeftGpio"));
    QTest::keyClick(pins->itemWidget(pins->topLevelItem(1), 3), Qt::Key(key), Qt::ControlModifier);
    const QDialog *opened = window.findChild<QDialog *>();
    QTRY_COMPARE(opened && opened->isVisible() ? opened->windowTitle() : QString(), dialog);
    QCOMPARE(seam.of(ModalSeam::Kind::OpenFileNames).size(), seamCalls);
}

void TestAccessibility::tabOrderIsReadingOrder_data()
{
    // The progress dialog has no control that takes the focus.
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("controls");
    QTest::newRow("connection settings") << "settings" << 4;
    QTest::newRow("builder's save variants") << "save" << 3;
}

void TestAccessibility::tabOrderIsReadingOrder()
{
    QFETCH(QString, window);
    QFETCH(int, controls);
    WindowHarness h;
    std::unique_ptr<ConfigsCreator> builder;
    QWidget *shown = openWindow(window, h, builder);
    QVERIFY(shown && QTest::qWaitForWindowExposed(shown));
    // Each control that Tab visits next lies further right on the same line or on a line below.
    QRect previous;
    int visited = 0;
    for (QWidget *w = shown->nextInFocusChain(); w != shown; w = w->nextInFocusChain()) {
        if (!w->isVisibleTo(shown) || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const QRect here(w->mapToGlobal(QPoint(0, 0)), w->size());
        const bool nextLine = here.center().y() > previous.bottom();
        QVERIFY2(previous.isNull() || nextLine || here.left() >= previous.right(),
                 qPrintable(w->objectName()));
        previous = here;
        ++visited;
    }
    QCOMPARE(visited, controls);
}

void TestAccessibility::everyFocusableControlNamed_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : {"main", "settings", "progress", "builder", "save"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

void TestAccessibility::everyFocusableControlNamed()
{
    QFETCH(QString, window);
    WindowHarness h;
    std::unique_ptr<ConfigsCreator> builder;
    QWidget *shown = openWindow(window, h, builder);
    QVERIFY(shown && QTest::qWaitForWindowExposed(shown));
    QStringList unnamed;
    unnamedFocusable(QAccessible::queryAccessibleInterface(shown), QString(), unnamed);
    // With each page of the builder on top: the connectors' first, while the pins' tab is.
    const QList<QTabWidget *> tabWidgets = shown->findChildren<QTabWidget *>();
    for (auto tabs = tabWidgets.rbegin(); tabs != tabWidgets.rend(); ++tabs) {
        for (int page = 1; page < (*tabs)->count(); ++page) {
            (*tabs)->setCurrentIndex(page);
            QCoreApplication::processEvents();
            unnamedFocusable(QAccessible::queryAccessibleInterface(shown), QString(), unnamed);
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
}

void TestAccessibility::names_data()
{
    // The control: an object name, "pin N COLUMN", "row TREE N COLUMN" or "header TREE COLUMN".
    for (const char *column : {"window", "control", "name", "description"})
        QTest::addColumn<QString>(column);
    const auto row = [](const char *window, const char *control, const char *name, const char *description) {
        QTest::newRow(name) << QString::fromUtf8(window) << QString::fromUtf8(control)
                            << QString::fromUtf8(name) << QString::fromUtf8(description); // "*": not compared
    };
    row("main", "listFiles", "Файлы на плате", "*");
    row("main", "header listFiles 3", "Адрес в памяти", "Адрес начала файла в памяти платы");
    row("main", "connectionState", "Состояние подключения: Offline", "Плата не подключена");
    row("main online", "connectionState", "Состояние подключения: Online", "Плата подключена");
    row("main online", "pcbIp", "Адрес платы: 127.0.0.1", "*");
    row("settings", "targetIp", "Ip адрес платы", "*");
    row("settings", "targetPort", "Порт платы", "*");
    row("progress", "progressBar", "Ход выполнения", "Удаление файла...");
    row("builder", "pin 43 2", "PP 0 (X6-05), Тип", "Порт не используется");
    row("builder", "pin 43 3", "PP 0 (X6-05), Индекс", "*");
    row("builder", "row portsDoReg 3 1", "Порт 3, Тип", "*");
    row("builder", "row portsAdcReg 2 2", "Порт 2, Усиление", "*");
    row("builder", "NumDoRegisters", "Количество регистров", "*");
    row("builder", "portsRightGpio_2", "Выводы X7, правый столбец", "*");
}

void TestAccessibility::names()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    WindowHarness h;
    std::unique_ptr<ConfigsCreator> builder;
    QWidget *top = openWindow(window, h, builder);
    QVERIFY(top);
    const QStringList words = control.split(QLatin1Char(' '));
    QObject *object = top->findChild<QWidget *>(words.size() > 1 ? words.at(1) : control);
    if (words.first() == QLatin1String("pin")) {
        QTreeWidget *tree = nullptr;
        QTreeWidgetItem *row = BuilderKit::pinRow(*builder, words.at(1).toInt(), &tree);
        object = row ? tree->itemWidget(row, words.at(2).toInt()) : nullptr;
    } else if (words.first() == QLatin1String("row")) {
        object = qobject_cast<QTreeWidget *>(object)->itemWidget(
            qobject_cast<QTreeWidget *>(object)->topLevelItem(words.at(2).toInt() - 1), words.at(3).toInt());
    }
    QAccessibleInterface *node = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
    if (node && words.first() == QLatin1String("header"))
        node = node->child(words.at(2).toInt()); // the header's cells come first
    QVERIFY(node);
    QTRY_COMPARE(node->text(QAccessible::Name), name);
    if (description != QLatin1String("*"))
        QCOMPARE(node->text(QAccessible::Description), description);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
