// The pin tab: the ten connector trees, the function menu of a row's button, and the path by
// which the embedded spin boxes write into their rows.
#include "configscreator.h"

#include "datablocks.h"
#include "functioncatalogue.h"
#include "modalseam.h"
#include "treerows.h"
#include "ui_configscreator.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QPointer>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

namespace {
constexpr int kPinNameColumn = 1;
constexpr int kPinCodeColumn = 2;
constexpr int kPinIndexColumn = 3;
constexpr int kRegisterCodeColumn = 1;
// Pin names get a little air beyond their measured width.
constexpr int kPinNamePadding = 10;
constexpr int kIndexMinimum = 1;
constexpr int kIndexMaximum = 65535;
} // namespace

void ConfigsCreator::fillGpioTab(const QByteArray &block)
{
    const std::optional<GpioBlock> decoded = Blocks::decodeGpioBlock(block);
    if (!decoded)
        return;
    const GpioBlock pins = Blocks::withUnavailablePinsMarked(*decoded);

    const struct
    {
        QTreeWidget *left;
        QTreeWidget *right;
        const PinMap &map;
    } connectors[] = {
        {ui->portsLeftGpio, ui->portsRightGpio, pinsX6},
        {ui->portsLeftGpio_2, ui->portsRightGpio_2, pinsX7},
        {ui->portsLeftGpio_3, ui->portsRightGpio_3, pinsX8},
        {ui->portsLeftGpio_4, ui->portsRightGpio_4, pinsX9},
        {ui->portsLeftGpio_5, ui->portsRightGpio_5, pinsNoX},
    };
    for (const auto &connector : connectors) {
        fillGpioTree(connector.left, connector.map, true, pins);
        fillGpioTree(connector.right, connector.map, false, pins);
    }
}

void ConfigsCreator::fillGpioTree(QTreeWidget *tree, const PinMap &pins, bool leftColumn,
                                  const GpioBlock &block)
{
    TreeRows::FillGuard guard(tree);
    tree->clear();
    TreeRows::RowBuilder rows(tree, this);
    const TreeRows::EditorSpec indexEditor{kPinIndexColumn, kIndexMinimum, kIndexMaximum, 0,
                                           leftColumn ? QStringLiteral("gpioLeft")
                                                      : QStringLiteral("gpioRight")};
    int position = 0;
    for (auto it = pins.cbegin(); it != pins.cend(); ++it, ++position) {
        if (leftColumn != (position < Pins::kLeftColumnRows))
            continue;
        const quint32 pin = it.key().number;
        if (pin > Pins::kLastPin)
            continue;
        QTreeWidgetItem *item = rows.appendRow({QString::number(pin), it.value()});
        const int code = block.code[pin];
        const quint16 index = block.index[pin];
        const bool available = code != Functions::kNotAvailableCode;

        QIcon icon;
        QString toolTip = Functions::notAvailableToolTip();
        QString codeText = QString::number(Functions::kNotAvailableCode);
        if (available) {
            if (QAction *action = findGpioFunction(code)) {
                icon = action->icon();
                toolTip = action->text();
                codeText = action->whatsThis();
            } else {
                icon = QIcon(Functions::fallbackIconPath());
                toolTip = Functions::fallbackToolTip();
                codeText = QString::number(Functions::kFallbackCode);
            }
        }
        rows.addFunctionButton(item, kPinCodeColumn, icon, toolTip, codeText, available);
        // The row keeps the stored index as it is, even 0, which the spin box can only show as 1.
        rows.addSpinEditor(item, indexEditor, index, QString::number(index), available);
        TreeRows::RowBuilder::finishRow(item);
    }
    if (tree->topLevelItemCount() > 0) {
        TreeRows::resizeColumnsToContents(tree);
        tree->setColumnWidth(kPinNameColumn, tree->columnWidth(kPinNameColumn) + kPinNamePadding);
    }
}

void ConfigsCreator::createTypeMenu(bool)
{
    auto *button = qobject_cast<QToolButton *>(sender());
    if (!button || !button->parentWidget())
        return;
    auto *tree = qobject_cast<QTreeWidget *>(button->parentWidget()->parentWidget());
    if (!tree || !tree->parentWidget())
        return;

    const QString pageName = tree->parentWidget()->objectName();
    int column = kRegisterCodeColumn;
    const QList<QAction *> *flatList = nullptr;
    if (pageName.contains(QLatin1String("gpio")))
        column = kPinCodeColumn;
    else if (pageName.contains(QLatin1String("doReg")))
        flatList = &doRegFunctions;
    else if (pageName.contains(QLatin1String("diReg")))
        flatList = &diRegFunctions;
    else
        return;
    if (!TreeRows::itemOfEditor(button, column))
        return;

    auto *menu = new QMenu(this);
    if (flatList) {
        menu->addActions(*flatList);
    } else {
        menu->addActions(commonFunctions);
        menu->addMenu(tr("Дискретный вход"))->addActions(discreteInputFunctions);
        menu->addMenu(tr("Дискретный выход"))->addActions(discreteOutputFunctions);
        menu->addMenu(tr("SPI Di регистров"))->addActions(spiDiFunctions);
        menu->addMenu(tr("SPI DO регистров"))->addActions(spiDoFunctions);
        menu->addMenu(tr("SPI внешних ADC"))->addActions(spiAdcFunctions);
        menu->addMenu(tr("Сброс в дефолт"))->addActions(resetFunctions);
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
