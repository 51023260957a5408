#include "datablocks.h"
#include "functioncatalogue.h"
#include "pinmap.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

template <typename Record> QVector<Record> decoded(const std::optional<QVector<Record>> &result)
{
    return result ? *result : QVector<Record>();
}
} // namespace

class TestDataBlocks : public QObject
{
    Q_OBJECT

private slots:
    void recordByteLayouts();
    void endMarkersStopDecoding();
    void shortBlocksAreNoData();
    void trailingPartialRecordsAreIgnored();
    void gpioBlockOnlyAtExactSize();
    void gpioBlockLayout();
    void unavailablePinsAreMarked();
    void roundTrips();
};

void TestDataBlocks::recordByteLayouts()
{
    const QByteArray doReg = hex("01000400");
    QCOMPARE(Blocks::encodeRecords(QVector<RegPortRecord>{{1, 4}}), doReg);
    QCOMPARE(decoded(Blocks::decodeRegPortRecords(doReg)), (QVector<RegPortRecord>{{1, 4}}));

    const QByteArray doLink = hex("02010300");
    QCOMPARE(Blocks::encodeRecords(QVector<DigitalLinkRecord>{{258, 3, 0}}), doLink);
    QCOMPARE(decoded(Blocks::decodeDigitalLinkRecords(doLink)), (QVector<DigitalLinkRecord>{{258, 3, 0}}));

    const QByteArray aiLink = hex("00000507");
    QCOMPARE(Blocks::encodeRecords(QVector<AnalogLinkRecord>{{0, 5, 7}}), aiLink);
    QCOMPARE(decoded(Blocks::decodeAnalogLinkRecords(aiLink)), (QVector<AnalogLinkRecord>{{0, 5, 7}}));

    // Reserved fields go out as 0 whatever a record read from a file held.
    const auto digitalFromFile = Blocks::decodeDigitalLinkRecords(hex("020103aa"));
    QCOMPARE(Blocks::encodeRecords(decoded(digitalFromFile)), doLink);
    const auto analogFromFile = Blocks::decodeAnalogLinkRecords(hex("efbe0507"));
    QCOMPARE(Blocks::encodeRecords(decoded(analogFromFile)), aiLink);

    const QByteArray pwm = hex("0100230064000000");
    QCOMPARE(Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 35, 100}}), pwm);
    QCOMPARE(decoded(Blocks::decodePwmPortRecords(pwm)), (QVector<PwmPortRecord>{{1, 35, 100}}));

    const QByteArray tiAdc = hex("0000803f000000000300"
                                 "0c00");
    QCOMPARE(Blocks::encodeRecords(QVector<AdcInputRecord>{{1.0f, 0.0f, 3, 12}}), tiAdc);
    QCOMPARE(decoded(Blocks::decodeAdcInputRecords(tiAdc)), (QVector<AdcInputRecord>{{1.0f, 0.0f, 3, 12}}));

    // Multi-byte fields are little-endian whatever their position: a frequency above 16 bits and
    // a negative offset.
    const AdcInputRecord negative{0.5f, -2.0f, 0x1234, 0xABCD};
    QCOMPARE(Blocks::encodeRecords(QVector<AdcInputRecord>{negative}), hex("0000003f000000c03412cdab"));
    QCOMPARE(Blocks::encodeRecords(QVector<PwmPortRecord>{{2, 3, 250000}}), hex("0200030090d00300"));
}

void TestDataBlocks::endMarkersStopDecoding()
{
    // Second of three records carries the marker: one record, the third is not read.
    const auto reg = Blocks::decodeRegPortRecords(hex("01000400"
                                                      "0200d363"
                                                      "03000500"));
    QVERIFY(reg);
    QCOMPARE(*reg, (QVector<RegPortRecord>{{1, 4}}));

    const auto digital = Blocks::decodeDigitalLinkRecords(hex("01000200"
                                                              "0200f100"
                                                              "03000400"));
    QVERIFY(digital);
    QCOMPARE(*digital, (QVector<DigitalLinkRecord>{{1, 2, 0}}));

    const auto analog = Blocks::decodeAnalogLinkRecords(hex("00000102"
                                                            "000002f1"
                                                            "00000304"));
    QVERIFY(analog);
    QCOMPARE(*analog, (QVector<AnalogLinkRecord>{{0, 1, 2}}));

    const auto pwm = Blocks::decodePwmPortRecords(hex("0100050064000000"
                                                      "0200d36364000000"));
    QVERIFY(pwm);
    QCOMPARE(*pwm, (QVector<PwmPortRecord>{{1, 5, 100}}));

    // 25555.0 as a float is the bit pattern 0x46C7A600.
    const QByteArray markerGain = Blocks::encodeRecords(QVector<AdcInputRecord>{{25555.0f, 0.0f, 1, 1}});
    QCOMPARE(markerGain.left(4), hex("00a6c746"));
    const QByteArray adcBlock = Blocks::encodeRecords(
        QVector<AdcInputRecord>{{2.0f, 0.0f, 1, 1}, {25555.0f, 0.0f, 2, 2}, {3.0f, 0.0f, 3, 3}});
    const auto adc = Blocks::decodeAdcInputRecords(adcBlock);
    QVERIFY(adc);
    QCOMPARE(*adc, (QVector<AdcInputRecord>{{2.0f, 0.0f, 1, 1}}));

    // A marker in the first record leaves zero records, which is not the same as no data.
    const auto emptyReg = Blocks::decodeRegPortRecords(hex("0000d363"));
    QVERIFY(emptyReg);
    QVERIFY(emptyReg->isEmpty());
    const auto emptyLinks = Blocks::decodeDigitalLinkRecords(hex("0000f100"
                                                                 "01000200"));
    QVERIFY(emptyLinks);
    QVERIFY(emptyLinks->isEmpty());
    const auto emptyAdc = Blocks::decodeAdcInputRecords(markerGain);
    QVERIFY(emptyAdc);
    QVERIFY(emptyAdc->isEmpty());

    // The marker is a value in its own field only: the same number in another field is data, and
    // a gain that is not a number never ends the list.
    QCOMPARE(decoded(Blocks::decodeRegPortRecords(hex("d3630400"))).size(), 1);
    QCOMPARE(decoded(Blocks::decodeDigitalLinkRecords(hex("f1000300"))).size(), 1);
    QCOMPARE(decoded(Blocks::decodeAnalogLinkRecords(hex("0000f103"))).size(), 1);
    QCOMPARE(decoded(Blocks::decodePwmPortRecords(hex("d363010064000000"))).size(), 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const auto nanGain = Blocks::decodeAdcInputRecords(
        Blocks::encodeRecords(QVector<AdcInputRecord>{{nan, 0.0f, 1, 1}, {1.0f, 25555.0f, 2, 2}}));
    QVERIFY(nanGain);
    QCOMPARE(nanGain->size(), 2);
    QVERIFY(std::isnan(nanGain->at(0).gain));
}

void TestDataBlocks::shortBlocksAreNoData()
{
    for (int size = 0; size < Blocks::kRegPortRecordSize; ++size) {
        QVERIFY(!Blocks::decodeRegPortRecords(QByteArray(size, '\x01')));
        QVERIFY(!Blocks::decodeDigitalLinkRecords(QByteArray(size, '\x01')));
        QVERIFY(!Blocks::decodeAnalogLinkRecords(QByteArray(size, '\x01')));
    }
    for (int size = 0; size < Blocks::kPwmPortRecordSize; ++size)
        QVERIFY(!Blocks::decodePwmPortRecords(QByteArray(size, '\x01')));
    for (int size = 0; size < Blocks::kAdcInputRecordSize; ++size)
        QVERIFY(!Blocks::decodeAdcInputRecords(QByteArray(size, '\x01')));

    QVERIFY(Blocks::decodeRegPortRecords(QByteArray(Blocks::kRegPortRecordSize, '\0')));
    QVERIFY(Blocks::decodeDigitalLinkRecords(QByteArray(Blocks::kDigitalLinkRecordSize, '\0')));
    QVERIFY(Blocks::decodeAnalogLinkRecords(QByteArray(Blocks::kAnalogLinkRecordSize, '\0')));
    QVERIFY(Blocks::decodePwmPortRecords(QByteArray(Blocks::kPwmPortRecordSize, '\0')));
    QVERIFY(Blocks::decodeAdcInputRecords(QByteArray(Blocks::kAdcInputRecordSize, '\0')));
}

void TestDataBlocks::trailingPartialRecordsAreIgnored()
{
    // 7 bytes of register data: one whole record, the last 3 bytes ignored.
    QCOMPARE(decoded(Blocks::decodeRegPortRecords(hex("01000400"
                                                      "020005"))),
             (QVector<RegPortRecord>{{1, 4}}));
    // 6 bytes of link data: one record.
    QCOMPARE(decoded(Blocks::decodeDigitalLinkRecords(hex("01000200"
                                                          "0300")))
                 .size(),
             1);
    QCOMPARE(decoded(Blocks::decodeAnalogLinkRecords(hex("00000102"
                                                         "0000")))
                 .size(),
             1);
    // 15 bytes of PWM data: one record.
    QCOMPARE(decoded(Blocks::decodePwmPortRecords(hex("0100050064000000"
                                                      "02000600640000")))
                 .size(),
             1);
    // 20 and 30 bytes of ADC data: one and two records.
    const QByteArray two =
        Blocks::encodeRecords(QVector<AdcInputRecord>{{1.0f, 0.0f, 1, 1}, {2.0f, 1.0f, 2, 2}});
    QCOMPARE(decoded(Blocks::decodeAdcInputRecords(two.left(20))).size(), 1);
    QCOMPARE(decoded(Blocks::decodeAdcInputRecords(two + QByteArray(6, '\x7f'))).size(), 2);
    // A marker inside the partial tail is not a record and changes nothing.
    QCOMPARE(decoded(Blocks::decodeRegPortRecords(hex("01000400"
                                                      "0000d3")))
                 .size(),
             1);
}

void TestDataBlocks::gpioBlockOnlyAtExactSize()
{
    QVERIFY(!Blocks::decodeGpioBlock(QByteArray()));
    QVERIFY(!Blocks::decodeGpioBlock(QByteArray(295, '\0')));
    QVERIFY(!Blocks::decodeGpioBlock(QByteArray(297, '\0')));
    QVERIFY(!Blocks::decodeGpioBlock(QByteArray(2 * 296, '\0')));
    const auto zero = Blocks::decodeGpioBlock(QByteArray(296, '\0'));
    QVERIFY(zero);
    QCOMPARE(*zero, GpioBlock());
}

void TestDataBlocks::gpioBlockLayout()
{
    QByteArray bytes(296, '\0');
    // Pin 2: index 0x0102 at offset 4, code 24 at 194; pin 95: index 65535 and code 31.
    bytes[4] = '\x02';
    bytes[5] = '\x01';
    bytes[192 + 2] = char(24);
    bytes[190] = '\xff';
    bytes[191] = '\xff';
    bytes[192 + 95] = char(31);
    bytes[288] = '\x55'; // reserved bytes are not read
    bytes[295] = '\x66';
    const auto block = Blocks::decodeGpioBlock(bytes);
    QVERIFY(block);
    QCOMPARE(block->index[2], quint16(0x0102));
    QCOMPARE(block->code[2], quint8(24));
    QCOMPARE(block->index[95], quint16(65535));
    QCOMPARE(block->code[95], quint8(31));
    QCOMPARE(block->index[0], quint16(0));

    // The writer always zeroes the reserved tail.
    const QByteArray encoded = Blocks::encodeGpioBlock(*block);
    QCOMPARE(encoded.size(), 296);
    QCOMPARE(encoded.left(288), bytes.left(288));
    QCOMPARE(encoded.mid(288), QByteArray(8, '\0'));
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
    const QByteArray regBytes = Blocks::encodeRecords(reg);
    QCOMPARE(regBytes.size(), 200 * Blocks::kRegPortRecordSize);
    QCOMPARE(decoded(Blocks::decodeRegPortRecords(regBytes)), reg);
    const QByteArray adcBytes = Blocks::encodeRecords(adc);
    QCOMPARE(adcBytes.size(), 200 * Blocks::kAdcInputRecordSize);
    QCOMPARE(decoded(Blocks::decodeAdcInputRecords(adcBytes)), adc);
    const QByteArray pwmBytes = Blocks::encodeRecords(pwm);
    QCOMPARE(pwmBytes.size(), 200 * Blocks::kPwmPortRecordSize);
    QCOMPARE(decoded(Blocks::decodePwmPortRecords(pwmBytes)), pwm);
    QCOMPARE(decoded(Blocks::decodeDigitalLinkRecords(Blocks::encodeRecords(digital))), digital);
    QCOMPARE(decoded(Blocks::decodeAnalogLinkRecords(Blocks::encodeRecords(analog))), analog);
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
