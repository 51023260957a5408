#include "builderkit.h"
#include "configscreator.h"
#include "datablocks.h"
#include "functioncatalogue.h"
#include "modalseam.h"
#include "pinmap.h"
#include "tab.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace BuilderKit;

namespace {
// What a user reads on a widget: the window's title, a label's or a button's text, a page's
// position and title among its tab widget's pages, a tree's header.
QString shownText(const QWidget &window, const QString &name)
{
    if (window.objectName() == name)
        return window.windowTitle();
    auto *widget = window.findChild<QWidget *>(name);
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        QStringList header;
        for (int column = 0; column < tree->columnCount(); ++column)
            header << tree->headerItem()->text(column);
        return header.join(QLatin1Char('|'));
    }
    // A page sits in its tab widget's stack.
    QWidget *stack = widget ? widget->parentWidget() : nullptr;
    if (auto *tabs = qobject_cast<QTabWidget *>(stack ? stack->parentWidget() : nullptr))
        return QStringLiteral("%1|%2").arg(tabs->indexOf(widget)).arg(tabs->tabText(tabs->indexOf(widget)));
    return QStringLiteral("<no such widget>");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestConfigsCreator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void texts_data();
    void texts();
    void tabs_data();
    void tabs();
    void editors_data();
    void editors();
    void namedFillsAndWritersAreTheirSections_data();
    void namedFillsAndWritersAreTheirSections();
    void namedSlotsDeriveTheirTab_data();
    void namedSlotsDeriveTheirTab();
    void slotsInMetaObjectOrder();
    void functionActions();
    void closingEmitsFinishedAndDeletes();
    void windowsAreIndependent();
    void languageChangeRestoresTextsButKeepsCounts();

private:
    // Every tab given one row from a file, shared by the tests that only look.
    std::unique_ptr<ConfigsCreator> filled;
};

void TestConfigsCreator::initTestCase()
{
    filled = std::make_unique<ConfigsCreator>();
    ConfigsCreator &window = *filled;
    window.fillAllTabs();
    window.fillDoRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{1, 4}}));
    window.fillDiRegTab(Blocks::encodeRecords(QVector<RegPortRecord>{{1, 1}}));
    window.fillAdcRegTab(Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 1, 1}}));
    window.fillAdcTiTab(Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 1, 12}}));
    window.fillPwmTab(Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 35, 100}}));
    for (auto fill : {&ConfigsCreator::fillDoLinksTab, &ConfigsCreator::fillDiLinksTab})
        (window.*fill)(Blocks::encodeRecords(QVector<DigitalLinkRecord>{{1, 1, 0}}));
    for (auto fill : {&ConfigsCreator::fillAiLinksTab, &ConfigsCreator::fillAoLinksTab})
        (window.*fill)(Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 1, 1}}));
}

void TestConfigsCreator::cleanupTestCase()
{
    filled.reset();
}

void TestConfigsCreator::texts_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("text");

    const auto row = [](const char *widget, const QString &text) { QTest::newRow(widget) << widget << text; };
    row("ConfigsCreator", "Создание конфигураций");
    row("loadConfigs", "Загрузить");
    row("saveConfigs", "Сохранить");
    const char *pages[] = {"gpioConfig",     "doRegConfig",    "diRegConfig",    "adcRegConfig",
                           "adcTiConfig",    "pwmConfig",      "doLinksConfigs", "diLinksConfigs",
                           "aiLinksConfigs", "aoLinksConfigs", "gpioX6",         "gpioX7",
                           "gpioX8",         "gpioX9",         "gpioNoX"};
    const QStringList titles = {"0|Gpio", "1|SPI DO",      "2|SPI DI",      "3|SPI ADC",     "4|TI ADC",
                                "5|PWM",  "6|Привязки DO", "7|Привязки DI", "8|Привязки AI", "9|Привязки AO",
                                "0|X6",   "1|X7",          "2|X8",          "3|X9",          "4|No X"};
    for (int page = 0; page < titles.size(); ++page)
        row(pages[page], titles.at(page));
    for (const char *suffix : {"", "_2", "_3", "_4", "_5"}) {
        for (const char *side : {"portsLeftGpio", "portsRightGpio"})
            QTest::addRow("%s%s", side, suffix)
                << QString::fromLatin1(side) + QLatin1String(suffix) << "№|Порт|Тип|Индекс";
    }
    row("portsDoReg", "Порт|Тип|Индекс");
    row("portsDiReg", "Порт|Тип|Индекс");
    row("portsAdcReg", "Порт|Индекс|Усиление|Смещение");
    row("portsAdcTi", "№|Порт|Индекс|Усиление|Смещение");
    row("portsPwm", "№|Порт|Индекс|Частота");
    for (const char *links : {"linksDo", "linksDi", "linksAi", "linksAo"})
        row(links, "№|Тип|Индекс");
    // The captions end with a blank.
    for (const char *caption : {"NumDigOutputsText", "NumPwmOutputsText", "NumLinksDoText", "NumLinksAoText"})
        row(caption, "Число выходов: ");
    for (const char *caption :
         {"NumDigInputsText", "NumAdcInputsText", "NumAdcTiInputsText", "NumLinksDiText", "NumLinksAiText"})
        row(caption, "Число входов: ");
    row("NumDoRegistersText", "Количество регистров:");
    row("NumDiRegistersText", "Количество регистров:");
    row("NumAdcRegistersText", "Количество АЦП:");
    for (const char *button : {"AcceptNumDoRegisters", "AcceptNumDiRegisters", "AcceptNumAdcRegisters"})
        row(button, "Применить");
    row("AcceptNumAdcTiInputs", "Получить из настроек GPIO");
    row("AcceptNumPwmOutputs", "Получить из настроек GPIO");
    row("AcceptLinksDo", "Получить из настроек GPIO и SPI DO");
    row("AcceptLinksDi", "Получить из настроек GPIO и SPI DI");
    row("AcceptLinksAi", "Получить из настроек GPIO и SPI ADC");
    row("AcceptLinksAo", "Получить из настроек GPIO");
}

void TestConfigsCreator::texts()
{
    QFETCH(QString, widget);
    QFETCH(QString, text);
    QCOMPARE(shownText(*filled, widget), text);
}

void TestConfigsCreator::tabs_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("count");     // the label that counts the rows
    QTest::addColumn<QString>("registers"); // the register count its button applies
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("rows"); // after the button, from one register or the pins below
    QTest::addColumn<QString>("file");

    const auto row = [](const char *name, const char *page, const char *tree, const char *count,
                        const char *registers, const char *button, int rows, const char *file) {
        QTest::newRow(name) << page << tree << count << registers << button << rows << file;
    };
    row("Gpio", "gpioConfig", "portsLeftGpio", "", "", "", 10, "GpioPortsSettings.vmc");
    row("SPI DO", "doRegConfig", "portsDoReg", "NumDigOutputs", "NumDoRegisters", "AcceptNumDoRegisters", 8,
        "doRegPortsSettings.vmc");
    row("SPI DI", "diRegConfig", "portsDiReg", "NumDigInputs", "NumDiRegisters", "AcceptNumDiRegisters", 8,
        "diRegPortsSettings.vmc");
    row("SPI ADC", "adcRegConfig", "portsAdcReg", "NumAdcInputs", "NumAdcRegisters", "AcceptNumAdcRegisters",
        8, "analogRegInputs.vmc");
    row("TI ADC", "adcTiConfig", "portsAdcTi", "NumAdcTiInputs", "", "AcceptNumAdcTiInputs", 1,
        "analogTiInputs.vmc");
    row("PWM", "pwmConfig", "portsPwm", "NumPwmOutputs", "", "AcceptNumPwmOutputs", 1,
        "pwmPortsSettings.vmc");
    row("DO links", "doLinksConfigs", "linksDo", "NumLinksDo", "", "AcceptLinksDo", 1, "digitalOutputs.vmc");
    row("DI links", "diLinksConfigs", "linksDi", "NumLinksDi", "", "AcceptLinksDi", 1, "digitalInputs.vmc");
    row("AI links", "aiLinksConfigs", "linksAi", "NumLinksAi", "", "AcceptLinksAi", 1, "analogInputs.vmc");
    row("AO links", "aoLinksConfigs", "linksAo", "NumLinksAo", "", "AcceptLinksAo", 1, "analogOutputs.vmc");
}

void TestConfigsCreator::tabs()
{
    QFETCH(QString, page);
    QFETCH(QString, tree);
    QFETCH(QString, count);
    QFETCH(QString, registers);
    QFETCH(QString, button);
    QFETCH(int, rows);
    QFETCH(QString, file);

    QTemporaryDir folder;
    ModalSeam::setHandler([&folder, &file](const ModalSeam::Request &request) {
        ModalSeam::Answer answer;
        answer.path = folder.path();
        answer.paths = QStringList{folder.filePath(file)};
        answer.button = request.icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
        return answer;
    });
    ConfigsCreator window;
    window.fillAllTabs();
    // It opens on the pins of the first connector.
    QCOMPARE(child<QTabWidget>(window, "tabsConfuration")->currentIndex(), 0);
    QCOMPARE(child<QTabWidget>(window, "boosterPacks")->currentIndex(), 0);

    // The page holds its widgets; every tab but the pins starts empty.
    auto *pageWidget = child<QWidget>(window, page);
    QTreeWidget *rowsTree = BuilderKit::tree(window, tree);
    QVERIFY(pageWidget && rowsTree && pageWidget->isAncestorOf(rowsTree));
    auto *label = count.isEmpty() ? nullptr : child<QLabel>(window, count);
    if (label) {
        QVERIFY(pageWidget->isAncestorOf(label));
        QCOMPARE(label->text(), QStringLiteral("0"));
        QCOMPARE(rowsTree->topLevelItemCount(), 0);
    }
    if (!registers.isEmpty()) {
        auto *spin = child<QSpinBox>(window, registers);
        QVERIFY(pageWidget->isAncestorOf(spin));
        QCOMPARE(spin->value(), 0);
        spin->setValue(1);
    }
    // Its button makes its rows from one register or from these pins: 42 analogue input, 43 PWM
    // output, 44 monostable output, 45 discrete input, all on the first page.
    window.fillGpioTab(gpioBlock({{42, {3, 7}}, {43, {4, 8}}, {44, {5, 4}}, {45, {6, 1}}}));
    if (!button.isEmpty()) {
        QVERIFY(pageWidget->isAncestorOf(child<QPushButton>(window, button)));
        press(window, button);
        QCOMPARE(label->text(), QString::number(rows));
    }
    QCOMPARE(rowsTree->topLevelItemCount(), rows);

    // On top, it is saved as its own file, which loads back into it.
    showTab(window, page);
    window.saveCurrentTabConfigs();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{file});
    const QByteArray saved = readFile(folder.filePath(file));
    ConfigsCreator copy;
    copy.fillAllTabs();
    copy.on_loadConfigs_clicked();
    QVERIFY(QFile::remove(folder.filePath(file)));
    showTab(copy, page);
    copy.saveCurrentTabConfigs();
    QCOMPARE(readFile(folder.filePath(file)), saved);
    ModalSeam::setHandler({});
}

void TestConfigsCreator::editors_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("decimals"); // -1: a function button
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<QString>("name");

    const auto row = [](const char *tree, int column, int decimals, double minimum, double maximum,
                        const char *name) {
        QTest::addRow("%s %d", tree, column) << tree << column << decimals << minimum << maximum << name;
    };
    row("portsLeftGpio", 2, -1, 0, 0, "");
    row("portsLeftGpio", 3, 0, 1, 65535, "gpioLeft");
    row("portsRightGpio_5", 3, 0, 1, 65535, "gpioRight");
    row("portsDoReg", 1, -1, 0, 0, "");
    row("portsDoReg", 2, 0, 1, 65535, "doReg");
    row("portsDiReg", 1, -1, 0, 0, "");
    row("portsDiReg", 2, 0, 1, 65535, "diReg");
    row("portsAdcReg", 1, 0, 1, 65535, "adcReg");
    row("portsAdcReg", 2, 6, 0.000001, 127, "adcReg");
    row("portsAdcReg", 3, 6, -127, 127, "adcReg");
    row("portsAdcTi", 2, 0, 1, 65535, "adcTi");
    row("portsAdcTi", 3, 6, 0.000001, 127, "adcTi");
    row("portsAdcTi", 4, 6, -127, 127, "adcTi");
    row("portsPwm", 2, 0, 1, 65535, "pwm");
    row("portsPwm", 3, 0, 1, 100000, "pwm");
    // Link indexes are as wide as their record field: 16 bits for digital links, 8 for analogue.
    row("linksDo", 1, 0, 0, 255, "DoLink");
    row("linksDo", 2, 0, 0, 65535, "DoLink");
    row("linksDi", 2, 0, 0, 65535, "DiLink");
    row("linksAi", 1, 0, 0, 255, "AiLink");
    row("linksAi", 2, 0, 0, 255, "AiLink");
    row("linksAo", 2, 0, 0, 255, "AoLink");
}

void TestConfigsCreator::editors()
{
    QFETCH(QString, tree);
    QFETCH(int, column);
    QFETCH(int, decimals);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(QString, name);

    QTreeWidget *rowsTree = BuilderKit::tree(*filled, tree);
    QTreeWidgetItem *item = rowsTree->topLevelItem(0);
    QWidget *editor = rowsTree->itemWidget(item, column);
    for (int text = 0; text < item->columnCount(); ++text)
        QCOMPARE(item->font(text).pointSize(), 11);
    if (decimals < 0) {
        auto *button = qobject_cast<QToolButton *>(editor);
        QVERIFY(button);
        QCOMPARE(button->iconSize(), QSize(24, 24));
        QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
        return;
    }
    auto *spin = qobject_cast<QAbstractSpinBox *>(editor);
    QVERIFY(spin);
    // The editor writes the column its what's-this string names.
    QCOMPARE(spin->whatsThis(), QString::number(column));
    QCOMPARE(spin->objectName(), name);
    QVERIFY(spin->isAccelerated());
    QCOMPARE(spin->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(spin->font().pointSize(), 11);
    if (decimals == 0) {
        auto *integer = qobject_cast<QSpinBox *>(spin);
        QVERIFY(integer);
        QCOMPARE(integer->minimum(), int(minimum));
        QCOMPARE(integer->maximum(), int(maximum));
    } else {
        auto *decimal = qobject_cast<QDoubleSpinBox *>(spin);
        QVERIFY(decimal);
        QCOMPARE(decimal->decimals(), decimals);
        QCOMPARE(decimal->minimum(), minimum);
        QCOMPARE(decimal->maximum(), maximum);
    }
}

void TestConfigsCreator::namedFillsAndWritersAreTheirSections_data()
{
    using Blocks::Section;
    QTest::addColumn<int>("section");
    QTest::addColumn<QByteArray>("block");

    // Blocks the tabs write back as they read them.
    GpioBlock pins;
    for (quint32 pin = 0; pin < quint32(Pins::kPinCount); ++pin) {
        pins.index[pin] = quint16(pin + 1);
        pins.code[pin] = Pins::isUnavailable(pin) ? 240 : 0;
    }
    pins.code[42] = 7;
    const QByteArray digitalLinks = Blocks::encodeRecords(QVector<DigitalLinkRecord>{{5, 1, 0}});
    const QByteArray analogLinks = Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 5, 1}});
    const QVector<QPair<Section, QByteArray>> rows = {
        {Section::Gpio, Blocks::encodeGpioBlock(pins)},
        {Section::RegDo, Blocks::encodeRecords(QVector<RegPortRecord>{{3, 4}})},
        {Section::RegDi, Blocks::encodeRecords(QVector<RegPortRecord>{{3, 1}})},
        {Section::RegAdc, Blocks::encodeRecords(QVector<AdcInputRecord>{{1.5f, 0, 2, 1}})},
        {Section::TiAdc, Blocks::encodeRecords(QVector<AdcInputRecord>{{1.5f, 0, 2, 12}})},
        {Section::PwmPorts, Blocks::encodeRecords(QVector<PwmPortRecord>{{2, 35, 100}})},
        {Section::DoLinks, digitalLinks},
        {Section::DiLinks, digitalLinks},
        {Section::AiLinks, analogLinks},
        {Section::AoLinks, analogLinks},
    };
    for (const auto &row : rows)
        QTest::newRow(qPrintable(Blocks::sectionInfo(row.first).name)) << int(row.first) << row.second;
}

void TestConfigsCreator::namedFillsAndWritersAreTheirSections()
{
    using Blocks::Section;
    QFETCH(int, section);
    QFETCH(QByteArray, block);

    struct Named
    {
        void (ConfigsCreator::*fill)(const QByteArray &) = nullptr;
        QByteArray (ConfigsCreator::*serialize)() const = nullptr;
    };
    const QMap<int, Named> named = {
        {int(Section::Gpio), {&ConfigsCreator::fillGpioTab, &ConfigsCreator::serializeGpioTab}},
        {int(Section::RegDo), {&ConfigsCreator::fillDoRegTab, &ConfigsCreator::serializeDoRegTab}},
        {int(Section::RegDi), {&ConfigsCreator::fillDiRegTab, &ConfigsCreator::serializeDiRegTab}},
        {int(Section::RegAdc), {&ConfigsCreator::fillAdcRegTab, &ConfigsCreator::serializeAdcRegTab}},
        {int(Section::TiAdc), {&ConfigsCreator::fillAdcTiTab, &ConfigsCreator::serializeAdcTiTab}},
        {int(Section::PwmPorts), {&ConfigsCreator::fillPwmTab, &ConfigsCreator::serializePwmTab}},
        {int(Section::DoLinks), {&ConfigsCreator::fillDoLinksTab, &ConfigsCreator::serializeDoLinksTab}},
        {int(Section::DiLinks), {&ConfigsCreator::fillDiLinksTab, &ConfigsCreator::serializeDiLinksTab}},
        {int(Section::AiLinks), {&ConfigsCreator::fillAiLinksTab, &ConfigsCreator::serializeAiLinksTab}},
        {int(Section::AoLinks), {&ConfigsCreator::fillAoLinksTab, &ConfigsCreator::serializeAoLinksTab}},
    };
    const Named pair = named.value(section);
    QVERIFY(pair.fill && pair.serialize);
    ConfigsCreator fresh;
    fresh.fillAllTabs();
    ConfigsCreator window;
    window.fillAllTabs();
    (window.*pair.fill)(block);
    QCOMPARE(window.tab(Section(section)).serialize(), block);
    QCOMPARE((window.*pair.serialize)(), block);
    // No other tab took the block.
    for (const Blocks::SectionInfo &other : Blocks::sections()) {
        if (int(other.section) != section)
            QCOMPARE(window.tab(other.section).serialize(), fresh.tab(other.section).serialize());
    }
}

void TestConfigsCreator::namedSlotsDeriveTheirTab_data()
{
    using Blocks::Section;
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<int>("section");

    QTest::newRow("TI ADC") << QByteArray("createAdcTiPortsFromGpioSettings") << int(Section::TiAdc);
    QTest::newRow("PWM") << QByteArray("createPwmPortsFromGpioSettings") << int(Section::PwmPorts);
    QTest::newRow("DO links") << QByteArray("createDoLinksFromGpioAndRegs") << int(Section::DoLinks);
    QTest::newRow("DI links") << QByteArray("createDiLinksFromGpioAndRegs") << int(Section::DiLinks);
    QTest::newRow("AI links") << QByteArray("createAiLinksFromGpioAndRegs") << int(Section::AiLinks);
    QTest::newRow("AO links") << QByteArray("createAoLinksFromGpioAndRegs") << int(Section::AoLinks);
}

void TestConfigsCreator::namedSlotsDeriveTheirTab()
{
    QFETCH(QByteArray, slot);
    QFETCH(int, section);

    // Four usable pins with the codes every derived tab is made from: a discrete output (4), a
    // discrete input (1), an analogue input (7) and an analogue output (8).
    QMap<int, QPair<int, int>> pins;
    const int codes[] = {4, 1, 7, 8};
    for (quint32 pin = 0; pins.size() < 4; ++pin) {
        if (!Pins::isUnavailable(pin))
            pins.insert(int(pin), {pins.size() + 1, codes[pins.size()]});
    }
    ConfigsCreator derived;
    ConfigsCreator named;
    for (ConfigsCreator *window : {&derived, &named}) {
        window->fillAllTabs();
        window->fillGpioTab(gpioBlock(pins));
    }
    const ModelIdFile::SectionBlocks before = named.blocks();
    derived.tab(Blocks::Section(section)).derive();
    QVERIFY(QMetaObject::invokeMethod(&named, slot.constData()));
    // The slot makes its own tab's rows as the tab's derivation does, and no other tab changes.
    QVERIFY(named.tab(Blocks::Section(section)).serialize() != before[std::size_t(section)]);
    QCOMPARE(named.blocks(), derived.blocks());
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
    QCOMPARE(allPinTexts(second).size(), 96);
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
