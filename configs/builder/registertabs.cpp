// The SPI register tabs: the outputs of the DO shift-register chain, the inputs of the DI chain
// and the inputs of the external ADCs, eight rows per register (or ADC). The DO and DI tabs differ
// only in their widgets and function lists; the ADC tab has no function, but gain and offset.
#include "configscreator.h"
#include "datablocks.h"
#include "functioncatalogue.h"
#include "treerows.h"
#include "ui_configscreator.h"

#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>
#include <functional>

namespace {
using TreeRows::Cell;
using TreeRows::EditorSpec;
using TreeRows::RowBuilder;

constexpr int kRowsPerRegister = 8;

// --- DO and DI rows: position, function, index ---
constexpr int kRegCodeColumn = 1;
constexpr int kRegIndexColumn = 2;

struct RegPortTab
{
    QTreeWidget *tree;
    QSpinBox *count;
    QLabel *label;
    Functions::Context context;
    QString editorName; // rows read from a file name their index editor; rows added by hand do not
};

RegPortTab doRegTab(Ui::ConfigsCreatorForm &ui)
{
    return {ui.portsDoReg, ui.NumDoRegisters, ui.NumDigOutputs, Functions::Context::DoRegister,
            QStringLiteral("doReg")};
}

RegPortTab diRegTab(Ui::ConfigsCreatorForm &ui)
{
    return {ui.portsDiReg, ui.NumDiRegisters, ui.NumDigInputs, Functions::Context::DiRegister,
            QStringLiteral("diReg")};
}

EditorSpec regIndexEditor(const QString &objectName)
{
    return {kRegIndexColumn, 1, 65535, 0, objectName};
}

// A code the tab's list does not offer is shown as not used and kept as 0.
void appendRegPortRow(RowBuilder &rows, const RegPortTab &tab, int position, const RegPortRecord &record,
                      const QString &editorName)
{
    QTreeWidgetItem *item = rows.appendRow({QString::number(position)});
    rows.addFunctionButton(item, kRegCodeColumn, tab.context, record.code);
    rows.addSpinEditor(item, regIndexEditor(editorName),
                       {double(record.index), QString::number(record.index)});
    RowBuilder::finishRow(item);
}

// --- SPI ADC rows: position, index, gain, offset ---
const QVector<EditorSpec> &adcRegEditors()
{
    static const QVector<EditorSpec> editors = {
        {1, 1, 65535, 0, QStringLiteral("adcReg")},
        {2, 0.000001, 127, 6, QStringLiteral("adcReg")},
        {3, -127, 127, 6, QStringLiteral("adcReg")},
    };
    return editors;
}

void appendAdcRegRow(RowBuilder &rows, int position, const QVector<Cell> &cells)
{
    rows.appendEditedRow({QString::number(position)}, adcRegEditors(), cells);
}

QVector<Cell> adcRegCells(const AdcInputRecord &record)
{
    return {{double(record.index), QString::number(record.index)},
            {double(record.gain), TreeRows::decimalText(double(record.gain))},
            {double(record.offset), TreeRows::decimalText(double(record.offset))}};
}

QVector<Cell> adcRegDefaultCells()
{
    return {{1, QStringLiteral("1")}, {1, QStringLiteral("1.0")}, {0, QStringLiteral("0")}};
}

// After a fill: the count spin box shows the registers the rows need (at most its maximum), the
// label the rows.
void showRegisterCount(QTreeWidget *tree, QSpinBox *count, QLabel *label)
{
    const int rows = tree->topLevelItemCount();
    count->setValue(qMin((rows + kRowsPerRegister - 1) / kRowsPerRegister, count->maximum()));
    TreeRows::showRowCount(tree, label);
}

void fillRegPortTab(const RegPortTab &tab, QObject *window, const QByteArray &block)
{
    const auto records = Blocks::decodeRegPortRecords(block);
    if (!records)
        return;
    TreeRows::replaceRows(tab.tree, window, [&](RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            appendRegPortRow(rows, tab, r + 1, records->at(r), tab.editorName);
    });
    showRegisterCount(tab.tree, tab.count, tab.label);
}

// Brings a tab to eight rows per register of its count spin box: new rows at the end get their
// defaults, rows beyond the count are removed from the end with their settings.
void resizeRegisterTab(QTreeWidget *tree, QSpinBox *count, QLabel *label, QObject *window,
                       const std::function<void(RowBuilder &, int position)> &appendDefaultRow)
{
    const int target = kRowsPerRegister * count->value();
    const int rows = tree->topLevelItemCount();
    if (rows == target)
        return;
    TreeRows::FillGuard guard(tree);
    if (rows < target) {
        RowBuilder builder(tree, window);
        for (int position = rows + 1; position <= target; ++position)
            appendDefaultRow(builder, position);
        TreeRows::resizeColumnsToContents(tree);
    } else {
        TreeRows::removeRows(tree, target);
    }
    label->setText(QString::number(tree->topLevelItemCount()));
}
} // namespace

void ConfigsCreator::fillDoRegTab(const QByteArray &block)
{
    fillRegPortTab(doRegTab(*ui), this, block);
}

void ConfigsCreator::fillDiRegTab(const QByteArray &block)
{
    fillRegPortTab(diRegTab(*ui), this, block);
}

void ConfigsCreator::fillAdcRegTab(const QByteArray &block)
{
    const auto records = Blocks::decodeAdcInputRecords(block);
    if (!records)
        return;
    TreeRows::replaceRows(ui->portsAdcReg, this, [&records](RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            appendAdcRegRow(rows, r + 1, adcRegCells(records->at(r)));
    });
    showRegisterCount(ui->portsAdcReg, ui->NumAdcRegisters, ui->NumAdcInputs);
}

void ConfigsCreator::changeNumRegisters()
{
    const QString button = sender() ? sender()->objectName() : QString();
    if (button == QLatin1String("AcceptNumDoRegisters") || button == QLatin1String("AcceptNumDiRegisters")) {
        const RegPortTab tab =
            button == QLatin1String("AcceptNumDoRegisters") ? doRegTab(*ui) : diRegTab(*ui);
        // A new row: not used (code 0), index 1.
        resizeRegisterTab(tab.tree, tab.count, tab.label, this, [&tab](RowBuilder &rows, int position) {
            appendRegPortRow(rows, tab, position, RegPortRecord{1, 0}, QString());
        });
    } else if (button == QLatin1String("AcceptNumAdcRegisters")) {
        resizeRegisterTab(
            ui->portsAdcReg, ui->NumAdcRegisters, ui->NumAdcInputs, this,
            [](RowBuilder &rows, int position) { appendAdcRegRow(rows, position, adcRegDefaultCells()); });
    }
}

namespace {
QByteArray serializeRegPortTab(const QTreeWidget *tree)
{
    const EditorSpec index = regIndexEditor(QString());
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<RegPortRecord>(tree, [&index](const QTreeWidgetItem *item) {
            return RegPortRecord{quint16(TreeRows::clampedValue(item, index)),
                                 TreeRows::fieldValue<quint16>(item, kRegCodeColumn)};
        }));
}
} // namespace

QByteArray ConfigsCreator::serializeDoRegTab() const
{
    return serializeRegPortTab(ui->portsDoReg);
}

QByteArray ConfigsCreator::serializeDiRegTab() const
{
    return serializeRegPortTab(ui->portsDiReg);
}

QByteArray ConfigsCreator::serializeAdcRegTab() const
{
    // Gains and offsets go out as their texts say, also beyond the editors' ranges.
    const QVector<EditorSpec> &editors = adcRegEditors();
    return Blocks::encodeRecords(TreeRows::recordsByRowNumber<AdcInputRecord>(
        ui->portsAdcReg, [&editors](const QTreeWidgetItem *item) {
            return AdcInputRecord{
                TreeRows::floatValue(item, editors[1].column), TreeRows::floatValue(item, editors[2].column),
                quint16(TreeRows::clampedValue(item, editors[0])), TreeRows::fieldValue<quint16>(item, 0)};
        }));
}
