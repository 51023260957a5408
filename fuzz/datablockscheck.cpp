#include "datablockscheck.h"

#include "datablocks.h"
#include "derivations.h"
#include "functioncatalogue.h"
#include "pinmap.h"

#include <set>

namespace {
using Blocks::Section;

bool checkPins(const QByteArray &block)
{
    const std::optional<GpioBlock> pins = Blocks::decodeGpioBlock(block);
    if (bool(pins) != (block.size() == Blocks::kGpioBlockSize))
        return false;
    if (!pins)
        return true;
    // Written back: the same bytes, but the reserved ones, which are zero.
    const QByteArray again = Blocks::encodeGpioBlock(*pins);
    if (again.left(Blocks::kGpioReservedOffset) != block.left(Blocks::kGpioReservedOffset) ||
        again.mid(Blocks::kGpioReservedOffset) != QByteArray(Blocks::kGpioReservedSize, '\0'))
        return false;
    // The tab shows every pin once, pins that cannot be used as such, others with a code they offer.
    const QVector<PinSetting> shown = Derivations::scanGpioBlock(*pins);
    std::set<quint32> seen;
    QVector<int> codes;
    for (const PinSetting &pin : shown) {
        if (pin.pin > Pins::kLastPin || !seen.insert(pin.pin).second || pin.name != Pins::pinName(pin.pin))
            return false;
        if (Pins::isUnavailable(pin.pin) && pin.code != Functions::kNotAvailableCode)
            return false;
        if (pin.code != Functions::kNotAvailableCode && !Functions::findGpioFunction(pin.code))
            return false;
        codes.append(pin.code);
    }
    if (seen.size() != std::size_t(Pins::kPinCount))
        return false;
    const int inputs = Derivations::adcTiInputs(shown).size();
    const int outputs = Derivations::pwmOutputs(shown).size();
    return inputs + outputs <= 82 &&
           Derivations::linkCount(Derivations::LinkKind::Ai, shown, codes) == inputs + 96 &&
           Derivations::linkCount(Derivations::LinkKind::Ao, shown, codes) == outputs;
}

// A record block: nothing for less than one record, otherwise whole records up to the end mark,
// which they never carry, and bytes that encode back to what was read.
template <typename Record>
bool checkRecords(const QByteArray &block, int recordSize,
                  std::optional<QVector<Record>> (*decode)(const QByteArray &),
                  bool (*isMark)(const Record &), bool reserved)
{
    const std::optional<QVector<Record>> records = decode(block);
    if (bool(records) != (block.size() >= recordSize))
        return false;
    if (!records)
        return true;
    const int whole = block.size() / recordSize;
    if (records->size() > whole)
        return false;
    for (const Record &record : *records) {
        if (isMark(record))
            return false;
    }
    // Decoding stopped early only at a record that carries the mark.
    if (records->size() < whole) {
        const auto next = decode(block.mid(records->size() * recordSize, recordSize));
        if (!next || !next->isEmpty())
            return false;
    }
    const QByteArray again = Blocks::encodeRecords(*records);
    if (again.size() != records->size() * recordSize)
        return false;
    if (!reserved && again != block.left(again.size()))
        return false;
    return decode(again).value_or(QVector<Record>()) == *records;
}
} // namespace

bool checkDataBlock(const uint8_t *data, size_t size)
{
    if (size < 1)
        return true;
    const auto section = Section(data[0] % Blocks::kSectionCount);
    const QByteArray block(reinterpret_cast<const char *>(data + 1), int(size - 1));
    switch (Blocks::sectionInfo(section).format) {
    case Blocks::BlockFormat::Gpio:
        return checkPins(block);
    case Blocks::BlockFormat::RegPort:
        return checkRecords<RegPortRecord>(
            block, Blocks::kRegPortRecordSize, Blocks::decodeRegPortRecords,
            [](const RegPortRecord &r) { return r.code == Blocks::kRegPortEndMarker; }, false);
    case Blocks::BlockFormat::AdcInput:
        return checkRecords<AdcInputRecord>(
            block, Blocks::kAdcInputRecordSize, Blocks::decodeAdcInputRecords,
            [](const AdcInputRecord &r) { return r.gain == 25555.0f; }, false);
    case Blocks::BlockFormat::PwmPort:
        return checkRecords<PwmPortRecord>(
            block, Blocks::kPwmPortRecordSize, Blocks::decodePwmPortRecords,
            [](const PwmPortRecord &r) { return r.pin == Blocks::kPwmPortEndMarker; }, false);
    case Blocks::BlockFormat::DigitalLink:
        return checkRecords<DigitalLinkRecord>(
            block, Blocks::kDigitalLinkRecordSize, Blocks::decodeDigitalLinkRecords,
            [](const DigitalLinkRecord &r) { return r.type == Blocks::kLinkEndMarker; }, true);
    case Blocks::BlockFormat::AnalogLink:
        break;
    }
    return checkRecords<AnalogLinkRecord>(
        block, Blocks::kAnalogLinkRecordSize, Blocks::decodeAnalogLinkRecords,
        [](const AnalogLinkRecord &r) { return r.type == Blocks::kLinkEndMarker; }, true);
}
