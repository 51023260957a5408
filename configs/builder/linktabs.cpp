#include "linktabs.h"

#include "gpiotab.h"
#include "registertabs.h"

#include <QTreeWidget>

namespace {
using Derivations::LinkKind;

bool isDigital(LinkKind kind)
{
    return kind == LinkKind::Do || kind == LinkKind::Di;
}
} // namespace

// Type in column 1; index in column 2, as wide as the record's index field: 16 bits for digital
// links, 8 bits for analogue ones.
LinkTab::LinkTab(QObject *receiver, const Widgets &widgets, LinkKind kind, const QString &editorName,
                 const GpioTab &pins, const RegisterTab *registers)
    : ListTab(receiver, widgets), kind(kind), pins(pins),
      registers(registers), editors{{1, 0, 255, 0, editorName},
                                    {2, 0, isDigital(kind) ? 65535.0 : 255.0, 0, editorName}}
{}

void LinkTab::appendLink(TreeRows::RowBuilder &rows, int number, int type, int index) const
{
    rows.appendEditedRow({QString::number(number)}, editors,
                         {{double(type), QString::number(type)}, {double(index), QString::number(index)}});
}

void LinkTab::derive()
{
    const int links =
        Derivations::linkCount(kind, pins.pins(), registers ? registers->rowCodes() : QVector<int>());
    replaceRows([&](TreeRows::RowBuilder &rows) {
        for (int number = 1; number <= links; ++number)
            appendLink(rows, number, 0, 0);
    });
}

template <typename Record> void LinkTab::fillLinks(const std::optional<QVector<Record>> &records)
{
    if (!records)
        return;
    replaceRows([&](TreeRows::RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            appendLink(rows, r + 1, records->at(r).type, records->at(r).index);
    });
}

void LinkTab::fill(const QByteArray &block)
{
    if (isDigital(kind))
        fillLinks(Blocks::decodeDigitalLinkRecords(block));
    else
        fillLinks(Blocks::decodeAnalogLinkRecords(block));
}

template <typename Record> QByteArray LinkTab::serializeLinks() const
{
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<Record>(widgets.tree, [this](const QTreeWidgetItem *item) {
            Record record;
            record.type = quint8(TreeRows::clampedValue(item, editors[0]));
            record.index = decltype(record.index)(TreeRows::clampedValue(item, editors[1]));
            return record;
        }));
}

QByteArray LinkTab::serialize() const
{
    return isDigital(kind) ? serializeLinks<DigitalLinkRecord>() : serializeLinks<AnalogLinkRecord>();
}
