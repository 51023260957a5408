#include "tab.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

Tab::~Tab() = default;

QAbstractButton *Tab::button() const
{
    return nullptr;
}

void Tab::derive() {}

std::optional<FunctionColumn> Tab::functionColumn(const QTreeWidget *) const
{
    return std::nullopt;
}

QVector<QTreeWidgetItem *> Tab::recordRows() const
{
    return {};
}

QTreeWidgetItem *Tab::pinRow(quint32) const
{
    return nullptr;
}

QTreeWidget *Tab::tree() const
{
    return nullptr;
}

ListTab::ListTab(QObject *receiver, const Widgets &widgets) : widgets(widgets), receiver(receiver) {}

void ListTab::clear()
{
    widgets.count->setText(QStringLiteral("0"));
    TreeRows::removeRows(widgets.tree);
}

QAbstractButton *ListTab::button() const
{
    return widgets.button;
}

QVector<QTreeWidgetItem *> ListTab::recordRows() const
{
    // The writers put the records in this order.
    return TreeRows::rowsByRowNumber(widgets.tree);
}

QTreeWidget *ListTab::tree() const
{
    return widgets.tree;
}

void ListTab::replaceRows(const std::function<void(TreeRows::RowBuilder &)> &appendRows)
{
    TreeRows::replaceRows(widgets.tree, receiver, appendRows);
    showCount();
}

void ListTab::showCount()
{
    TreeRows::showRowCount(widgets.tree, widgets.count);
}

AdcInputColumns::AdcInputColumns(int indexColumn, const QString &editorName)
    : specs{{indexColumn, 1, 65535, 0, editorName},
            {indexColumn + 1, 0.000001, 127, 6, editorName},
            {indexColumn + 2, -127, 127, 6, editorName}}
{}

QVector<TreeRows::Cell> AdcInputColumns::cellsOf(const AdcInputRecord &record)
{
    return {{double(record.index), QString::number(record.index)},
            {double(record.gain), TreeRows::decimalText(double(record.gain))},
            {double(record.offset), TreeRows::decimalText(double(record.offset))}};
}

QVector<TreeRows::Cell> AdcInputColumns::newInput(const TreeRows::Cell &index)
{
    return {index, {1, QStringLiteral("1.0")}, {0, QStringLiteral("0")}};
}

QByteArray AdcInputColumns::serialize(const QTreeWidget *tree) const
{
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<AdcInputRecord>(tree, [this](const QTreeWidgetItem *item) {
            return AdcInputRecord{
                TreeRows::floatValue(item, specs[1].column), TreeRows::floatValue(item, specs[2].column),
                quint16(TreeRows::clampedValue(item, specs[0])), TreeRows::fieldValue<quint16>(item, 0)};
        }));
}
