#include "configscreator.h"

#include "datablocks.h"
#include "functioncatalogue.h"
#include "ui_configscreator.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QHash>
#include <QIcon>

ConfigsCreator::ConfigsCreator(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::ConfigsCreatorForm>())
{
    ui->setupUi(this);
    buildPinMaps();
    buildFunctionCatalogue();

    connect(ui->AcceptNumDoRegisters, &QPushButton::clicked, this, &ConfigsCreator::changeNumRegisters);
    connect(ui->AcceptNumDiRegisters, &QPushButton::clicked, this, &ConfigsCreator::changeNumRegisters);
    connect(ui->AcceptNumAdcRegisters, &QPushButton::clicked, this, &ConfigsCreator::changeNumRegisters);
    connect(ui->AcceptNumAdcTiInputs, &QPushButton::clicked, this,
            &ConfigsCreator::createAdcTiPortsFromGpioSettings);
    connect(ui->AcceptNumPwmOutputs, &QPushButton::clicked, this,
            &ConfigsCreator::createPwmPortsFromGpioSettings);
    connect(ui->AcceptLinksDo, &QPushButton::clicked, this, &ConfigsCreator::createDoLinksFromGpioAndRegs);
    connect(ui->AcceptLinksDi, &QPushButton::clicked, this, &ConfigsCreator::createDiLinksFromGpioAndRegs);
    connect(ui->AcceptLinksAi, &QPushButton::clicked, this, &ConfigsCreator::createAiLinksFromGpioAndRegs);
    connect(ui->AcceptLinksAo, &QPushButton::clicked, this, &ConfigsCreator::createAoLinksFromGpioAndRegs);
}

ConfigsCreator::~ConfigsCreator() = default;

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
}

void ConfigsCreator::buildPinMaps()
{
    Pins::buildPinMaps(pinsX6, pinsX7, pinsX8, pinsX9, pinsNoX);
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

void ConfigsCreator::closeEvent(QCloseEvent *event)
{
    emit finished();
    QMainWindow::closeEvent(event);
}

void ConfigsCreator::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QMainWindow::changeEvent(event);
}

void ConfigsCreator::modelIdChanged(int value)
{
    modelId = quint8(value & 0xFF);
}


