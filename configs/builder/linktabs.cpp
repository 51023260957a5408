// The four link tabs (DO, DI, AI, AO): numbered links with a type and an index each. One link row
// per pin or register row of the matching kind, made by the tab's button or read from a file. The
// tabs differ only in their widgets, the kind of link and the width of the index.
#include "configscreator.h"
#include "datablocks.h"
#include "derivations.h"
#include "gpiotab.h"
#include "treerows.h"
#include "ui_configscreator.h"

#include <QLabel>
#include <QTreeWidget>

namespace {
using Derivations::LinkKind;
using TreeRows::RowBuilder;

constexpr int kRegisterCodeColumn = 1; // of the SPI DO and DI rows

struct LinkTab
{
    QTreeWidget *tree;
    QLabel *label;
    LinkKind kind;
    QString editorName;
    QTreeWidget *registers; // the register tab whose rows make links, or none
};

LinkTab linkTab(Ui::ConfigsCreatorForm &ui, LinkKind kind)
{
    switch (kind) {
    case LinkKind::Do:
        return {ui.linksDo, ui.NumLinksDo, kind, QStringLiteral("DoLink"), ui.portsDoReg};
    case LinkKind::Di:
        return {ui.linksDi, ui.NumLinksDi, kind, QStringLiteral("DiLink"), ui.portsDiReg};
    case LinkKind::Ai:
        return {ui.linksAi, ui.NumLinksAi, kind, QStringLiteral("AiLink"), ui.portsAdcReg};
    case LinkKind::Ao:
        break;
    }
    return {ui.linksAo, ui.NumLinksAo, kind, QStringLiteral("AoLink"), nullptr};
}

// Type in column 1; index in column 2, as wide as the record's index field: 16 bits for digital
// links, 8 bits for analogue ones.
QVector<TreeRows::EditorSpec> linkEditors(const LinkTab &tab)
{
    const bool digital = tab.kind == LinkKind::Do || tab.kind == LinkKind::Di;
    return {{1, 0, 255, 0, tab.editorName}, {2, 0, digital ? 65535.0 : 255.0, 0, tab.editorName}};
}

void appendLinkRow(RowBuilder &rows, const QVector<TreeRows::EditorSpec> &editors, int number, int type,
                   int index)
{
    rows.appendEditedRow({QString::number(number)}, editors,
                         {{double(type), QString::number(type)}, {double(index), QString::number(index)}});
}

// One entry per register row: its code (ADC rows carry none; any value makes an AI link).
QVector<int> registerCodes(const QTreeWidget *registers)
{
    QVector<int> codes;
    for (int row = 0; registers && row < registers->topLevelItemCount(); ++row)
        codes.append(TreeRows::fieldValue<quint16>(registers->topLevelItem(row), kRegisterCodeColumn));
    return codes;
}

// Links carry nothing of their pin or register row: a derivation only counts them, and every new
// link starts with type 0 and index 0.
void deriveLinks(const LinkTab &tab, QObject *window, const QTabWidget *boosterPacks)
{
    const int links =
        Derivations::linkCount(tab.kind, GpioTab::scan(boosterPacks), registerCodes(tab.registers));
    const QVector<TreeRows::EditorSpec> editors = linkEditors(tab);
    TreeRows::replaceRows(tab.tree, window, [&](RowBuilder &rows) {
        for (int number = 1; number <= links; ++number)
            appendLinkRow(rows, editors, number, 0, 0);
    });
    TreeRows::showRowCount(tab.tree, tab.label);
}

template <typename Record>
void fillLinks(const LinkTab &tab, QObject *window, const std::optional<QVector<Record>> &records)
{
    if (!records)
        return;
    const QVector<TreeRows::EditorSpec> editors = linkEditors(tab);
    TreeRows::replaceRows(tab.tree, window, [&](RowBuilder &rows) {
        for (int r = 0; r < records->size(); ++r)
            appendLinkRow(rows, editors, r + 1, records->at(r).type, records->at(r).index);
    });
    TreeRows::showRowCount(tab.tree, tab.label);
}
} // namespace

void ConfigsCreator::createDoLinksFromGpioAndRegs()
{
    deriveLinks(linkTab(*ui, LinkKind::Do), this, ui->boosterPacks);
}

void ConfigsCreator::createDiLinksFromGpioAndRegs()
{
    deriveLinks(linkTab(*ui, LinkKind::Di), this, ui->boosterPacks);
}

void ConfigsCreator::createAiLinksFromGpioAndRegs()
{
    deriveLinks(linkTab(*ui, LinkKind::Ai), this, ui->boosterPacks);
}

void ConfigsCreator::createAoLinksFromGpioAndRegs()
{
    deriveLinks(linkTab(*ui, LinkKind::Ao), this, ui->boosterPacks);
}

void ConfigsCreator::fillDoLinksTab(const QByteArray &block)
{
    fillLinks(linkTab(*ui, LinkKind::Do), this, Blocks::decodeDigitalLinkRecords(block));
}

void ConfigsCreator::fillDiLinksTab(const QByteArray &block)
{
    fillLinks(linkTab(*ui, LinkKind::Di), this, Blocks::decodeDigitalLinkRecords(block));
}

void ConfigsCreator::fillAiLinksTab(const QByteArray &block)
{
    fillLinks(linkTab(*ui, LinkKind::Ai), this, Blocks::decodeAnalogLinkRecords(block));
}

void ConfigsCreator::fillAoLinksTab(const QByteArray &block)
{
    fillLinks(linkTab(*ui, LinkKind::Ao), this, Blocks::decodeAnalogLinkRecords(block));
}

namespace {
template <typename Record> QByteArray serializeLinks(const LinkTab &tab)
{
    const QVector<TreeRows::EditorSpec> editors = linkEditors(tab);
    return Blocks::encodeRecords(
        TreeRows::recordsByRowNumber<Record>(tab.tree, [&editors](const QTreeWidgetItem *item) {
            Record record;
            record.type = quint8(TreeRows::clampedValue(item, editors[0]));
            record.index = decltype(record.index)(TreeRows::clampedValue(item, editors[1]));
            return record;
        }));
}
} // namespace

QByteArray ConfigsCreator::serializeDoLinksTab() const
{
    return serializeLinks<DigitalLinkRecord>(linkTab(*ui, LinkKind::Do));
}

QByteArray ConfigsCreator::serializeDiLinksTab() const
{
    return serializeLinks<DigitalLinkRecord>(linkTab(*ui, LinkKind::Di));
}

QByteArray ConfigsCreator::serializeAiLinksTab() const
{
    return serializeLinks<AnalogLinkRecord>(linkTab(*ui, LinkKind::Ai));
}

QByteArray ConfigsCreator::serializeAoLinksTab() const
{
    return serializeLinks<AnalogLinkRecord>(linkTab(*ui, LinkKind::Ao));
}
