// The PWM tab: one row per pin that the pin tab makes a PWM output, with index and frequency.
// Rows come from the pin tab or from a file, never one by one.
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
const QVector<EditorSpec> &pwmEditors()
{
    static const QVector<EditorSpec> editors = {
        {2, 1, 65535, 0, QStringLiteral("pwm")},
        {3, 1, 100000, 0, QStringLiteral("pwm")},
    };
    return editors;
}

void appendPwmRow(RowBuilder &rows, quint32 pin, const QString &name, const QVector<Cell> &cells)
{
    rows.appendEditedRow({QString::number(pin), name}, pwmEditors(), cells);
}
} // namespace

void ConfigsCreator::createPwmPortsFromGpioSettings()
{
    const QVector<PinSetting> outputs = Derivations::pwmOutputs(GpioTab::scan(ui->boosterPacks));
    TreeRows::replaceRows(ui->portsPwm, this, [&outputs](RowBuilder &rows) {
        // The pin's index text is copied as it stands; its editor shows the text's value.
        for (const PinSetting &pin : outputs)
            appendPwmRow(rows, pin.pin, pin.name,
                         {{double(TreeRows::integerValue(pin.indexText)), pin.indexText},
                          {100, QStringLiteral("100")}});
    });
    TreeRows::showRowCount(ui->portsPwm, ui->NumPwmOutputs);
}

void ConfigsCreator::fillPwmTab(const QByteArray &block)
{
    const auto records = Blocks::decodePwmPortRecords(block);
    if (!records)
        return;
    TreeRows::replaceRows(ui->portsPwm, this, [&records](RowBuilder &rows) {
        for (const PwmPortRecord &record : *records) {
            const QString name = Pins::pinName(record.pin);
            if (name.isEmpty())
                continue; // no such pin
            // The text keeps a frequency above the editor's range; the editor shows its maximum.
            appendPwmRow(rows, record.pin, name,
                         {{double(record.index), QString::number(record.index)},
                          {double(record.frequency), QString::number(record.frequency)}});
        }
    });
    TreeRows::showRowCount(ui->portsPwm, ui->NumPwmOutputs);
}

QByteArray ConfigsCreator::serializePwmTab() const
{
    // Rows go out by pin.
    const QVector<EditorSpec> &editors = pwmEditors();
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<PwmPortRecord>(ui->portsPwm, [&editors](const QTreeWidgetItem *item) {
            return PwmPortRecord{quint16(TreeRows::clampedValue(item, editors[0])),
                                 TreeRows::fieldValue<quint16>(item, 0),
                                 quint32(TreeRows::clampedValue(item, editors[1]))};
        }));
}
