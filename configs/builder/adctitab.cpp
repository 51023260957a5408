// The on-chip ADC tab: one row per pin that the pin tab makes an analogue input, with index, gain
// and offset. Rows come from the pin tab or from a file, never one by one.
#include "configscreator.h"
#include "datablocks.h"
#include "derivations.h"
#include "gpiotab.h"
#include "pinmap.h"
#include "treerows.h"
#include "ui_configscreator.h"

#include <QTreeWidget>

namespace {
using TreeRows::Cell;
using TreeRows::EditorSpec;
using TreeRows::RowBuilder;

// Columns 0 and 1 hold the pin's number and name.
const QVector<EditorSpec> &adcTiEditors()
{
    static const QVector<EditorSpec> editors = {
        {2, 1, 65535, 0, QStringLiteral("adcTi")},
        {3, 0.000001, 127, 6, QStringLiteral("adcTi")},
        {4, -127, 127, 6, QStringLiteral("adcTi")},
    };
    return editors;
}

void appendAdcTiRow(RowBuilder &rows, quint32 pin, const QString &name, const QVector<Cell> &cells)
{
    rows.appendEditedRow({QString::number(pin), name}, adcTiEditors(), cells);
}
} // namespace

void ConfigsCreator::createAdcTiPortsFromGpioSettings()
{
    const QVector<PinSetting> inputs = Derivations::adcTiInputs(GpioTab::scan(ui->boosterPacks));
    TreeRows::replaceRows(ui->portsAdcTi, this, [&inputs](RowBuilder &rows) {
        // The pin's index text is copied as it stands; its editor shows the text's value.
        for (const PinSetting &pin : inputs)
            appendAdcTiRow(rows, pin.pin, pin.name,
                           {{double(TreeRows::integerValue(pin.indexText)), pin.indexText},
                            {1, QStringLiteral("1.0")},
                            {0, QStringLiteral("0")}});
    });
    TreeRows::showRowCount(ui->portsAdcTi, ui->NumAdcTiInputs);
}

void ConfigsCreator::fillAdcTiTab(const QByteArray &block)
{
    const auto records = Blocks::decodeAdcInputRecords(block);
    if (!records)
        return;
    TreeRows::replaceRows(ui->portsAdcTi, this, [&records](RowBuilder &rows) {
        for (const AdcInputRecord &record : *records) {
            const QString name = Pins::pinName(record.port);
            if (name.isEmpty())
                continue; // no such pin
            appendAdcTiRow(rows, record.port, name,
                           {{double(record.index), QString::number(record.index)},
                            {double(record.gain), TreeRows::decimalText(double(record.gain))},
                            {double(record.offset), TreeRows::decimalText(double(record.offset))}});
        }
    });
    TreeRows::showRowCount(ui->portsAdcTi, ui->NumAdcTiInputs);
}

QByteArray ConfigsCreator::serializeAdcTiTab() const
{
    // Rows go out by pin; gains and offsets as their texts say, also beyond the editors' ranges.
    const QVector<EditorSpec> &editors = adcTiEditors();
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<AdcInputRecord>(ui->portsAdcTi, [&editors](const QTreeWidgetItem *item) {
            return AdcInputRecord{
                TreeRows::floatValue(item, editors[1].column), TreeRows::floatValue(item, editors[2].column),
                quint16(TreeRows::clampedValue(item, editors[0])), TreeRows::fieldValue<quint16>(item, 0)};
        }));
}
