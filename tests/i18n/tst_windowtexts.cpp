// The windows' texts in each language, with the translator installed as the programs install it:
// a dozen texts of the main window, the settings and progress dialogs and the builder.
#include "builderkit.h"
#include "checkpanel.h"
#include "configscreator.h"
#include "connectionsettings.h"
#include "functioncatalogue.h"
#include "gpiotab.h"
#include "i18n.h"
#include "windowharness.h"

#include <QAbstractButton>
#include <QDockWidget>
#include <QMenu>
#include <QTabWidget>
#include <QtTest>
#include <functional>

Q_DECLARE_METATYPE(I18n::Language)

namespace {

// A window's text by a key: "title", "child:NAME" (an action's, button's or label's text, a menu's
// title, a dock's title), "tab:NAME:I", "header:NAME:I", "status:I" (the main window's status
// labels, left to right), "pin:N" (the tool tip of a pin's function in the builder) and "finding:I"
// (the builder's findings, after a check).
QString textOf(QWidget &window, const QString &key, const QStringList &status = {})
{
    const QStringList parts = key.split(QLatin1Char(':'));
    const QString name = parts.value(1);
    const int index = parts.value(2, parts.value(1)).toInt();
    if (key == QLatin1String("title"))
        return window.windowTitle();
    if (parts.first() == QLatin1String("status"))
        return status.value(index);
    if (parts.first() == QLatin1String("tab"))
        return window.findChild<QTabWidget *>(name)->tabText(index);
    if (parts.first() == QLatin1String("header"))
        return window.findChild<QTreeWidget *>(name)->headerItem()->text(index);
    if (parts.first() == QLatin1String("pin")) {
        QTreeWidget *tree = nullptr;
        QTreeWidgetItem *row = BuilderKit::pinRow(static_cast<ConfigsCreator &>(window), index, &tree);
        return row ? tree->itemWidget(row, GpioTab::kCodeColumn)->toolTip() : QString();
    }
    if (parts.first() == QLatin1String("finding")) {
        QTreeWidget *findings = window.findChild<QTreeWidget *>(QStringLiteral("findings"));
        return findings->topLevelItem(index) ? findings->topLevelItem(index)->text(1) : QString();
    }
    QObject *child = window.findChild<QObject *>(name);
    if (auto *action = qobject_cast<QAction *>(child))
        return action->text();
    if (auto *button = qobject_cast<QAbstractButton *>(child))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(child))
        return label->text();
    if (auto *menu = qobject_cast<QMenu *>(child))
        return menu->title();
    if (auto *dock = qobject_cast<QDockWidget *>(child))
        return dock->windowTitle();
    return QStringLiteral("(no %1)").arg(key);
}

struct Case
{
    const char *window;
    const char *key;
    const char *russian;
    const char *english;
};

// Each text in both languages.
const Case kCases[] = {
    {"main", "child:connectToPcb", "Подключить", "Connect"},
    {"main", "child:disconnectFromPcb", "Отключить", "Disconnect"},
    {"main", "child:refreshListFiles", "Обновить список файлов", "Refresh file list"},
    {"main", "child:connectionSettings", "Настройки подключения", "Connection settings"},
    {"main", "child:configCreate", "Создание конфигураций", "Configuration builder"},
    {"main", "child:menu", "Файл", "File"},
    {"main", "header:listFiles:0", "Имя", "Name"},
    {"main", "header:listFiles:1", "Дата изменения", "Modified"},
    {"main", "header:listFiles:2", "Размер", "Size"},
    {"main", "header:listFiles:3", "Адрес в памяти", "Address"},
    {"main", "header:listFiles:4", "Номер блока", "Block"},
    {"main", "status:0", "Количество файлов:  0  ", "Files:  0  "},
    {"main", "status:1", "Занято:  0 Байт  ", "Used:  0 bytes  "},
    {"main", "status:2", "Свободно:  0 Байт  ", "Free:  0 bytes  "},
    {"main", "status:3", "Общий объем памяти:  0 Байт  ", "Total memory:  0 bytes  "},
    {"settings", "title", "Настройки подключения", "Connection settings"},
    {"settings", "child:targetIpLabel", "Ip адрес", "IP address"},
    {"settings", "child:targetPortLabel", "Порт", "Port"},
    {"settings", "child:Ok", "Ok", "OK"},
    {"settings", "child:Cancel", "Отмена", "Cancel"},
    {"progress", "title", "Прогресс", "Progress"},
    {"progress", "child:progressName", "Загрузка файла...", "Transferring file..."},
    {"builder", "title", "Создание конфигураций", "Configuration builder"},
    {"builder", "tab:tabsConfuration:0", "Gpio", "Gpio"},
    {"builder", "tab:tabsConfuration:6", "Привязки DO", "DO links"},
    {"builder", "header:portsLeftGpio:1", "Порт", "Port"},
    {"builder", "child:NumDoRegistersText", "Количество регистров:", "Registers:"},
    {"builder", "child:AcceptNumDoRegisters", "Применить", "Apply"},
    {"builder", "child:AcceptLinksDo", "Получить из настроек GPIO и SPI DO", "Derive from GPIO and SPI DO"},
    {"builder", "child:loadConfigs", "Загрузить", "Load"},
    {"builder", "child:saveConfigs", "Сохранить", "Save"},
    {"builder", "child:fileMenu", "Файл", "File"},
    {"builder", "child:writeReport", "Отчёт…", "Report…"},
    {"builder", "child:showFindings", "Показать ошибки", "Show findings"},
    {"builder", "child:checkDock", "Проверка", "Check"},
    {"builder", "header:findings:0", "Место", "Place"},
    {"builder", "pin:47", "Аналоговый вход", "Analog input"},
    {"builder", "pin:48", "Порт не используется", "Pin not used"},
    {"builder", "finding:0", "аналоговый вход без строки в TiAdc", "analog input without a row in TiAdc"},
};

} // namespace

class TestWindowTexts : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { I18n::install(I18n::Language::Russian); }
    void texts_data();
    void texts();
};

void TestWindowTexts::texts_data()
{
    QTest::addColumn<I18n::Language>("language");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    for (const Case &c : kCases) {
        QTest::addRow("ru %s %s", c.window, c.key)
            << I18n::Language::Russian << c.window << c.key << QString::fromUtf8(c.russian);
        QTest::addRow("en %s %s", c.window, c.key)
            << I18n::Language::English << c.window << c.key << QString::fromUtf8(c.english);
    }
}

void TestWindowTexts::texts()
{
    QFETCH(I18n::Language, language);
    QFETCH(QString, window);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(I18n::install(language));
    if (window == QLatin1String("main")) {
        WindowHarness h;
        // Shown, so that the status labels stand in their order.
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.window));
        QCOMPARE(textOf(h.window, key, h.statusTexts()), expected);
    } else if (window == QLatin1String("settings")) {
        TempCwd cwd;
        FsManager link;
        ConnectionSettings dialog(nullptr, &link);
        QCOMPARE(textOf(dialog, key), expected);
    } else if (window == QLatin1String("progress")) {
        ProgressBarWindow dialog;
        QCOMPARE(textOf(dialog, key), expected);
    } else {
        ConfigsCreator builder;
        builder.fillAllTabs();
        // A discrete input made analogue without its TI ADC row: the check finds it.
        BuilderKit::chooseFunction(builder, 47, Functions::displayText(*Functions::findFunction(7)));
        builder.checkPanel().checkNow();
        QCOMPARE(textOf(builder, key), expected);
    }
}

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
