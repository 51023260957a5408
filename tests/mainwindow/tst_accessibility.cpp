// What screen readers get: the accessible names and descriptions of the main window, its dialogs
// and the builder, read through Qt's accessibility interfaces.
#include "builderkit.h"
#include "configscreator.h"
#include "connectionsettings.h"
#include "windowharness.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <memory>

namespace {

// Every focusable node without a name under the interface, by its role and its path of names.
// An item view's interface holds its cells only, so the editors embedded in its rows are visited
// as the widgets they are.
void unnamedFocusable(QAccessibleInterface *node, const QString &path, QStringList &found)
{
    if (!node || !node->isValid())
        return;
    const QString name = node->text(QAccessible::Name);
    const QString here =
        path + QLatin1Char('/') + (name.isEmpty() ? QString::number(node->role(), 16) : name);
    if (node->state().focusable && name.trimmed().isEmpty())
        found << here;
    for (int i = 0; i < node->childCount(); ++i)
        unnamedFocusable(node->child(i), here, found);
    if (auto *view = qobject_cast<QAbstractItemView *>(node->object())) {
        const auto editors = view->viewport()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget *editor : editors)
            unnamedFocusable(QAccessible::queryAccessibleInterface(editor), here, found);
    }
}

QStringList unnamedFocusable(QWidget *window)
{
    QStringList found;
    unnamedFocusable(QAccessible::queryAccessibleInterface(window), QString(), found);
    return found;
}

QAccessibleInterface *accessible(QObject *object)
{
    return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

// The builder with a register on the SPI DO and SPI ADC tabs, every page brought to the top once,
// so that the rows in view have made their editors.
std::unique_ptr<ConfigsCreator> shownBuilder()
{
    auto builder = std::make_unique<ConfigsCreator>();
    builder->fillAllTabs();
    BuilderKit::applyRegisters(*builder, QStringLiteral("Do"), 1);
    BuilderKit::applyRegisters(*builder, QStringLiteral("Adc"), 1);
    builder->show();
    for (QTabWidget *tabs : builder->findChildren<QTabWidget *>()) {
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QCoreApplication::processEvents();
        }
        tabs->setCurrentIndex(0);
    }
    return builder;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyFocusableControlNamed_data();
    void everyFocusableControlNamed();
    void names_data();
    void names();
};

void TestAccessibility::initTestCase()
{
    // Interfaces are made on request; an active bridge also has the widgets announce changes.
    QAccessible::setActive(true);
}

void TestAccessibility::everyFocusableControlNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main";
    QTest::newRow("connection settings") << "settings";
    QTest::newRow("progress") << "progress";
    QTest::newRow("builder") << "builder";
    QTest::newRow("builder's save variants") << "save";
}

void TestAccessibility::everyFocusableControlNamed()
{
    QFETCH(QString, window);
    WindowHarness h;
    emit h.link->listfilesReady({makeEntry<FstEntry>("a.bin", 1), makeEntry<FstEntry>("b.bin", 2)}, 100, 3);
    h.window.show();
    QWidget *walked = &h.window;
    std::unique_ptr<ConfigsCreator> builder;
    if (window == QLatin1String("settings")) {
        h.action("connectionSettings")->trigger();
        walked = h.window.findChild<ConnectionSettings *>();
    } else if (window == QLatin1String("progress")) {
        auto *progress = new ProgressBarWindow(&h.window);
        progress->setDescriptor(QStringLiteral("Загрузка файла..."));
        progress->show();
        walked = progress;
    } else if (window != QLatin1String("main")) {
        builder = shownBuilder();
        walked = builder.get();
        if (window == QLatin1String("save")) {
            BuilderKit::press(*builder, QStringLiteral("saveConfigs"));
            walked = builder->findChild<QDialog *>();
        }
    }
    QVERIFY(walked);
    QVERIFY(QTest::qWaitForWindowExposed(walked));
    const QStringList unnamed = unnamedFocusable(walked);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
}

void TestAccessibility::names_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control"); // an object name, "pin N C" or "row TREE R C", "header TREE C"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // "*": any

    QTest::newRow("file list") << "main"
                               << "listFiles"
                               << "Файлы на плате"
                               << "*";
    QTest::newRow("address column") << "main"
                                    << "header listFiles 3"
                                    << "Адрес в памяти"
                                    << "Адрес начала файла в памяти платы";
    QTest::newRow("offline") << "main"
                             << "connectionState"
                             << "Состояние подключения: Offline"
                             << "Плата не подключена";
    QTest::newRow("online") << "main online"
                            << "connectionState"
                            << "Состояние подключения: Online"
                            << "Плата подключена";
    QTest::newRow("board address") << "main online"
                                   << "pcbIp"
                                   << "Адрес платы: 127.0.0.1"
                                   << "*";
    QTest::newRow("address field") << "settings"
                                   << "targetIp"
                                   << "Ip адрес платы"
                                   << "*";
    QTest::newRow("port field") << "settings"
                                << "targetPort"
                                << "Порт платы"
                                << "*";
    QTest::newRow("progress bar") << "progress"
                                  << "progressBar"
                                  << "Ход выполнения"
                                  << "Удаление файла...";
    QTest::newRow("pin function") << "builder"
                                  << "pin 43 2"
                                  << "PP 0 (X6-05), Тип"
                                  << "Порт не используется";
    QTest::newRow("pin index") << "builder"
                               << "pin 43 3"
                               << "PP 0 (X6-05), Индекс"
                               << "*";
    QTest::newRow("register function") << "builder"
                                       << "row portsDoReg 3 1"
                                       << "Порт 3, Тип"
                                       << "*";
    QTest::newRow("ADC gain") << "builder"
                              << "row portsAdcReg 2 2"
                              << "Порт 2, Усиление"
                              << "*";
    QTest::newRow("register count") << "builder"
                                    << "NumDoRegisters"
                                    << "Количество регистров"
                                    << "*";
    QTest::newRow("pin tree") << "builder"
                              << "portsRightGpio_2"
                              << "Выводы X7, правый столбец"
                              << "*";
}

void TestAccessibility::names()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    WindowHarness h;
    std::unique_ptr<ConfigsCreator> builder;
    QWidget *top = &h.window;
    if (window == QLatin1String("main online")) {
        QVERIFY(h.connectToBoard());
    } else if (window == QLatin1String("settings")) {
        h.action("connectionSettings")->trigger();
        top = h.window.findChild<ConnectionSettings *>();
    } else if (window == QLatin1String("progress")) {
        auto *progress = new ProgressBarWindow(&h.window);
        progress->setDescriptor(QStringLiteral("Удаление файла..."));
        top = progress;
    } else if (window == QLatin1String("builder")) {
        builder = shownBuilder();
        top = builder.get();
    }
    QVERIFY(top);

    const QStringList words = control.split(QLatin1Char(' '));
    QAccessibleInterface *node = nullptr;
    if (words.first() == QLatin1String("pin")) {
        QTreeWidget *tree = nullptr;
        QTreeWidgetItem *row = BuilderKit::pinRow(*builder, words.at(1).toInt(), &tree);
        QVERIFY(row);
        node = accessible(tree->itemWidget(row, words.at(2).toInt()));
    } else if (words.first() == QLatin1String("row")) {
        QTreeWidget *tree = BuilderKit::tree(*builder, words.at(1));
        QVERIFY(tree && tree->topLevelItemCount() >= words.at(2).toInt());
        node = accessible(tree->itemWidget(tree->topLevelItem(words.at(2).toInt() - 1), words.at(3).toInt()));
    } else if (words.first() == QLatin1String("header")) {
        QAccessibleInterface *list = accessible(top->findChild<QTreeWidget *>(words.at(1)));
        QVERIFY(list);
        node = list->child(words.at(2).toInt()); // the header's cells come first
    } else {
        node = accessible(top->findChild<QWidget *>(control));
    }
    QVERIFY(node);
    QTRY_COMPARE(node->text(QAccessible::Name), name);
    if (description != QLatin1String("*"))
        QCOMPARE(node->text(QAccessible::Description), description);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
