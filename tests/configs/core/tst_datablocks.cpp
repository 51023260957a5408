#include "datablocks.h"
#include "functioncatalogue.h"
#include "pinmap.h"

#include <QRandomGenerator>
#include <QtTest>
#include <set>

using Blocks::Section;

Q_DECLARE_METATYPE(Blocks::Section)

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// What a tab's fill gets from a block: whether it is data at all, each record's fields in file
// order, and the block the records encode to again.
struct Decoded
{
    bool readable = false;
    QStringList records;
    QByteArray encoded;
};

QString fields(std::initializer_list<double> values)
{
    QStringList texts;
    for (double value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

template <typename Record, typename Fields>
Decoded records(const std::optional<QVector<Record>> &decoded, Fields fieldsOf)
{
    Decoded result;
    if (!decoded)
        return result;
    result.readable = true;
    for (const Record &record : *decoded)
        result.records << fieldsOf(record);
    result.encoded = Blocks::encodeRecords(*decoded);
    return result;
}

Decoded decode(Section section, const QByteArray &bytes)
{
    switch (Blocks::sectionInfo(section).format) {
    case Blocks::BlockFormat::Gpio: {
        // The pins that have an index or a code: pin, index, code.
        Decoded result;
        const std::optional<GpioBlock> block = Blocks::decodeGpioBlock(bytes);
        if (!block)
            return result;
        result.readable = true;
        for (int pin = 0; pin < Blocks::kGpioPinCount; ++pin) {
            if (block->index[pin] || block->code[pin])
                result.records << fields({double(pin), double(block->index[pin]), double(block->code[pin])});
        }
        result.encoded = Blocks::encodeGpioBlock(*block);
        return result;
    }
    case Blocks::BlockFormat::RegPort:
        return records(Blocks::decodeRegPortRecords(bytes), [](const RegPortRecord &r) {
            return fields({double(r.index), double(r.code)});
        });
    case Blocks::BlockFormat::AdcInput:
        return records(Blocks::decodeAdcInputRecords(bytes), [](const AdcInputRecord &r) {
            return fields({double(r.gain), double(r.offset), double(r.index), double(r.port)});
        });
    case Blocks::BlockFormat::PwmPort:
        return records(Blocks::decodePwmPortRecords(bytes), [](const PwmPortRecord &r) {
            return fields({double(r.index), double(r.pin), double(r.frequency)});
        });
    case Blocks::BlockFormat::DigitalLink:
        return records(Blocks::decodeDigitalLinkRecords(bytes), [](const DigitalLinkRecord &r) {
            return fields({double(r.index), double(r.type)});
        });
    case Blocks::BlockFormat::AnalogLink:
        break;
    }
    return records(Blocks::decodeAnalogLinkRecords(bytes), [](const AnalogLinkRecord &r) {
        return fields({double(r.index), double(r.type)});
    });
}

} // namespace

class TestDataBlocks : public QObject
{
    Q_OBJECT

private slots:
    void blocks_data();
    void blocks();
    void shortBlocksAreNoData_data();
    void shortBlocksAreNoData();
    void readableBlocksAreWhatTheDecodersRead_data();
    void readableBlocksAreWhatTheDecodersRead();
    void emptyBlocks_data();
    void emptyBlocks();
    void unavailablePinsAreMarked();
    void roundTrips();
};

void TestDataBlocks::blocks_data()
{
    QTest::addColumn<Section>("section");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("records"); // each record's fields in file order
    QTest::addColumn<QByteArray>("encoded");  // the records written again

    // Bytes in hex, records apart; the records written again give the bytes unless said otherwise.
    const auto row = [](const char *name, Section section, const char *bytes, const QStringList &records,
                        const char *encoded = nullptr) {
        QTest::newRow(name) << section << hex(bytes) << records << hex(encoded ? encoded : bytes);
    };
    // Fields are little-endian whatever their position.
    row("DO register", Section::RegDo, "01000400", {"1 4"});
    row("DO link", Section::DoLinks, "02010300", {"258 3"});
    row("AI link: other field order", Section::AiLinks, "00000507", {"5 7"});
    row("PWM", Section::PwmPorts, "0100230064000000", {"1 35 100"});
    row("PWM: frequency above 16 bits", Section::PwmPorts, "0200030090d00300", {"2 3 250000"});
    row("TI ADC", Section::TiAdc, "0000803f000000000300 0c00", {"1 0 3 12"});
    row("SPI ADC: negative offset, high bytes", Section::RegAdc, "0000003f000000c03412cdab",
        {"0.5 -2 4660 43981"});
    // Reserved fields go out as 0 whatever a record read from a file held.
    row("DI link: reserved byte", Section::DiLinks, "020103aa", {"258 3"}, "02010300");
    row("AO link: reserved word", Section::AoLinks, "efbe0507", {"5 7"}, "00000507");

    // A reader stops before the first record carrying its end marker; later records are not read.
    row("DO register: marker second", Section::RegDo, "01000400 0200d363 03000500", {"1 4"}, "01000400");
    row("DO link: marker second", Section::DoLinks, "01000200 0200f100 03000400", {"1 2"}, "01000200");
    row("AI link: marker second", Section::AiLinks, "00000102 000002f1 00000304", {"1 2"}, "00000102");
    row("PWM: marker second", Section::PwmPorts, "0100050064000000 0200d36364000000", {"1 5 100"},
        "0100050064000000");
    // 25555.0 is the bit pattern 0x46C7A600.
    row("SPI ADC: marker second", Section::RegAdc,
        "000000400000000001000100 00a6c7460000000002000200 000040400000000003000300", {"2 0 1 1"},
        "000000400000000001000100");
    // A marker in the first record leaves zero records, which is not the same as no data.
    row("DI register: marker first", Section::RegDi, "0000d363", {}, "");
    row("DO link: marker first", Section::DoLinks, "0000f100 01000200", {}, "");
    row("TI ADC: marker first", Section::TiAdc, "00a6c74600000000 01000100", {}, "");
    // The marker is a value of its own field only, and a gain that is not a number ends nothing.
    row("DO register: 25555 as index", Section::RegDo, "d3630400", {"25555 4"});
    row("DO link: 241 as index", Section::DoLinks, "f1000300", {"241 3"});
    row("AO link: 241 as index", Section::AoLinks, "0000f103", {"241 3"});
    row("PWM: 25555 as index", Section::PwmPorts, "d363010064000000", {"25555 1 100"});
    row("TI ADC: NaN gain, 25555 as offset", Section::TiAdc,
        "0000c07f0000000001000100 0000803f00a6c74602000200", {"nan 0 1 1", "1 25555 2 2"});

    // Bytes after the last whole record are ignored, a marker among them too.
    row("DO register: 7 bytes", Section::RegDo, "01000400 020005", {"1 4"}, "01000400");
    row("DO register: marker in the tail", Section::RegDo, "01000400 0000d3", {"1 4"}, "01000400");
    row("DI link: 6 bytes", Section::DiLinks, "01000200 0300", {"1 2"}, "01000200");
    row("AI link: 6 bytes", Section::AiLinks, "00000102 0000", {"1 2"}, "00000102");
    row("PWM: 15 bytes", Section::PwmPorts, "0100050064000000 02000600640000", {"1 5 100"},
        "0100050064000000");
    row("TI ADC: 20 bytes", Section::TiAdc, "0000803f0000000001000100 000000400000803f", {"1 0 1 1"},
        "0000803f0000000001000100");
    row("SPI ADC: 30 bytes", Section::RegAdc,
        "0000803f0000000001000100 000000400000803f02000200 7f7f7f7f7f7f", {"1 0 1 1", "2 1 2 2"},
        "0000803f0000000001000100 000000400000803f02000200");

    // The pin block: only at its exact size; index of pin p at 2p, its code at 192 + p, the
    // reserved tail neither read nor written.
    QByteArray pins(Blocks::kGpioBlockSize, '\0');
    pins[4] = '\x02';
    pins[5] = '\x01';
    pins[192 + 2] = char(24);
    pins[190] = '\xff';
    pins[191] = '\xff';
    pins[192 + 95] = char(31);
    QByteArray reserved = pins;
    reserved[288] = '\x55';
    reserved[295] = '\x66';
    QTest::newRow("pins") << Section::Gpio << reserved << QStringList{"2 258 24", "95 65535 31"} << pins;
    QTest::newRow("pins: zero") << Section::Gpio << QByteArray(296, '\0') << QStringList()
                                << QByteArray(296, '\0');
}

void TestDataBlocks::blocks()
{
    QFETCH(Section, section);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, records);
    QFETCH(QByteArray, encoded);

    const Decoded decoded = decode(section, bytes);
    QVERIFY(decoded.readable);
    QCOMPARE(decoded.records, records);
    QCOMPARE(decoded.encoded, encoded);
}

void TestDataBlocks::shortBlocksAreNoData_data()
{
    QTest::addColumn<Section>("section");
    QTest::addColumn<int>("size");

    // Shorter than one record (the pin block: any other size) is no data: the tab keeps its rows.
    for (const Blocks::SectionInfo &info : Blocks::sections()) {
        QVector<int> sizes = {0, 1, 295, 297, 592};
        if (info.format != Blocks::BlockFormat::Gpio) {
            sizes.clear();
            for (int size = 0; size < Blocks::recordSize(info.section); ++size)
                sizes << size;
        }
        for (int tooShort : sizes)
            QTest::addRow("%s: %d bytes", qPrintable(info.name), tooShort) << info.section << tooShort;
    }
}

void TestDataBlocks::shortBlocksAreNoData()
{
    QFETCH(Section, section);
    QFETCH(int, size);
    QVERIFY(!decode(section, QByteArray(size, '\x01')).readable);
    // One record more is data.
    const int whole = Blocks::recordSize(section);
    QVERIFY(decode(section, QByteArray(whole, '\0')).readable);
}

void TestDataBlocks::readableBlocksAreWhatTheDecodersRead_data()
{
    QTest::addColumn<Section>("section");
    QTest::addColumn<int>("size");

    // Around one record, around the pin block and beyond both.
    for (const Blocks::SectionInfo &info : Blocks::sections()) {
        const int record = Blocks::recordSize(info.section);
        const std::set<int> sizes = {0, 1, record - 1, record, record + 1, 2 * record, 295, 296, 297, 1000};
        for (int size : sizes)
            QTest::addRow("%s: %d bytes", qPrintable(info.name), size) << info.section << size;
    }
}

void TestDataBlocks::readableBlocksAreWhatTheDecodersRead()
{
    QFETCH(Section, section);
    QFETCH(int, size);
    const QByteArray block(size, '\x02');
    QCOMPARE(Blocks::isReadable(section, block), decode(section, block).readable);
}

void TestDataBlocks::emptyBlocks_data()
{
    QTest::addColumn<int>("section");
    for (const Blocks::SectionInfo &info : Blocks::sections())
        QTest::newRow(qPrintable(info.name)) << int(info.section);
}

void TestDataBlocks::emptyBlocks()
{
    QFETCH(int, section);
    // An empty pin tab has every pin unused with index 0; an empty tab of records has no records.
    const QByteArray block = Blocks::emptyBlock(Blocks::Section(section));
    QCOMPARE(block, Blocks::Section(section) == Blocks::Section::Gpio ? QByteArray(296, '\0') : QByteArray());
}

void TestDataBlocks::unavailablePinsAreMarked()
{
    GpioBlock block;
    block.code.fill(7);
    block.index.fill(9);
    const GpioBlock marked = Blocks::withUnavailablePinsMarked(block);
    int marks = 0;
    for (quint32 pin = 0; pin < 96; ++pin) {
        const bool unavailable = Pins::pinName(pin).startsWith(QLatin1String("NOT AVAI"));
        QCOMPARE(marked.code[pin], quint8(unavailable ? Functions::kNotAvailableCode : 7));
        QCOMPARE(marked.index[pin], quint16(9));
        marks += unavailable ? 1 : 0;
    }
    QCOMPARE(marks, 14);
}

void TestDataBlocks::roundTrips()
{
    QRandomGenerator random(20240611);
    QVector<RegPortRecord> reg;
    QVector<AdcInputRecord> adc;
    QVector<PwmPortRecord> pwm;
    QVector<DigitalLinkRecord> digital;
    QVector<AnalogLinkRecord> analog;
    for (int i = 0; i < 200; ++i) {
        // Keep marker values out of the marker fields so every record survives.
        const auto u16 = [&random] { return quint16(random.bounded(25555)); };
        const auto u8 = [&random] { return quint8(random.bounded(241)); };
        reg.append({quint16(random.bounded(65536)), u16()});
        adc.append({float(random.bounded(127.0)), float(random.bounded(254.0) - 127.0), quint16(i), u16()});
        pwm.append({quint16(random.bounded(65536)), u16(), random.generate()});
        digital.append({quint16(random.bounded(65536)), u8(), quint8(random.bounded(256))});
        analog.append({quint16(random.bounded(65536)), quint8(random.bounded(256)), u8()});
    }
    const auto survives = [](const auto &records, const auto &decoded, int recordSize) {
        const QByteArray bytes = Blocks::encodeRecords(records);
        return bytes.size() == records.size() * recordSize && decoded(bytes) && *decoded(bytes) == records;
    };
    QVERIFY(survives(reg, Blocks::decodeRegPortRecords, Blocks::kRegPortRecordSize));
    QVERIFY(survives(adc, Blocks::decodeAdcInputRecords, Blocks::kAdcInputRecordSize));
    QVERIFY(survives(pwm, Blocks::decodePwmPortRecords, Blocks::kPwmPortRecordSize));
    QVERIFY(survives(digital, Blocks::decodeDigitalLinkRecords, Blocks::kDigitalLinkRecordSize));
    QVERIFY(survives(analog, Blocks::decodeAnalogLinkRecords, Blocks::kAnalogLinkRecordSize));
    QVERIFY(Blocks::encodeRecords(QVector<RegPortRecord>()).isEmpty());

    GpioBlock gpio;
    for (int pin = 0; pin < 96; ++pin) {
        gpio.index[pin] = quint16(random.bounded(65536));
        gpio.code[pin] = quint8(random.bounded(256));
    }
    const auto back = Blocks::decodeGpioBlock(Blocks::encodeGpioBlock(gpio));
    QVERIFY(back);
    QCOMPARE(*back, gpio);
}

QTEST_APPLESS_MAIN(TestDataBlocks)
#include "tst_datablocks.moc"
