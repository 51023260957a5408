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
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

using Blocks::Section;

ConfigsCreator::ConfigsCreator(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::ConfigsCreatorForm>())
{
    ui->setupUi(this);
    buildPinMaps();
    buildFunctionCatalogue();
    buildTabs();
    buildReportMenu();
    edits = new EditWatcher(this);
    for (QTreeWidget *tree : findChildren<QTreeWidget *>())
        edits->watch(tree);
    checks = new CheckPanel(
        this, *edits, [this] { return blocks(); },
        [this](const QVector<Checks::Place> &places) { return locate(places); });
    for (const TabRow &row : tabs) {
        QAbstractButton *button = row.tab->button();
        if (!button)
            continue;
        if (row.buttonSlot) {
            connect(button, &QAbstractButton::clicked, this, row.buttonSlot);
        } else {
            Tab *tab = row.tab.get();
            connect(button, &QAbstractButton::clicked, this, [tab] { tab->derive(); });
        }
    }
}

ConfigsCreator::~ConfigsCreator() = default;

template <typename T, typename... Args>
T &ConfigsCreator::addTab(Section section, QWidget *page, void (ConfigsCreator::*buttonSlot)(),
                          Args &&...args)
{
    // Every tab's editors report to the window.
    auto tab = std::make_unique<T>(this, std::forward<Args>(args)...);
    T &added = *tab;
    tabs.push_back(TabRow{section, page, buttonSlot, std::move(tab)});
    return added;
}

void ConfigsCreator::buildTabs()
{
    using Widgets = ListTab::Widgets;
    Ui::ConfigsCreatorForm &f = *ui;
    // One row per tab, in section order: its section, its page, the slot of its button, and its
    // own widgets (the derived tabs also read the tabs they are made from).
    const GpioTab &pins = addTab<GpioTab>(Section::Gpio, f.gpioConfig, nullptr, f.boosterPacks,
                                          [this](PinGroup group) -> const PinMap & { return pinMap(group); });
    const RegisterTab &doRegisters =
        addTab<RegPortTab>(Section::RegDo, f.doRegConfig, &ConfigsCreator::changeNumRegisters,
                           Widgets{f.portsDoReg, f.NumDigOutputs, f.AcceptNumDoRegisters}, f.NumDoRegisters,
                           *Functions::contextOf(Section::RegDo), QStringLiteral("doReg"));
    const RegisterTab &diRegisters =
        addTab<RegPortTab>(Section::RegDi, f.diRegConfig, &ConfigsCreator::changeNumRegisters,
                           Widgets{f.portsDiReg, f.NumDigInputs, f.AcceptNumDiRegisters}, f.NumDiRegisters,
                           *Functions::contextOf(Section::RegDi), QStringLiteral("diReg"));
    const RegisterTab &adcRegisters =
        addTab<AdcRegTab>(Section::RegAdc, f.adcRegConfig, &ConfigsCreator::changeNumRegisters,
                          Widgets{f.portsAdcReg, f.NumAdcInputs, f.AcceptNumAdcRegisters}, f.NumAdcRegisters);
    addTab<AdcTiTab>(Section::TiAdc, f.adcTiConfig, &ConfigsCreator::createAdcTiPortsFromGpioSettings,
                     Widgets{f.portsAdcTi, f.NumAdcTiInputs, f.AcceptNumAdcTiInputs}, pins);
    addTab<PwmTab>(Section::PwmPorts, f.pwmConfig, &ConfigsCreator::createPwmPortsFromGpioSettings,
                   Widgets{f.portsPwm, f.NumPwmOutputs, f.AcceptNumPwmOutputs}, pins);

    // The link tabs, in the order of their sections; each is made from the pins and from the
    // register tab its section follows.
    const QHash<int, const RegisterTab *> registerTabs = {{int(Section::RegDo), &doRegisters},
                                                          {int(Section::RegDi), &diRegisters},
                                                          {int(Section::RegAdc), &adcRegisters}};
    const struct
    {
        QWidget *page;
        void (ConfigsCreator::*buttonSlot)();
        Widgets widgets;
        QString editorName;
    } linkPages[] = {
        {f.doLinksConfigs, &ConfigsCreator::createDoLinksFromGpioAndRegs,
         Widgets{f.linksDo, f.NumLinksDo, f.AcceptLinksDo}, QStringLiteral("DoLink")},
        {f.diLinksConfigs, &ConfigsCreator::createDiLinksFromGpioAndRegs,
         Widgets{f.linksDi, f.NumLinksDi, f.AcceptLinksDi}, QStringLiteral("DiLink")},
        {f.aiLinksConfigs, &ConfigsCreator::createAiLinksFromGpioAndRegs,
         Widgets{f.linksAi, f.NumLinksAi, f.AcceptLinksAi}, QStringLiteral("AiLink")},
        {f.aoLinksConfigs, &ConfigsCreator::createAoLinksFromGpioAndRegs,
         Widgets{f.linksAo, f.NumLinksAo, f.AcceptLinksAo}, QStringLiteral("AoLink")},
    };
    std::size_t link = 0;
    for (const Derivations::LinkSource &source : Derivations::linkSources()) {
        const auto &page = linkPages[link++];
        addTab<LinkTab>(source.links, page.page, page.buttonSlot, page.widgets, source.kind, page.editorName,
                        pins, source.registers ? registerTabs.value(int(*source.registers)) : nullptr);
    }

    Q_ASSERT(tabs.size() == std::size_t(Blocks::kSectionCount));
    for (std::size_t row = 0; row < tabs.size(); ++row)
        Q_ASSERT(tabs[row].section == Section(row));
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
    fillGpioTab(QByteArray(Blocks::kGpioBlockSize, '\0'));
    fillDoRegTab(QByteArray());
    fillDiRegTab(QByteArray());
    fillAdcRegTab(QByteArray());
    fillAdcTiTab(QByteArray());
    fillPwmTab(QByteArray());
    fillDoLinksTab(QByteArray());
    fillDiLinksTab(QByteArray());
    fillAiLinksTab(QByteArray());
    // The AO links tab is left alone, as it always was: a fill with an empty block changes nothing,
    // so that tab starts empty just like the eight above.
}

// The tabs' own operations under the names the rest of the program and its tests know.
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
        if (row.buttonSlot == &ConfigsCreator::changeNumRegisters && sender() &&
            row.tab->button() == sender())
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

void ConfigsCreator::buildPinMaps()
{
    Pins::buildPinMaps(pinsX6, pinsX7, pinsX8, pinsX9, pinsNoX);
}

const PinMap &ConfigsCreator::pinMap(PinGroup group) const
{
    switch (group) {
    case PinGroup::X6:
        return pinsX6;
    case PinGroup::X7:
        return pinsX7;
    case PinGroup::X8:
        return pinsX8;
    case PinGroup::X9:
        return pinsX9;
    case PinGroup::NoX:
        break;
    }
    return pinsNoX;
}

void ConfigsCreator::buildFunctionCatalogue()
{
    // The window's action of every catalogue function; the lists share them.
    QHash<int, QAction *> actionsByCode;
    for (const Functions::FunctionInfo &info : Functions::catalogue()) {
        auto *action = new QAction(QIcon(info.iconPath), info.text, this);
        // The what's-this string is the one place an action carries its code.
        action->setWhatsThis(QString::number(info.code));
        actionsByCode.insert(info.code, action);
    }
    const auto fill = [&actionsByCode](QList<QAction *> &list, Functions::FunctionList which) {
        list.clear();
        for (int code : Functions::codesOf(which))
            list.append(actionsByCode.value(code));
    };
    using Functions::FunctionList;
    fill(commonFunctions, FunctionList::Common);
    fill(discreteInputFunctions, FunctionList::DiscreteInput);
    fill(discreteOutputFunctions, FunctionList::DiscreteOutput);
    fill(spiDoFunctions, FunctionList::SpiDo);
    fill(spiDiFunctions, FunctionList::SpiDi);
    fill(spiAdcFunctions, FunctionList::SpiAdc);
    fill(resetFunctions, FunctionList::Reset);
    fill(doRegFunctions, FunctionList::DoReg);
    fill(diRegFunctions, FunctionList::DiReg);
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
    std::optional<FunctionColumn> functions;
    for (auto row = tabs.cbegin(); !functions && row != tabs.cend(); ++row)
        functions = row->tab->functionColumn(tree);
    if (!functions || !TreeRows::itemOfEditor(button, functions->column))
        return;
    const int column = functions->column;

    auto *menu = new QMenu(this);
    switch (functions->context) {
    case Functions::Context::GpioPin:
        menu->addActions(commonFunctions);
        menu->addMenu(tr("Дискретный вход"))->addActions(discreteInputFunctions);
        menu->addMenu(tr("Дискретный выход"))->addActions(discreteOutputFunctions);
        menu->addMenu(tr("SPI Di регистров"))->addActions(spiDiFunctions);
        menu->addMenu(tr("SPI DO регистров"))->addActions(spiDoFunctions);
        menu->addMenu(tr("SPI внешних ADC"))->addActions(spiAdcFunctions);
        menu->addMenu(tr("Сброс в дефолт"))->addActions(resetFunctions);
        break;
    case Functions::Context::DoRegister:
        menu->addActions(doRegFunctions);
        break;
    case Functions::Context::DiRegister:
        menu->addActions(diRegFunctions);
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
