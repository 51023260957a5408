#include "pwmtab.h"

#include "derivations.h"
#include "gpiotab.h"
#include "pinmap.h"

namespace {
using TreeRows::Cell;
using TreeRows::EditorSpec;

// Columns 0 and 1 hold the pin's number and name.
const QVector<EditorSpec> &pwmEditors()
{
    static const QVector<EditorSpec> editors = {
        {2, 1, 65535, 0, QStringLiteral("pwm")},
        {3, 1, 100000, 0, QStringLiteral("pwm")},
    };
    return editors;
}

void appendPwmRow(TreeRows::RowBuilder &rows, quint32 pin, const QString &name, const QVector<Cell> &cells)
{
    rows.appendEditedRow({QString::number(pin), name}, pwmEditors(), cells);
}
} // namespace

PwmTab::PwmTab(QObject *receiver, const Widgets &widgets, const GpioTab &pins)
    : ListTab(receiver, widgets), pins(pins)
{}

void PwmTab::derive()
{
    const QVector<PinSetting> outputs = Derivations::pwmOutputs(pins.pins());
    replaceRows([&outputs](TreeRows::RowBuilder &rows) {
        // The pin's index text is copied as it stands; its editor shows the text's value.
        for (const PinSetting &pin : outputs)
            appendPwmRow(rows, pin.pin, pin.name,
                         {{double(TreeRows::integerValue(pin.indexText)), pin.indexText},
                          {100, QStringLiteral("100")}});
    });
}

void PwmTab::fill(const QByteArray &block)
{
    const auto records = Blocks::decodePwmPortRecords(block);
    if (!records)
        return;
    replaceRows([&records](TreeRows::RowBuilder &rows) {
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
}

QByteArray PwmTab::serialize() const
{
    const QVector<EditorSpec> &editors = pwmEditors();
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<PwmPortRecord>(widgets.tree, [&editors](const QTreeWidgetItem *item) {
            return PwmPortRecord{quint16(TreeRows::clampedValue(item, editors[0])),
                                 TreeRows::fieldValue<quint16>(item, 0),
                                 quint32(TreeRows::clampedValue(item, editors[1]))};
        }));
}
