#include "datablocks.h"

#include "functioncatalogue.h"
#include "pinmap.h"

#include <QCoreApplication>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

quint32 floatBits(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(quint32 bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Reads little-endian fields from a byte array; every read checks the bytes left first and
// fails instead of reading past the end.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes) : data(bytes) {}

    int remaining() const { return data.size() - position; }

    template <typename T> bool read(T &value)
    {
        if (remaining() < int(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(data.constData() + position);
        position += int(sizeof(T));
        return true;
    }

    bool readFloat(float &value)
    {
        quint32 bits = 0;
        if (!read(bits))
            return false;
        value = floatFromBits(bits);
        return true;
    }

private:
    const QByteArray &data;
    int position = 0;
};

class ByteWriter
{
public:
    template <typename T> void write(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian<T>(value, bytes);
        data.append(bytes, int(sizeof(T)));
    }

    void writeFloat(float value) { write(floatBits(value)); }

    QByteArray data;
};

// One codec per record type: its size, how to read and write it, and its end marker.
template <typename Record> struct Codec;

template <> struct Codec<RegPortRecord>
{
    static constexpr int size = Blocks::kRegPortRecordSize;
    static bool read(ByteReader &in, RegPortRecord &r) { return in.read(r.index) && in.read(r.code); }
    static void write(ByteWriter &out, const RegPortRecord &r)
    {
        out.write(r.index);
        out.write(r.code);
    }
    static bool isEnd(const RegPortRecord &r) { return r.code == Blocks::kRegPortEndMarker; }
};

template <> struct Codec<AdcInputRecord>
{
    static constexpr int size = Blocks::kAdcInputRecordSize;
    static bool read(ByteReader &in, AdcInputRecord &r)
    {
        return in.readFloat(r.gain) && in.readFloat(r.offset) && in.read(r.index) && in.read(r.port);
    }
    static void write(ByteWriter &out, const AdcInputRecord &r)
    {
        out.writeFloat(r.gain);
        out.writeFloat(r.offset);
        out.write(r.index);
        out.write(r.port);
    }
    // A value comparison, so a gain that is not a number never ends the list.
    static bool isEnd(const AdcInputRecord &r)
    {
        return r.gain == floatFromBits(Blocks::kAdcInputEndMarkerBits);
    }
};

template <> struct Codec<PwmPortRecord>
{
    static constexpr int size = Blocks::kPwmPortRecordSize;
    static bool read(ByteReader &in, PwmPortRecord &r)
    {
        return in.read(r.index) && in.read(r.pin) && in.read(r.frequency);
    }
    static void write(ByteWriter &out, const PwmPortRecord &r)
    {
        out.write(r.index);
        out.write(r.pin);
        out.write(r.frequency);
    }
    static bool isEnd(const PwmPortRecord &r) { return r.pin == Blocks::kPwmPortEndMarker; }
};

template <> struct Codec<DigitalLinkRecord>
{
    static constexpr int size = Blocks::kDigitalLinkRecordSize;
    static bool read(ByteReader &in, DigitalLinkRecord &r)
    {
        return in.read(r.index) && in.read(r.type) && in.read(r.reserved);
    }
    static void write(ByteWriter &out, const DigitalLinkRecord &r)
    {
        out.write(r.index);
        out.write(r.type);
        out.write(quint8(0)); // reserved: whatever the record held, the board gets 0
    }
    static bool isEnd(const DigitalLinkRecord &r) { return r.type == Blocks::kLinkEndMarker; }
};

template <> struct Codec<AnalogLinkRecord>
{
    static constexpr int size = Blocks::kAnalogLinkRecordSize;
    static bool read(ByteReader &in, AnalogLinkRecord &r)
    {
        return in.read(r.reserved) && in.read(r.index) && in.read(r.type);
    }
    static void write(ByteWriter &out, const AnalogLinkRecord &r)
    {
        out.write(quint16(0)); // reserved: whatever the record held, the board gets 0
        out.write(r.index);
        out.write(r.type);
    }
    static bool isEnd(const AnalogLinkRecord &r) { return r.type == Blocks::kLinkEndMarker; }
};

template <typename Record> std::optional<QVector<Record>> decodeRecords(const QByteArray &bytes)
{
    using C = Codec<Record>;
    if (bytes.size() < C::size)
        return std::nullopt;
    QVector<Record> records;
    records.reserve(bytes.size() / C::size);
    ByteReader in(bytes);
    while (in.remaining() >= C::size) {
        Record record;
        if (!C::read(in, record) || C::isEnd(record))
            break;
        records.append(record);
    }
    return records;
}

template <typename Record> QByteArray encodeRecordList(const QVector<Record> &records)
{
    ByteWriter out;
    out.data.reserve(records.size() * Codec<Record>::size);
    for (const Record &record : records)
        Codec<Record>::write(out, record);
    return out.data;
}

} // namespace

bool operator==(const GpioBlock &a, const GpioBlock &b)
{
    return a.index == b.index && a.code == b.code;
}

bool operator==(const RegPortRecord &a, const RegPortRecord &b)
{
    return a.index == b.index && a.code == b.code;
}

bool operator==(const AdcInputRecord &a, const AdcInputRecord &b)
{
    return floatBits(a.gain) == floatBits(b.gain) && floatBits(a.offset) == floatBits(b.offset) &&
           a.index == b.index && a.port == b.port;
}

bool operator==(const PwmPortRecord &a, const PwmPortRecord &b)
{
    return a.index == b.index && a.pin == b.pin && a.frequency == b.frequency;
}

bool operator==(const DigitalLinkRecord &a, const DigitalLinkRecord &b)
{
    return a.index == b.index && a.type == b.type;
}

bool operator==(const AnalogLinkRecord &a, const AnalogLinkRecord &b)
{
    return a.index == b.index && a.type == b.type;
}

namespace Blocks {

std::optional<GpioBlock> decodeGpioBlock(const QByteArray &bytes)
{
    if (bytes.size() != kGpioBlockSize)
        return std::nullopt;
    GpioBlock block;
    ByteReader in(bytes);
    for (quint16 &index : block.index) {
        if (!in.read(index))
            return std::nullopt;
    }
    for (quint8 &code : block.code) {
        if (!in.read(code))
            return std::nullopt;
    }
    return block;
}

QByteArray encodeGpioBlock(const GpioBlock &block)
{
    ByteWriter out;
    out.data.reserve(kGpioBlockSize);
    for (quint16 index : block.index)
        out.write(index);
    for (quint8 code : block.code)
        out.write(code);
    out.data.append(kGpioReservedSize, '\0');
    return out.data;
}

GpioBlock withUnavailablePinsMarked(GpioBlock block)
{
    for (quint32 pin : Pins::kUnavailablePins)
        block.code[pin] = quint8(Functions::kNotAvailableCode);
    return block;
}

std::optional<QVector<RegPortRecord>> decodeRegPortRecords(const QByteArray &bytes)
{
    return decodeRecords<RegPortRecord>(bytes);
}

std::optional<QVector<AdcInputRecord>> decodeAdcInputRecords(const QByteArray &bytes)
{
    return decodeRecords<AdcInputRecord>(bytes);
}

std::optional<QVector<PwmPortRecord>> decodePwmPortRecords(const QByteArray &bytes)
{
    return decodeRecords<PwmPortRecord>(bytes);
}

std::optional<QVector<DigitalLinkRecord>> decodeDigitalLinkRecords(const QByteArray &bytes)
{
    return decodeRecords<DigitalLinkRecord>(bytes);
}

std::optional<QVector<AnalogLinkRecord>> decodeAnalogLinkRecords(const QByteArray &bytes)
{
    return decodeRecords<AnalogLinkRecord>(bytes);
}

QByteArray encodeRecords(const QVector<RegPortRecord> &records)
{
    return encodeRecordList(records);
}

QByteArray encodeRecords(const QVector<AdcInputRecord> &records)
{
    return encodeRecordList(records);
}

QByteArray encodeRecords(const QVector<PwmPortRecord> &records)
{
    return encodeRecordList(records);
}

QByteArray encodeRecords(const QVector<DigitalLinkRecord> &records)
{
    return encodeRecordList(records);
}

QByteArray encodeRecords(const QVector<AnalogLinkRecord> &records)
{
    return encodeRecordList(records);
}

namespace {
using Configuration::Record;

// The records of a block as named fields: what a tool shows and a checker reads of each section.
// The function a code stands for is named as the row's button shows it, in Russian whatever the
// user's language, so that what a tool prints as data is the same everywhere; shown texts translate it.
QString functionText(Functions::Context context, int code)
{
    return Functions::appearanceOf(context, code).source;
}

// A record's fields with the name of the pin it names.
Record withPinName(Record fields, quint32 pin)
{
    fields.append({QStringLiteral("name"), Pins::pinName(pin)});
    return fields;
}

// The pins in page order, each with the code the block holds and the function the tab shows for it.
std::optional<QVector<Record>> readPins(const QByteArray &bytes)
{
    const std::optional<GpioBlock> pins = decodeGpioBlock(bytes);
    if (!pins)
        return std::nullopt;
    const GpioBlock shown = withUnavailablePinsMarked(*pins);
    QVector<Record> records;
    records.reserve(kGpioPinCount);
    for (PinGroup group : Pins::kConnectorOrder) {
        const PinMap map = Pins::buildPinMap(group);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint32 pin = it.key().number;
            records.append(
                {{QStringLiteral("pin"), pin},
                 {QStringLiteral("name"), it.value()},
                 {QStringLiteral("code"), pins->code[pin]},
                 {QStringLiteral("function"), functionText(Functions::Context::GpioPin, shown.code[pin])},
                 {QStringLiteral("index"), pins->index[pin]}});
        }
    }
    return records;
}

template <Functions::Context context> Record regPortFields(const RegPortRecord &r)
{
    return {{QStringLiteral("index"), r.index},
            {QStringLiteral("code"), r.code},
            {QStringLiteral("function"), functionText(context, r.code)}};
}

// An external ADC's input is known by its position, an on-chip one by its pin.
template <bool onChip> Record adcInputFields(const AdcInputRecord &r)
{
    const Record fields = {{QStringLiteral("gain"), double(r.gain)},
                           {QStringLiteral("offset"), double(r.offset)},
                           {QStringLiteral("index"), r.index},
                           {onChip ? QStringLiteral("pin") : QStringLiteral("port"), r.port}};
    return onChip ? withPinName(fields, r.port) : fields;
}

Record pwmPortFields(const PwmPortRecord &r)
{
    return withPinName({{QStringLiteral("index"), r.index},
                        {QStringLiteral("pin"), r.pin},
                        {QStringLiteral("frequency"), r.frequency}},
                       r.pin);
}

template <typename LinkRecord> Record linkFields(const LinkRecord &r)
{
    return {{QStringLiteral("index"), r.index}, {QStringLiteral("type"), r.type}};
}

template <typename Rec, Record (*fields)(const Rec &)>
std::optional<QVector<Record>> readRecords(const QByteArray &bytes)
{
    const std::optional<QVector<Rec>> records = decodeRecords<Rec>(bytes);
    if (!records)
        return std::nullopt;
    QVector<Record> read;
    read.reserve(records->size());
    for (const Rec &record : *records)
        read.append(fields(record));
    return read;
}
} // namespace

const std::array<SectionInfo, kSectionCount> &sections()
{
    using Functions::Context;
    // Each row: the section, its name in a model-id file, its per-tab file, its tab's title, its
    // format, the size of one record and how the records read.
    static const std::array<SectionInfo, kSectionCount> table = {{
        {Section::Gpio, QStringLiteral("Gpio"), QStringLiteral("GpioPortsSettings.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "Gpio"), BlockFormat::Gpio, kGpioBlockSize, &readPins},
        {Section::RegDo, QStringLiteral("RegDo"), QStringLiteral("doRegPortsSettings.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "SPI DO"), BlockFormat::RegPort, kRegPortRecordSize,
         &readRecords<RegPortRecord, regPortFields<Context::DoRegister>>},
        {Section::RegDi, QStringLiteral("RegDi"), QStringLiteral("diRegPortsSettings.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "SPI DI"), BlockFormat::RegPort, kRegPortRecordSize,
         &readRecords<RegPortRecord, regPortFields<Context::DiRegister>>},
        {Section::RegAdc, QStringLiteral("RegAdc"), QStringLiteral("analogRegInputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "SPI ADC"), BlockFormat::AdcInput, kAdcInputRecordSize,
         &readRecords<AdcInputRecord, adcInputFields<false>>},
        {Section::TiAdc, QStringLiteral("TiAdc"), QStringLiteral("analogTiInputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "TI ADC"), BlockFormat::AdcInput, kAdcInputRecordSize,
         &readRecords<AdcInputRecord, adcInputFields<true>>},
        {Section::PwmPorts, QStringLiteral("PwmPorts"), QStringLiteral("pwmPortsSettings.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "PWM"), BlockFormat::PwmPort, kPwmPortRecordSize,
         &readRecords<PwmPortRecord, pwmPortFields>},
        {Section::DoLinks, QStringLiteral("DoLinks"), QStringLiteral("digitalOutputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "Привязки DO"), BlockFormat::DigitalLink, kDigitalLinkRecordSize,
         &readRecords<DigitalLinkRecord, linkFields<DigitalLinkRecord>>},
        {Section::DiLinks, QStringLiteral("DiLinks"), QStringLiteral("digitalInputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "Привязки DI"), BlockFormat::DigitalLink, kDigitalLinkRecordSize,
         &readRecords<DigitalLinkRecord, linkFields<DigitalLinkRecord>>},
        {Section::AiLinks, QStringLiteral("AiLinks"), QStringLiteral("analogInputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "Привязки AI"), BlockFormat::AnalogLink, kAnalogLinkRecordSize,
         &readRecords<AnalogLinkRecord, linkFields<AnalogLinkRecord>>},
        {Section::AoLinks, QStringLiteral("AoLinks"), QStringLiteral("analogOutputs.vmc"),
         QT_TRANSLATE_NOOP("Blocks", "Привязки AO"), BlockFormat::AnalogLink, kAnalogLinkRecordSize,
         &readRecords<AnalogLinkRecord, linkFields<AnalogLinkRecord>>},
    }};
    return table;
}

const SectionInfo &sectionInfo(Section section)
{
    return sections()[std::size_t(section)];
}

QString tabTitle(Section section)
{
    return QCoreApplication::translate("Blocks", sectionInfo(section).title);
}

int recordSize(Section section)
{
    return sectionInfo(section).recordSize;
}

bool isReadable(Section section, const QByteArray &block)
{
    const SectionInfo &info = sectionInfo(section);
    if (info.format == BlockFormat::Gpio)
        return block.size() == info.recordSize;
    return block.size() >= info.recordSize;
}

QByteArray emptyBlock(Section section)
{
    const SectionInfo &info = sectionInfo(section);
    return info.format == BlockFormat::Gpio ? QByteArray(info.recordSize, '\0') : QByteArray();
}

namespace {
template <typename Matches> const SectionInfo *findSection(Matches matches)
{
    const auto &table = sections();
    const auto it = std::find_if(table.begin(), table.end(), matches);
    return it == table.end() ? nullptr : &*it;
}
} // namespace

const SectionInfo *sectionNamed(const QString &name)
{
    return findSection([&name](const SectionInfo &info) { return info.name == name; });
}

const SectionInfo *sectionOfFile(const QString &fileName)
{
    return findSection([&fileName](const SectionInfo &info) { return info.fileName == fileName; });
}

} // namespace Blocks
