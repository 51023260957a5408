#include "configscreator.h"

#include "adctitab.h"
#include "checkpanel.h"
#include "datablocks.h"
#include "editwatcher.h"
#include "functioncatalogue.h"
#include "gpiotab.h"
#include "linktabs.h"
#include "modalseam.h"
#include "pwmtab.h"
#include "recoverystore.h"
#include "registertabs.h"
#include "treerows.h"
#include "ui_configscreator.h"

#include <QAction>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPair>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

using Blocks::Section;

namespace {
// The GPIO menu: the common functions at its top, then a submenu for each of these lists.
struct FunctionSubmenu
{
    Functions::FunctionList list;
    const char *title;
};
constexpr FunctionSubmenu kGpioSubmenus[] = {
    {Functions::FunctionList::DiscreteInput, QT_TRANSLATE_NOOP("ConfigsCreator", "Дискретный вход")},
    {Functions::FunctionList::DiscreteOutput, QT_TRANSLATE_NOOP("ConfigsCreator", "Дискретный выход")},
    {Functions::FunctionList::SpiDi, QT_TRANSLATE_NOOP("ConfigsCreator", "SPI Di регистров")},
    {Functions::FunctionList::SpiDo, QT_TRANSLATE_NOOP("ConfigsCreator", "SPI DO регистров")},
    {Functions::FunctionList::SpiAdc, QT_TRANSLATE_NOOP("ConfigsCreator", "SPI внешних ADC")},
    {Functions::FunctionList::Reset, QT_TRANSLATE_NOOP("ConfigsCreator", "Сброс в дефолт")},
};
} // namespace

ConfigsCreator::ConfigsCreator(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::ConfigsCreatorForm>())
{
    ui->setupUi(this);
    buildFunctionCatalogue();
    buildTabs();
    buildReportMenu();
    addShortcuts();
    describeControls();
    edits = new EditWatcher(this);
    for (QTreeWidget *tree : findChildren<QTreeWidget *>())
        edits->watch(tree);
    checks = new CheckPanel(
        this, *edits, [this] { return blocks(); },
        [this](const QVector<Checks::Place> &places) { return locate(places); });
    // A tab's button derives that tab; the named slots below do the same for their own tab.
    for (const TabRow &row : tabs) {
        if (QAbstractButton *button = row.tab->button()) {
            Tab *derived = row.tab.get();
            connect(button, &QAbstractButton::clicked, this, [derived] { derived->derive(); });
        }
    }
}

ConfigsCreator::~ConfigsCreator() = default;

template <typename T, typename... Args>
T &ConfigsCreator::addTab(Section section, QWidget *page, Args &&...args)
{
    // Every tab's editors report to the window.
    auto tab = std::make_unique<T>(this, std::forward<Args>(args)...);
    T &added = *tab;
    tabs.push_back(TabRow{section, page, std::move(tab)});
    return added;
}

void ConfigsCreator::buildTabs()
{
    using Widgets = ListTab::Widgets;
    Ui::ConfigsCreatorForm &f = *ui;
    // One row per tab, in section order: its section, its page and its own widgets (the derived
    // tabs also read the tabs they are made from).
    const QVector<GpioTab::ConnectorPage> connectors = {
        {PinGroup::X6, f.gpioX6, f.portsLeftGpio, f.portsRightGpio},
        {PinGroup::X7, f.gpioX7, f.portsLeftGpio_2, f.portsRightGpio_2},
        {PinGroup::X8, f.gpioX8, f.portsLeftGpio_3, f.portsRightGpio_3},
        {PinGroup::X9, f.gpioX9, f.portsLeftGpio_4, f.portsRightGpio_4},
        {PinGroup::NoX, f.gpioNoX, f.portsLeftGpio_5, f.portsRightGpio_5},
    };
    const GpioTab &pins = addTab<GpioTab>(Section::Gpio, f.gpioConfig, connectors);
    const RegisterTab &doRegisters = addTab<RegPortTab>(
        Section::RegDo, f.doRegConfig, Widgets{f.portsDoReg, f.NumDigOutputs, f.AcceptNumDoRegisters},
        f.NumDoRegisters, *Functions::contextOf(Section::RegDo), QStringLiteral("doReg"));
    const RegisterTab &diRegisters = addTab<RegPortTab>(
        Section::RegDi, f.diRegConfig, Widgets{f.portsDiReg, f.NumDigInputs, f.AcceptNumDiRegisters},
        f.NumDiRegisters, *Functions::contextOf(Section::RegDi), QStringLiteral("diReg"));
    const RegisterTab &adcRegisters =
        addTab<AdcRegTab>(Section::RegAdc, f.adcRegConfig,
                          Widgets{f.portsAdcReg, f.NumAdcInputs, f.AcceptNumAdcRegisters}, f.NumAdcRegisters);
    addTab<AdcTiTab>(Section::TiAdc, f.adcTiConfig,
                     Widgets{f.portsAdcTi, f.NumAdcTiInputs, f.AcceptNumAdcTiInputs}, pins);
    addTab<PwmTab>(Section::PwmPorts, f.pwmConfig,
                   Widgets{f.portsPwm, f.NumPwmOutputs, f.AcceptNumPwmOutputs}, pins);

    // The link tabs, in the order of their sections; each is made from the pins and from the
    // register tab its section follows.
    const QHash<int, const RegisterTab *> registerTabs = {{int(Section::RegDo), &doRegisters},
                                                          {int(Section::RegDi), &diRegisters},
                                                          {int(Section::RegAdc), &adcRegisters}};
    const struct
    {
        QWidget *page;
        Widgets widgets;
        QString editorName;
    } linkPages[] = {
        {f.doLinksConfigs, Widgets{f.linksDo, f.NumLinksDo, f.AcceptLinksDo}, QStringLiteral("DoLink")},
        {f.diLinksConfigs, Widgets{f.linksDi, f.NumLinksDi, f.AcceptLinksDi}, QStringLiteral("DiLink")},
        {f.aiLinksConfigs, Widgets{f.linksAi, f.NumLinksAi, f.AcceptLinksAi}, QStringLiteral("AiLink")},
        {f.aoLinksConfigs, Widgets{f.linksAo, f.NumLinksAo, f.AcceptLinksAo}, QStringLiteral("AoLink")},
    };
    std::size_t link = 0;
    for (const Derivations::LinkSource &source : Derivations::linkSources()) {
        const auto &page = linkPages[link++];
        addTab<LinkTab>(source.links, page.page, page.widgets, source.kind, page.editorName, pins,
                        source.registers ? registerTabs.value(int(*source.registers)) : nullptr);
    }

    Q_ASSERT(tabs.size() == std::size_t(Blocks::kSectionCount));
    for (std::size_t row = 0; row < tabs.size(); ++row)
        Q_ASSERT(tabs[row].section == Section(row));
}

void ConfigsCreator::addShortcuts()
{
    // Actions of the window rather than the buttons' own shortcuts: a button's text, which a
    // language change sets again, would replace its shortcut by its mnemonic.
    const struct
    {
        QKeySequence::StandardKey key;
        QPushButton *button;
    } keys[] = {{QKeySequence::Save, ui->saveConfigs}, {QKeySequence::Open, ui->loadConfigs}};
    for (const auto &key : keys) {
        auto *action = new QAction(this);
        action->setShortcut(key.key);
        connect(action, &QAction::triggered, key.button, &QAbstractButton::click);
        addAction(action);
    }
}

namespace {
// A label's text as the name of the control or figure it stands beside, without its colon.
QString labelName(const QLabel *label)
{
    QString text = label->text().trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}
} // namespace

void ConfigsCreator::describeControls()
{
    Ui::ConfigsCreatorForm &f = *ui;
    f.tabsConfuration->setAccessibleName(tr("Разделы конфигурации"));
    f.boosterPacks->setAccessibleName(tr("Разъёмы"));
    f.saveConfigs->setAccessibleDescription(
        tr("Сохраняет вкладку в её файл или всю конфигурацию в файл model id; Ctrl+S"));
    f.loadConfigs->setAccessibleDescription(tr("Загружает конфигурацию из файлов; Ctrl+O"));

    // The register counts are named by the labels beside them, the row counts described by theirs.
    const QPair<QWidget *, QLabel *> counts[] = {
        {f.NumDoRegisters, f.NumDoRegistersText},
        {f.NumDiRegisters, f.NumDiRegistersText},
        {f.NumAdcRegisters, f.NumAdcRegistersText},
    };
    for (const auto &count : counts)
        count.first->setAccessibleName(labelName(count.second));
    const QPair<QLabel *, QLabel *> rowCounts[] = {
        {f.NumDigOutputs, f.NumDigOutputsText}, {f.NumDigInputs, f.NumDigInputsText},
        {f.NumAdcInputs, f.NumAdcInputsText},   {f.NumAdcTiInputs, f.NumAdcTiInputsText},
        {f.NumPwmOutputs, f.NumPwmOutputsText}, {f.NumLinksDo, f.NumLinksDoText},
        {f.NumLinksDi, f.NumLinksDiText},       {f.NumLinksAi, f.NumLinksAiText},
        {f.NumLinksAo, f.NumLinksAoText},
    };
    for (const auto &count : rowCounts)
        count.first->setAccessibleDescription(labelName(count.second));

    // Each tree by its tab (and connector and side); its editors by their rows and columns.
    for (const TabRow &row : tabs) {
        if (QTreeWidget *tree = row.tab->tree())
            tree->setAccessibleName(
                tr("Строки вкладки %1")
                    .arg(f.tabsConfuration->tabText(f.tabsConfuration->indexOf(row.page))));
    }
    for (const GpioTab::PageTree &pageTree : GpioTab::pageTrees(f.boosterPacks)) {
        const QString connector = f.boosterPacks->tabText(f.boosterPacks->indexOf(pageTree.page));
        pageTree.tree->setAccessibleName(pageTree.left ? tr("Выводы %1, левый столбец").arg(connector)
                                                       : tr("Выводы %1, правый столбец").arg(connector));
    }
    for (QTreeWidget *tree : findChildren<TreeRows::EditorTree *>())
        TreeRows::nameEditors(tree);
}

Tab &ConfigsCreator::tab(Section section) const
{
    return *tabs[std::size_t(section)].tab;
}

QVector<FindingTarget> ConfigsCreator::locate(const QVector<Checks::Place> &places) const
{
    using Kind = Checks::Place::Kind;
    // A tab's record rows are found once for all its findings.
    QHash<int, QVector<QTreeWidgetItem *>> recordRows;
    QVector<FindingTarget> targets;
    targets.reserve(places.size());
    for (const Checks::Place &place : places) {
        FindingTarget target;
        if (place.kind == Kind::File || place.kind == Kind::Header || place.kind == Kind::HeaderEntry) {
            targets.append(target); // a window has no file header
            continue;
        }
        const TabRow &row = tabs[std::size_t(place.kind == Kind::Pin ? Section::Gpio : place.section)];
        target.page = row.page;
        if (place.kind == Kind::Pin) {
            target.row = row.tab->pinRow(quint32(place.index));
        } else if (place.kind == Kind::Record) {
            auto rows = recordRows.find(int(place.section));
            if (rows == recordRows.end())
                rows = recordRows.insert(int(place.section), row.tab->recordRows());
            target.row = rows->value(place.index);
        }
        target.tree = target.row ? target.row->treeWidget() : row.tab->tree();
        targets.append(target);
    }
    return targets;
}

ModelIdFile::SectionBlocks ConfigsCreator::blocks() const
{
    ModelIdFile::SectionBlocks blocks;
    for (const TabRow &row : tabs)
        blocks[std::size_t(row.section)] = row.tab->serialize();
    return blocks;
}

void ConfigsCreator::fillAllTabs()
{
    // Every pin unused; an empty block leaves a tab of records as it starts, without rows.
    for (const TabRow &row : tabs)
        row.tab->fill(Blocks::emptyBlock(row.section));
}

// The window's named fills and writers, each its section's tab's own.
void ConfigsCreator::fillGpioTab(const QByteArray &block)
{
    tab(Section::Gpio).fill(block);
}

void ConfigsCreator::fillDoRegTab(const QByteArray &block)
{
    tab(Section::RegDo).fill(block);
}

void ConfigsCreator::fillDiRegTab(const QByteArray &block)
{
    tab(Section::RegDi).fill(block);
}

void ConfigsCreator::fillAdcRegTab(const QByteArray &block)
{
    tab(Section::RegAdc).fill(block);
}

void ConfigsCreator::fillAdcTiTab(const QByteArray &block)
{
    tab(Section::TiAdc).fill(block);
}

void ConfigsCreator::fillPwmTab(const QByteArray &block)
{
    tab(Section::PwmPorts).fill(block);
}

void ConfigsCreator::fillDoLinksTab(const QByteArray &block)
{
    tab(Section::DoLinks).fill(block);
}

void ConfigsCreator::fillDiLinksTab(const QByteArray &block)
{
    tab(Section::DiLinks).fill(block);
}

void ConfigsCreator::fillAiLinksTab(const QByteArray &block)
{
    tab(Section::AiLinks).fill(block);
}

void ConfigsCreator::fillAoLinksTab(const QByteArray &block)
{
    tab(Section::AoLinks).fill(block);
}

QByteArray ConfigsCreator::serializeGpioTab() const
{
    return tab(Section::Gpio).serialize();
}

QByteArray ConfigsCreator::serializeDoRegTab() const
{
    return tab(Section::RegDo).serialize();
}

QByteArray ConfigsCreator::serializeDiRegTab() const
{
    return tab(Section::RegDi).serialize();
}

QByteArray ConfigsCreator::serializeAdcRegTab() const
{
    return tab(Section::RegAdc).serialize();
}

QByteArray ConfigsCreator::serializeAdcTiTab() const
{
    return tab(Section::TiAdc).serialize();
}

QByteArray ConfigsCreator::serializePwmTab() const
{
    return tab(Section::PwmPorts).serialize();
}

QByteArray ConfigsCreator::serializeDoLinksTab() const
{
    return tab(Section::DoLinks).serialize();
}

QByteArray ConfigsCreator::serializeDiLinksTab() const
{
    return tab(Section::DiLinks).serialize();
}

QByteArray ConfigsCreator::serializeAiLinksTab() const
{
    return tab(Section::AiLinks).serialize();
}

QByteArray ConfigsCreator::serializeAoLinksTab() const
{
    return tab(Section::AoLinks).serialize();
}

void ConfigsCreator::changeNumRegisters()
{
    // The register tab whose "Применить" was pressed.
    for (const TabRow &row : tabs) {
        if (sender() && row.tab->button() == sender() && dynamic_cast<RegisterTab *>(row.tab.get()))
            row.tab->derive();
    }
}

void ConfigsCreator::createAdcTiPortsFromGpioSettings()
{
    tab(Section::TiAdc).derive();
}

void ConfigsCreator::createPwmPortsFromGpioSettings()
{
    tab(Section::PwmPorts).derive();
}

void ConfigsCreator::createDoLinksFromGpioAndRegs()
{
    tab(Section::DoLinks).derive();
}

void ConfigsCreator::createDiLinksFromGpioAndRegs()
{
    tab(Section::DiLinks).derive();
}

void ConfigsCreator::createAiLinksFromGpioAndRegs()
{
    tab(Section::AiLinks).derive();
}

void ConfigsCreator::createAoLinksFromGpioAndRegs()
{
    tab(Section::AoLinks).derive();
}

void ConfigsCreator::buildFunctionCatalogue()
{
    // The window's action of every catalogue function; the lists share them.
    QHash<int, QAction *> actionsByCode;
    for (const Functions::FunctionInfo &info : Functions::catalogue()) {
        auto *action = new QAction(QIcon(info.iconPath), Functions::displayText(info), this);
        // The what's-this string is the one place an action carries its code.
        action->setWhatsThis(QString::number(info.code));
        actionsByCode.insert(info.code, action);
    }
    for (std::size_t list = 0; list < functionLists.size(); ++list) {
        functionLists[list].clear();
        for (int code : Functions::codesOf(Functions::FunctionList(list)))
            functionLists[list].append(actionsByCode.value(code));
    }
}

const QList<QAction *> &ConfigsCreator::functions(Functions::FunctionList list) const
{
    return functionLists[std::size_t(list)];
}

QAction *ConfigsCreator::findFunction(const QList<QAction *> &list, int code)
{
    for (QAction *action : list) {
        bool ok = false;
        if (action && action->whatsThis().toInt(&ok, 10) == code && ok)
            return action;
    }
    return nullptr;
}

QString ConfigsCreator::pinName(quint32 number) const
{
    return Pins::pinName(number);
}

void ConfigsCreator::createTypeMenu(bool)
{
    auto *button = qobject_cast<QToolButton *>(sender());
    if (!button || !button->parentWidget())
        return;
    auto *tree = qobject_cast<QTreeWidget *>(button->parentWidget()->parentWidget());
    if (!tree)
        return;
    // The tab whose tree holds the button says what its rows offer; other tabs' rows offer nothing.
    std::optional<FunctionColumn> offered;
    for (auto row = tabs.cbegin(); !offered && row != tabs.cend(); ++row)
        offered = row->tab->functionColumn(tree);
    if (!offered || !TreeRows::itemOfEditor(button, offered->column))
        return;
    const int column = offered->column;

    auto *menu = new QMenu(this);
    using Functions::FunctionList;
    switch (offered->context) {
    case Functions::Context::GpioPin:
        menu->addActions(functions(FunctionList::Common));
        for (const FunctionSubmenu &submenu : kGpioSubmenus)
            menu->addMenu(tr(submenu.title))->addActions(functions(submenu.list));
        break;
    case Functions::Context::DoRegister:
        menu->addActions(functions(FunctionList::DoReg));
        break;
    case Functions::Context::DiRegister:
        menu->addActions(functions(FunctionList::DiReg));
        break;
    }

    const QPoint below = tree->viewport()->mapToGlobal(button->geometry().bottomLeft());
    // The menu runs its own event loop; the row may be gone by the time it returns.
    const QPointer<QToolButton> guard(button);
    QAction *chosen = ModalSeam::execMenu(menu, below);
    if (chosen && guard) {
        if (QTreeWidgetItem *item = TreeRows::itemOfEditor(button, column)) {
            item->setText(column, chosen->whatsThis());
            button->setToolTip(chosen->text());
            button->setIcon(chosen->icon());
        }
    }
    menu->deleteLater();
}

void ConfigsCreator::indexValueChanged(const QString &NewValue)
{
    QString value = NewValue;
    QWidget *editor = qobject_cast<QSpinBox *>(sender());
    if (!editor) {
        editor = qobject_cast<QDoubleSpinBox *>(sender());
        if (!editor)
            return;
        // Rows always store a decimal point, whatever the locale displays.
        value.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const int column = editor->whatsThis().toInt(&ok, 10);
    if (!ok)
        return;
    QTreeWidget *tree = nullptr;
    QTreeWidgetItem *item = TreeRows::itemOfEditor(editor, column, &tree);
    if (!item || column < 0 || column >= tree->columnCount())
        return;
    item->setText(column, value);
}

void ConfigsCreator::closeEvent(QCloseEvent *event)
{
    endRecovery();
    emit finished();
    QMainWindow::closeEvent(event);
}

void ConfigsCreator::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        describeControls();
        if (checks)
            checks->retranslate();
        if (fileMenu)
            retranslateReportMenu();
    }
    QMainWindow::changeEvent(event);
}

void ConfigsCreator::modelIdChanged(int value)
{
    modelId = quint8(value & 0xFF);
    edits->note();
}
