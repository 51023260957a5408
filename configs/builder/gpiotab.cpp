// The pin tab: the ten connector trees, the function menu of a row's button, and the path by
// which the embedded spin boxes write into their rows.
#include "gpiotab.h"

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
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {
constexpr int kRegisterCodeColumn = 1;
// Pin names get a little air beyond their measured width.
constexpr int kPinNamePadding = 10;

TreeRows::EditorSpec indexEditor(bool leftTree)
{
    return {GpioTab::kIndexColumn, 1, 65535, 0,
            leftTree ? QStringLiteral("gpioLeft") : QStringLiteral("gpioRight")};
}

// One pin row: number and name, the function button showing the stored code, and the index.
// The row keeps the stored index as it is, even 0, which the spin box can only show as 1.
void appendPinRow(TreeRows::RowBuilder &rows, const TreeRows::EditorSpec &index, quint32 pin,
                  const QString &name, int code, quint16 indexValue)
{
    QTreeWidgetItem *item = rows.appendRow({QString::number(pin), name});
    const Functions::Appearance look = Functions::appearanceOf(Functions::Context::GpioPin, code);
    rows.addFunctionButton(item, GpioTab::kCodeColumn, look);
    rows.addSpinEditor(item, index, {double(indexValue), QString::number(indexValue)}, look.available);
    TreeRows::RowBuilder::finishRow(item);
}

void fillPinTree(QTreeWidget *tree, QObject *window, const PinMap &pins, bool leftTree,
                 const GpioBlock &block)
{
    TreeRows::FillGuard guard(tree);
    TreeRows::removeRows(tree);
    TreeRows::RowBuilder rows(tree, window);
    const TreeRows::EditorSpec index = indexEditor(leftTree);
    int position = 0;
    for (auto it = pins.cbegin(); it != pins.cend(); ++it, ++position) {
        const quint32 pin = it.key().number;
        if (leftTree != (position < Pins::kLeftColumnRows) || pin > Pins::kLastPin)
            continue;
        appendPinRow(rows, index, pin, it.value(), block.code[pin], block.index[pin]);
    }
    if (tree->topLevelItemCount() > 0) {
        TreeRows::resizeColumnsToContents(tree);
        tree->setColumnWidth(GpioTab::kNameColumn, tree->columnWidth(GpioTab::kNameColumn) + kPinNamePadding);
    }
}
} // namespace

namespace GpioTab {

QVector<PageTree> pageTrees(const QTabWidget *boosterPacks)
{
    // Pages in tab order, not in the order of the stack's children: adding a page to the stack
    // lowers it and showing a page raises it, both of which reorder the children.
    QVector<PageTree> trees;
    for (int tab = 0; tab < boosterPacks->count(); ++tab) {
        QWidget *page = boosterPacks->widget(tab);
        QVector<PageTree> right;
        for (QObject *child : page->children()) {
            auto *tree = qobject_cast<QTreeWidget *>(child);
            if (!tree)
                continue;
            if (tree->objectName().contains(QLatin1String("portsLeft")))
                trees.append({page, tree, true});
            else if (tree->objectName().contains(QLatin1String("portsRight")))
                right.append({page, tree, false});
        }
        trees += right;
    }
    return trees;
}

PinGroup groupOfPage(const QString &pageName)
{
    if (pageName == QLatin1String("gpioX6"))
        return PinGroup::X6;
    if (pageName == QLatin1String("gpioX7"))
        return PinGroup::X7;
    if (pageName == QLatin1String("gpioX8"))
        return PinGroup::X8;
    if (pageName == QLatin1String("gpioX9"))
        return PinGroup::X9;
    return PinGroup::NoX;
}

QVector<PinSetting> scan(const QTabWidget *boosterPacks)
{
    QVector<PinSetting> pins;
    for (const PageTree &pageTree : pageTrees(boosterPacks)) {
        for (int row = 0; row < pageTree.tree->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = pageTree.tree->topLevelItem(row);
            const qint64 pin = TreeRows::integerValue(item->text(kNumberColumn));
            if (pin < 0 || pin > Pins::kLastPin)
                continue;
            pins.append(PinSetting{quint32(pin), TreeRows::fieldValue<quint8>(item, kCodeColumn),
                                   item->text(kNameColumn), item->text(kIndexColumn)});
        }
    }
    return pins;
}

} // namespace GpioTab

void ConfigsCreator::fillGpioTab(const QByteArray &block)
{
    const std::optional<GpioBlock> decoded = Blocks::decodeGpioBlock(block);
    if (!decoded)
        return;
    const GpioBlock pins = Blocks::withUnavailablePinsMarked(*decoded);
    for (const GpioTab::PageTree &pageTree : GpioTab::pageTrees(ui->boosterPacks))
        fillPinTree(pageTree.tree, this, pinMap(GpioTab::groupOfPage(pageTree.page->objectName())),
                    pageTree.left, pins);
}

QByteArray ConfigsCreator::serializeGpioTab() const
{
    // Always the whole block: a pin no row names keeps index 0 and code 0.
    GpioBlock block;
    const TreeRows::EditorSpec index = indexEditor(true);
    for (const PinSetting &pin : GpioTab::scan(ui->boosterPacks)) {
        block.code[pin.pin] = quint8(pin.code);
        block.index[pin.pin] = quint16(index.valueOf(pin.indexText));
    }
    return Blocks::encodeGpioBlock(block);
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
        column = GpioTab::kCodeColumn;
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
