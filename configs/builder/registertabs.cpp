#include "registertabs.h"

#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>

RegisterTab::RegisterTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers)
    : ListTab(receiver, widgets), registers(registers)
{}

void RegisterTab::clear()
{
    ListTab::clear();
    registers->setValue(0);
}

void RegisterTab::derive()
{
    QTreeWidget *tree = widgets.tree;
    const int target = kRowsPerRegister * registers->value();
    const int rows = tree->topLevelItemCount();
    if (rows == target)
        return;
    TreeRows::FillGuard guard(tree);
    if (rows < target) {
        TreeRows::RowBuilder builder(tree, receiver);
        for (int position = rows + 1; position <= target; ++position)
            appendNewRow(builder, position);
        TreeRows::resizeColumnsToContents(tree);
    } else {
        TreeRows::removeRows(tree, target);
    }
    widgets.count->setText(QString::number(tree->topLevelItemCount()));
}

QVector<int> RegisterTab::rowCodes() const
{
    return QVector<int>(widgets.tree->topLevelItemCount(), 0);
}

void RegisterTab::showCount()
{
    const int rows = widgets.tree->topLevelItemCount();
    registers->setValue(qMin((rows + kRowsPerRegister - 1) / kRowsPerRegister, registers->maximum()));
    ListTab::showCount();
}

namespace {
TreeRows::EditorSpec regIndexEditor(const QString &objectName)
{
    return {RegPortTab::kIndexColumn, 1, 65535, 0, objectName};
}
} // namespace

RegPortTab::RegPortTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers,
                       Functions::Context context, const QString &editorName)
    : RegisterTab(receiver, widgets, registers), context(context), editorName(editorName)
{}

// A code the tab's list does not offer is shown as not used and kept as 0.
void RegPortTab::appendRow(TreeRows::RowBuilder &rows, int position, const RegPortRecord &record,
                           const QString &name) const
{
    QTreeWidgetItem *item = rows.appendRow({QString::number(position)});
    rows.addFunctionButton(item, kCodeColumn, context, record.code);
    rows.addSpinEditor(item, regIndexEditor(name), {double(record.index), QString::number(record.index)});
    TreeRows::RowBuilder::finishRow(item);
}

void RegPortTab::fill(const QByteArray &block)
{
    const auto records = Blocks::decodeRegPortRecords(block);
    if (!records)
        return;
    replaceRows([&](TreeRows::RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            appendRow(rows, r + 1, records->at(r), editorName);
    });
}

void RegPortTab::appendNewRow(TreeRows::RowBuilder &rows, int position)
{
    // Not used (code 0), index 1.
    appendRow(rows, position, RegPortRecord{1, 0}, QString());
}

QByteArray RegPortTab::serialize() const
{
    const TreeRows::EditorSpec index = regIndexEditor(QString());
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<RegPortRecord>(widgets.tree, [&index](const QTreeWidgetItem *item) {
            return RegPortRecord{quint16(TreeRows::clampedValue(item, index)),
                                 TreeRows::fieldValue<quint16>(item, kCodeColumn)};
        }));
}

std::optional<FunctionColumn> RegPortTab::functionColumn(const QTreeWidget *tree) const
{
    if (tree != widgets.tree)
        return std::nullopt;
    return FunctionColumn{kCodeColumn, context};
}

QVector<int> RegPortTab::rowCodes() const
{
    QVector<int> codes;
    for (int row = 0; row < widgets.tree->topLevelItemCount(); ++row)
        codes.append(TreeRows::fieldValue<quint16>(widgets.tree->topLevelItem(row), kCodeColumn));
    return codes;
}

AdcRegTab::AdcRegTab(QObject *receiver, const Widgets &widgets, QSpinBox *registers)
    : RegisterTab(receiver, widgets, registers), columns(1, QStringLiteral("adcReg"))
{}

void AdcRegTab::fill(const QByteArray &block)
{
    const auto records = Blocks::decodeAdcInputRecords(block);
    if (!records)
        return;
    replaceRows([&](TreeRows::RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            rows.appendEditedRow({QString::number(r + 1)}, columns.editors(),
                                 AdcInputColumns::cellsOf(records->at(r)));
    });
}

void AdcRegTab::appendNewRow(TreeRows::RowBuilder &rows, int position)
{
    rows.appendEditedRow({QString::number(position)}, columns.editors(),
                         AdcInputColumns::newInput({1, QStringLiteral("1")}));
}

QByteArray AdcRegTab::serialize() const
{
    return columns.serialize(widgets.tree);
}
