#include "gpiotab.h"

#include "datablocks.h"
#include "functioncatalogue.h"
#include "treerows.h"

#include <QGridLayout>
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

namespace {
QVector<PinSetting> scanTrees(const QVector<GpioTab::PageTree> &trees)
{
    QVector<PinSetting> pins;
    for (const GpioTab::PageTree &pageTree : trees) {
        for (int row = 0; row < pageTree.tree->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = pageTree.tree->topLevelItem(row);
            const qint64 pin = TreeRows::integerValue(item->text(GpioTab::kNumberColumn));
            if (pin < 0 || pin > Pins::kLastPin)
                continue;
            pins.append(PinSetting{quint32(pin), TreeRows::fieldValue<quint8>(item, GpioTab::kCodeColumn),
                                   item->text(GpioTab::kNameColumn), item->text(GpioTab::kIndexColumn)});
        }
    }
    return pins;
}
} // namespace

QVector<GpioTab::PageTree> GpioTab::pageTrees(const QTabWidget *boosterPacks)
{
    // Pages in tab order, not in the order of the stack's children: adding a page to the stack
    // lowers it and showing a page raises it, both of which reorder the children.
    QVector<PageTree> trees;
    for (int tab = 0; tab < boosterPacks->count(); ++tab) {
        QWidget *page = boosterPacks->widget(tab);
        const auto *grid = qobject_cast<const QGridLayout *>(page->layout());
        for (const int column : {0, 1}) {
            QLayoutItem *item = grid ? grid->itemAtPosition(0, column) : nullptr;
            if (auto *tree = qobject_cast<QTreeWidget *>(item ? item->widget() : nullptr))
                trees.append({page, tree, column == 0});
        }
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
    return scanTrees(pageTrees(boosterPacks));
}

GpioTab::GpioTab(QObject *receiver, const QVector<ConnectorPage> &pages) : pages(pages), receiver(receiver)
{
    for (PinGroup group : Pins::kConnectorOrder)
        pinMaps[std::size_t(group)] = Pins::buildPinMap(group);
}

QVector<GpioTab::PageTree> GpioTab::trees() const
{
    QVector<PageTree> trees;
    trees.reserve(2 * pages.size());
    for (const ConnectorPage &page : pages)
        trees << PageTree{page.page, page.left, true} << PageTree{page.page, page.right, false};
    return trees;
}

void GpioTab::fill(const QByteArray &block)
{
    const std::optional<GpioBlock> decoded = Blocks::decodeGpioBlock(block);
    if (!decoded)
        return;
    const GpioBlock pins = Blocks::withUnavailablePinsMarked(*decoded);
    for (const ConnectorPage &page : pages) {
        const PinMap &map = pinMaps[std::size_t(page.group)];
        fillPinTree(page.left, receiver, map, true, pins);
        fillPinTree(page.right, receiver, map, false, pins);
    }
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
    for (const PageTree &pageTree : trees())
        TreeRows::removeRows(pageTree.tree);
}

std::optional<FunctionColumn> GpioTab::functionColumn(const QTreeWidget *tree) const
{
    for (const ConnectorPage &page : pages) {
        if (tree == page.left || tree == page.right)
            return FunctionColumn{kCodeColumn, Functions::Context::GpioPin};
    }
    return std::nullopt;
}

QTreeWidgetItem *GpioTab::pinRow(quint32 pin) const
{
    const QString number = QString::number(pin);
    for (const PageTree &pageTree : trees()) {
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
    return scanTrees(trees());
}
