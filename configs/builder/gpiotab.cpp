#include "gpiotab.h"

#include "datablocks.h"
#include "functioncatalogue.h"
#include "treerows.h"

#include <QTabWidget>
#include <QTreeWidget>

namespace {
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

void fillPinTree(QTreeWidget *tree, QObject *receiver, const PinMap &pins, bool leftTree,
                 const GpioBlock &block)
{
    TreeRows::FillGuard guard(tree);
    TreeRows::removeRows(tree);
    TreeRows::RowBuilder rows(tree, receiver);
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

QVector<GpioTab::PageTree> GpioTab::pageTrees(const QTabWidget *boosterPacks)
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

PinGroup GpioTab::groupOfPage(const QString &pageName)
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

QVector<PinSetting> GpioTab::scan(const QTabWidget *boosterPacks)
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

GpioTab::GpioTab(QObject *receiver, QTabWidget *boosterPacks, const PinMaps &pinMaps)
    : boosterPacks(boosterPacks), pinMaps(pinMaps), receiver(receiver)
{}

void GpioTab::fill(const QByteArray &block)
{
    const std::optional<GpioBlock> decoded = Blocks::decodeGpioBlock(block);
    if (!decoded)
        return;
    const GpioBlock pins = Blocks::withUnavailablePinsMarked(*decoded);
    for (const PageTree &pageTree : pageTrees(boosterPacks))
        fillPinTree(pageTree.tree, receiver, pinMaps(groupOfPage(pageTree.page->objectName())), pageTree.left,
                    pins);
}

QByteArray GpioTab::serialize() const
{
    GpioBlock block;
    const TreeRows::EditorSpec index = indexEditor(true);
    for (const PinSetting &pin : pins()) {
        block.code[pin.pin] = quint8(pin.code);
        block.index[pin.pin] = quint16(index.valueOf(pin.indexText));
    }
    return Blocks::encodeGpioBlock(block);
}

void GpioTab::clear()
{
    for (const PageTree &pageTree : pageTrees(boosterPacks))
        TreeRows::removeRows(pageTree.tree);
}

std::optional<FunctionColumn> GpioTab::functionColumn(const QTreeWidget *tree) const
{
    if (boosterPacks->indexOf(tree->parentWidget()) < 0)
        return std::nullopt;
    return FunctionColumn{kCodeColumn, Functions::Context::GpioPin};
}

QTreeWidgetItem *GpioTab::pinRow(quint32 pin) const
{
    const QString number = QString::number(pin);
    for (const PageTree &pageTree : pageTrees(boosterPacks)) {
        for (int row = 0; row < pageTree.tree->topLevelItemCount(); ++row) {
            QTreeWidgetItem *item = pageTree.tree->topLevelItem(row);
            if (item->text(kNumberColumn) == number)
                return item;
        }
    }
    return nullptr;
}

QVector<PinSetting> GpioTab::pins() const
{
    return scan(boosterPacks);
}
