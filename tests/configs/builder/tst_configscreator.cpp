#include "configscreator.h"
#include "functioncatalogue.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {
template <typename T> T *child(QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("missing child %s", name);
    return found;
}

QStringList headerTexts(const QTreeWidget *tree)
{
    QStringList texts;
    for (int column = 0; column < tree->columnCount(); ++column)
        texts << tree->headerItem()->text(column);
    return texts;
}

int gpioRowCount(ConfigsCreator &window)
{
    int rows = 0;
    for (QTreeWidget *tree : window.findChildren<QTreeWidget *>()) {
        if (tree->objectName().startsWith(QLatin1String("ports")) &&
            tree->objectName().contains(QLatin1String("Gpio")))
            rows += tree->topLevelItemCount();
    }
    return rows;
}
} // namespace

class TestConfigsCreator : public QObject
{
    Q_OBJECT

private slots:
    void formLayout();
    void treesAndHeaders();
    void controlRows_data();
    void controlRows();
    void slotsInMetaObjectOrder();
    void functionActions();
    void closingEmitsFinishedAndDeletes();
    void windowsAreIndependent();
    void languageChangeRestoresTextsButKeepsCounts();
};

void TestConfigsCreator::formLayout()
{
    ConfigsCreator window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Создание конфигураций"));
    QCOMPARE(window.size(), QSize(709, 454));
    QVERIFY(child<QMenuBar>(window, "menubar"));
    QVERIFY(child<QStatusBar>(window, "statusbar"));
    QCOMPARE(child<QPushButton>(window, "loadConfigs")->text(), QStringLiteral("Загрузить"));
    QCOMPARE(child<QPushButton>(window, "saveConfigs")->text(), QStringLiteral("Сохранить"));

    auto *tabs = child<QTabWidget>(window, "tabsConfuration");
    QVERIFY(tabs);
    const QStringList pages = {"gpioConfig",     "doRegConfig",   "diRegConfig",    "adcRegConfig",
                               "adcTiConfig",    "pwmConfig",     "doLinksConfigs", "diLinksConfigs",
                               "aiLinksConfigs", "aoLinksConfigs"};
    const QStringList titles = {"Gpio", "SPI DO",      "SPI DI",      "SPI ADC",     "TI ADC",
                                "PWM",  "Привязки DO", "Привязки DI", "Привязки AI", "Привязки AO"};
    QCOMPARE(tabs->count(), pages.size());
    for (int i = 0; i < tabs->count(); ++i) {
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
        QCOMPARE(tabs->tabText(i), titles.at(i));
    }
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->documentMode());
    QVERIFY(tabs->usesScrollButtons());
    QCOMPARE(tabs->elideMode(), Qt::ElideNone);
    QVERIFY(!tabs->tabsClosable());
    QVERIFY(!tabs->isMovable());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *boosterPacks = child<QTabWidget>(window, "boosterPacks");
    QVERIFY(boosterPacks);
    QCOMPARE(boosterPacks->parentWidget(), tabs->widget(0));
    const QStringList connectorPages = {"gpioX6", "gpioX7", "gpioX8", "gpioX9", "gpioNoX"};
    const QStringList connectorTitles = {"X6", "X7", "X8", "X9", "No X"};
    const QStringList suffixes = {"", "_2", "_3", "_4", "_5"};
    QCOMPARE(boosterPacks->count(), 5);
    QCOMPARE(boosterPacks->currentIndex(), 0);
    QVERIFY(boosterPacks->documentMode());
    for (int i = 0; i < boosterPacks->count(); ++i) {
        QWidget *page = boosterPacks->widget(i);
        QCOMPARE(page->objectName(), connectorPages.at(i));
        QCOMPARE(boosterPacks->tabText(i), connectorTitles.at(i));
        auto *left = window.findChild<QTreeWidget *>(QStringLiteral("portsLeftGpio") + suffixes.at(i));
        auto *right = window.findChild<QTreeWidget *>(QStringLiteral("portsRightGpio") + suffixes.at(i));
        QVERIFY(left && right);
        QCOMPARE(left->parentWidget(), page);
        QCOMPARE(right->parentWidget(), page);
        // Left tree in grid column 0, right tree in column 1.
        boosterPacks->setCurrentIndex(i);
        QVERIFY(left->geometry().right() < right->geometry().left());
    }
}

void TestConfigsCreator::treesAndHeaders()
{
    ConfigsCreator window;
    const QStringList gpio = {"№", "Порт", "Тип", "Индекс"};
    const QMap<QString, QStringList> headers = {
        {"portsLeftGpio", gpio},
        {"portsRightGpio_5", gpio},
        {"portsDoReg", {"Порт", "Тип", "Индекс"}},
        {"portsDiReg", {"Порт", "Тип", "Индекс"}},
        {"portsAdcReg", {"Порт", "Индекс", "Усиление", "Смещение"}},
        {"portsAdcTi", {"№", "Порт", "Индекс", "Усиление", "Смещение"}},
        {"portsPwm", {"№", "Порт", "Индекс", "Частота"}},
        {"linksDo", {"№", "Тип", "Индекс"}},
        {"linksDi", {"№", "Тип", "Индекс"}},
        {"linksAi", {"№", "Тип", "Индекс"}},
        {"linksAo", {"№", "Тип", "Индекс"}},
    };
    for (auto it = headers.cbegin(); it != headers.cend(); ++it) {
        auto *tree = window.findChild<QTreeWidget *>(it.key());
        QVERIFY2(tree, qPrintable(it.key()));
        QCOMPARE(headerTexts(tree), it.value());
    }
    const QList<QTreeWidget *> trees = window.findChildren<QTreeWidget *>();
    QCOMPARE(trees.size(), 19);
    for (QTreeWidget *tree : trees) {
        QVERIFY2(!tree->rootIsDecorated(), qPrintable(tree->objectName()));
        QCOMPARE(tree->iconSize(), QSize(24, 24));
        QCOMPARE(tree->header()->defaultSectionSize(), 80);
        QVERIFY(!tree->header()->stretchLastSection());
        if (tree->objectName().contains(QLatin1String("Gpio")))
            QCOMPARE(headerTexts(tree), gpio);
    }
}

void TestConfigsCreator::controlRows_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QStringList>("labels"); // name=text pairs, left to right
    QTest::addColumn<QString>("spinBox");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("buttonText");

    QTest::newRow("SPI DO") << "doRegConfig"
                            << "portsDoReg"
                            << QStringList{"NumDigOutputsText=Число выходов: ", "NumDigOutputs=0",
                                           "NumDoRegistersText=Количество регистров:"}
                            << "NumDoRegisters"
                            << "AcceptNumDoRegisters"
                            << "Применить";
    QTest::newRow("SPI DI") << "diRegConfig"
                            << "portsDiReg"
                            << QStringList{"NumDigInputsText=Число входов: ", "NumDigInputs=0",
                                           "NumDiRegistersText=Количество регистров:"}
                            << "NumDiRegisters"
                            << "AcceptNumDiRegisters"
                            << "Применить";
    QTest::newRow("SPI ADC") << "adcRegConfig"
                             << "portsAdcReg"
                             << QStringList{"NumAdcInputsText=Число входов: ", "NumAdcInputs=0",
                                            "NumAdcRegistersText=Количество АЦП:"}
                             << "NumAdcRegisters"
                             << "AcceptNumAdcRegisters"
                             << "Применить";
    QTest::newRow("TI ADC") << "adcTiConfig"
                            << "portsAdcTi"
                            << QStringList{"NumAdcTiInputsText=Число входов: ", "NumAdcTiInputs=0"} << ""
                            << "AcceptNumAdcTiInputs"
                            << "Получить из настроек GPIO";
    QTest::newRow("PWM") << "pwmConfig"
                         << "portsPwm" << QStringList{"NumPwmOutputsText=Число выходов: ", "NumPwmOutputs=0"}
                         << ""
                         << "AcceptNumPwmOutputs"
                         << "Получить из настроек GPIO";
    QTest::newRow("DO links") << "doLinksConfigs"
                              << "linksDo" << QStringList{"NumLinksDoText=Число выходов: ", "NumLinksDo=0"}
                              << ""
                              << "AcceptLinksDo"
                              << "Получить из настроек GPIO и SPI DO";
    QTest::newRow("DI links") << "diLinksConfigs"
                              << "linksDi" << QStringList{"NumLinksDiText=Число входов: ", "NumLinksDi=0"}
                              << ""
                              << "AcceptLinksDi"
                              << "Получить из настроек GPIO и SPI DI";
    QTest::newRow("AI links") << "aiLinksConfigs"
                              << "linksAi" << QStringList{"NumLinksAiText=Число входов: ", "NumLinksAi=0"}
                              << ""
                              << "AcceptLinksAi"
                              << "Получить из настроек GPIO и SPI ADC";
    QTest::newRow("AO links") << "aoLinksConfigs"
                              << "linksAo" << QStringList{"NumLinksAoText=Число выходов: ", "NumLinksAo=0"}
                              << ""
                              << "AcceptLinksAo"
                              << "Получить из настроек GPIO";
}

void TestConfigsCreator::controlRows()
{
    QFETCH(QString, page);
    QFETCH(QString, tree);
    QFETCH(QStringList, labels);
    QFETCH(QString, spinBox);
    QFETCH(QString, button);
    QFETCH(QString, buttonText);

    ConfigsCreator window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabsConfuration"));
    auto *pageWidget = window.findChild<QWidget *>(page);
    QVERIFY(pageWidget);
    tabs->setCurrentWidget(pageWidget);

    auto *treeWidget = pageWidget->findChild<QTreeWidget *>(tree);
    QVERIFY(treeWidget);
    QCOMPARE(treeWidget->topLevelItemCount(), 0);
    // The controls sit in one row below the tree, from left to right.
    QList<QWidget *> row;
    for (const QString &pair : labels) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        auto *label = pageWidget->findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), pair.section(QLatin1Char('='), 1));
        QCOMPARE(label->font().pointSize(), 10);
        if (!name.endsWith(QLatin1String("Text")))
            QCOMPARE(label->alignment(), Qt::AlignCenter);
        row << label;
    }
    if (!spinBox.isEmpty()) {
        auto *spin = pageWidget->findChild<QSpinBox *>(spinBox);
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), 99);
        QCOMPARE(spin->value(), 0);
        QCOMPARE(spin->minimumWidth(), 50);
        QCOMPARE(spin->font().pointSize(), 10);
        QCOMPARE(spin->alignment(), Qt::AlignCenter);
        QVERIFY(!spin->wrapping());
        QVERIFY(spin->suffix().isEmpty());
        QVERIFY(!spin->isGroupSeparatorShown());
        row << spin;
    }
    auto *push = pageWidget->findChild<QPushButton *>(button);
    QVERIFY(push);
    QCOMPARE(push->text(), buttonText);
    row << push;
    for (QWidget *widget : row)
        QVERIFY(widget->geometry().top() >= treeWidget->geometry().bottom());
    for (int i = 1; i < row.size(); ++i)
        QVERIFY(row.at(i - 1)->geometry().right() < row.at(i)->geometry().left());
}

void TestConfigsCreator::slotsInMetaObjectOrder()
{
    const QMetaObject *meta = &ConfigsCreator::staticMetaObject;
    QStringList signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        signatures << QString::fromLatin1(meta->method(i).methodSignature());
    const QStringList expected = {
        "finished()",
        "indexValueChanged(QString)",
        "createTypeMenu(bool)",
        "on_saveConfigs_clicked()",
        "on_loadConfigs_clicked()",
        "saveCurrentTabConfigs()",
        "saveToModelIdFile()",
        "changeNumRegisters()",
        "createAdcTiPortsFromGpioSettings()",
        "createPwmPortsFromGpioSettings()",
        "createDoLinksFromGpioAndRegs()",
        "createDiLinksFromGpioAndRegs()",
        "createAiLinksFromGpioAndRegs()",
        "createAoLinksFromGpioAndRegs()",
        "modelIdChanged(int)",
    };
    QCOMPARE(signatures, expected);
    QCOMPARE(meta->method(meta->methodOffset()).methodType(), QMetaMethod::Signal);
}

void TestConfigsCreator::functionActions()
{
    ConfigsCreator window;
    const QList<QAction *> actions = window.findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly);
    QList<int> codes;
    for (QAction *action : actions) {
        bool ok = false;
        const int code = action->whatsThis().toInt(&ok);
        if (!ok)
            continue;
        codes << code;
        const Functions::FunctionInfo *info = Functions::findFunction(code);
        QVERIFY(info);
        QCOMPARE(action->text(), info->text);
        // The picture is really there: an icon from a missing resource has no sizes.
        QVERIFY2(!action->icon().availableSizes().isEmpty(), qPrintable(info->iconPath));
    }
    QList<int> catalogueOrder;
    for (const Functions::FunctionInfo &info : Functions::catalogue())
        catalogueOrder << info.code;
    QCOMPARE(codes, catalogueOrder);
    QVERIFY(ConfigsCreator::findFunction(actions, 25));
    QCOMPARE(ConfigsCreator::findFunction(actions, 25)->whatsThis(), QStringLiteral("25"));
    QVERIFY(!ConfigsCreator::findFunction(actions, 20));
    QVERIFY(!ConfigsCreator::findFunction(QList<QAction *>(), 0));
    QCOMPARE(window.pinName(81), QStringLiteral("PN 1"));
    QCOMPARE(window.pinName(80), QStringLiteral("PG 1 (X7-01)"));
    QCOMPARE(window.pinName(0), QStringLiteral("NOT AVAI"));
    QVERIFY(window.pinName(96).isEmpty());
}

void TestConfigsCreator::closingEmitsFinishedAndDeletes()
{
    // Opened the way the main window opens it: no parent, deleted through finished().
    QPointer<ConfigsCreator> window = new ConfigsCreator();
    connect(window, &ConfigsCreator::finished, window, &QObject::deleteLater);
    QSignalSpy finished(window, &ConfigsCreator::finished);
    window->fillAllTabs();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->close());
    QCOMPARE(finished.count(), 1);
    QVERIFY(window); // not deleted inside its own close handling
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
}

void TestConfigsCreator::windowsAreIndependent()
{
    auto first = std::make_unique<ConfigsCreator>();
    ConfigsCreator second;
    first->fillAllTabs();
    second.fillAllTabs();
    QByteArray block(296, '\0');
    block[192 + 3] = char(7);
    first->fillGpioTab(block);
    auto pin3 = [](ConfigsCreator &window) {
        return window.findChild<QTreeWidget *>(QStringLiteral("portsLeftGpio_3"))->topLevelItem(2);
    };
    QCOMPARE(pin3(*first)->text(0), QStringLiteral("3"));
    QCOMPARE(pin3(*first)->text(2), QStringLiteral("7"));
    QCOMPARE(pin3(second)->text(2), QStringLiteral("0"));

    QSignalSpy secondFinished(&second, &ConfigsCreator::finished);
    first->close();
    first.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(secondFinished.count(), 0);
    QCOMPARE(gpioRowCount(second), 96);
    QCOMPARE(pin3(second)->text(2), QStringLiteral("0"));
}

void TestConfigsCreator::languageChangeRestoresTextsButKeepsCounts()
{
    ConfigsCreator window;
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabsConfuration"));
    auto *caption = window.findChild<QLabel *>(QStringLiteral("NumLinksDoText"));
    auto *count = window.findChild<QLabel *>(QStringLiteral("NumLinksDo"));
    auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("portsPwm"));
    tabs->setTabText(5, QStringLiteral("x"));
    caption->setText(QStringLiteral("x"));
    tree->headerItem()->setText(3, QStringLiteral("x"));
    window.setWindowTitle(QStringLiteral("x"));
    count->setText(QStringLiteral("5")); // a live count, as a tab would show it

    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&window, &change);

    QCOMPARE(tabs->tabText(5), QStringLiteral("PWM"));
    QCOMPARE(caption->text(), QStringLiteral("Число выходов: "));
    QCOMPARE(tree->headerItem()->text(3), QStringLiteral("Частота"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Создание конфигураций"));
    QCOMPARE(count->text(), QStringLiteral("5"));
}

QTEST_MAIN(TestConfigsCreator)
#include "tst_configscreator.moc"
