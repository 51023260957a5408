#include "adctitab.h"

#include "derivations.h"
#include "gpiotab.h"
#include "pinmap.h"

AdcTiTab::AdcTiTab(QObject *receiver, const Widgets &widgets, const GpioTab &pins)
    : ListTab(receiver, widgets), pins(pins), columns(2, QStringLiteral("adcTi"))
{}

void AdcTiTab::derive()
{
    const QVector<PinSetting> inputs = Derivations::adcTiInputs(pins.pins());
    replaceRows([&](TreeRows::RowBuilder &rows) {
        // The pin's index text is copied as it stands; its editor shows the text's value.
        for (const PinSetting &pin : inputs)
            rows.appendEditedRow(
                {QString::number(pin.pin), pin.name}, columns.editors(),
                AdcInputColumns::newInput({double(TreeRows::integerValue(pin.indexText)), pin.indexText}));
    });
}

void AdcTiTab::fill(const QByteArray &block)
{
    const auto records = Blocks::decodeAdcInputRecords(block);
    if (!records)
        return;
    replaceRows([&](TreeRows::RowBuilder &rows) {
        for (const AdcInputRecord &record : *records) {
            const QString name = Pins::pinName(record.port);
            if (!name.isEmpty())
                rows.appendEditedRow({QString::number(record.port), name}, columns.editors(),
                                     AdcInputColumns::cellsOf(record));
        }
    });
}

QByteArray AdcTiTab::serialize() const
{
    return columns.serialize(widgets.tree);
}
