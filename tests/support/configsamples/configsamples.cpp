#include "configsamples.h"

#include "derivations.h"
#include "pinmap.h"

#include <QtEndian>

namespace ConfigSamples {

namespace {
constexpr int kRegisterRows = 99 * 8;
} // namespace

ModelIdFile::SectionBlocks largest()
{
    using Blocks::Section;
    const int codes[] = {Derivations::kAnalogInputCode, Derivations::kPwmOutputCode, 4, 1};
    GpioBlock pins = Blocks::withUnavailablePinsMarked(GpioBlock());
    int used = 0;
    for (quint32 pin = 0; pin <= Pins::kLastPin; ++pin) {
        if (Pins::isUnavailable(pin))
            continue;
        pins.code[pin] = quint8(codes[used++ % 4]);
        pins.index[pin] = quint16(pin + 1);
    }

    ModelIdFile::SectionBlocks blocks;
    blocks[std::size_t(Section::Gpio)] = Blocks::encodeGpioBlock(pins);
    QVector<RegPortRecord> outputs;
    QVector<RegPortRecord> inputs;
    QVector<AdcInputRecord> adcs;
    for (int row = 0; row < kRegisterRows; ++row) {
        outputs.append({quint16(row + 1), 4});
        inputs.append({quint16(row + 1), 1});
        adcs.append({1.0f, 0.0f, quint16(row + 1), quint16(row + 1)});
    }
    blocks[std::size_t(Section::RegDo)] = Blocks::encodeRecords(outputs);
    blocks[std::size_t(Section::RegDi)] = Blocks::encodeRecords(inputs);
    blocks[std::size_t(Section::RegAdc)] = Blocks::encodeRecords(adcs);

    // The derived tabs as their buttons make them: a row per pin in pin order, links anew.
    const QVector<PinSetting> scanned = Derivations::scanGpioBlock(pins);
    QVector<AdcInputRecord> tiInputs;
    QVector<PwmPortRecord> pwmOutputs;
    for (quint32 pin = 0; pin <= Pins::kLastPin; ++pin) {
        if (pins.code[pin] == Derivations::kAnalogInputCode)
            tiInputs.append({1.0f, 0.0f, pins.index[pin], quint16(pin)});
        else if (pins.code[pin] == Derivations::kPwmOutputCode)
            pwmOutputs.append({pins.index[pin], quint16(pin), 100});
    }
    blocks[std::size_t(Section::TiAdc)] = Blocks::encodeRecords(tiInputs);
    blocks[std::size_t(Section::PwmPorts)] = Blocks::encodeRecords(pwmOutputs);
    const QVector<int> registerCodes[] = {QVector<int>(kRegisterRows, 4), QVector<int>(kRegisterRows, 1),
                                          QVector<int>(kRegisterRows, 0), {}};
    int source = 0;
    for (const Derivations::LinkSource &links : Derivations::linkSources()) {
        const int count = Derivations::linkCount(links.kind, scanned, registerCodes[source++]);
        const bool digital = links.kind == Derivations::LinkKind::Do || links.kind == Derivations::LinkKind::Di;
        blocks[std::size_t(links.links)] = digital
                                              ? Blocks::encodeRecords(QVector<DigitalLinkRecord>(count))
                                              : Blocks::encodeRecords(QVector<AnalogLinkRecord>(count));
    }
    return blocks;
}

QByteArray damagedModelIdFile()
{
    QByteArray file = *ModelIdFile::encode(largest());
    // The last entry's size grows past the end of the file, and three bytes follow the sections.
    const int sizeField = (Blocks::kSectionCount - 1) * ModelIdFile::kSectionEntrySize +
                          ModelIdFile::kSectionNameSize + 2;
    const quint16 grown = quint16(qFromLittleEndian<quint16>(file.constData() + sizeField) + 400);
    file[sizeField] = char(grown & 0xff);
    file[sizeField + 1] = char(grown >> 8);
    return file + QByteArray("xyz");
}

} // namespace ConfigSamples
