#include "datablocks.h"
#include "derivations.h"
#include "pinmap.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

using Derivations::LinkKind;
Q_DECLARE_METATYPE(LinkKind)

namespace {
QVector<PinSetting> pinsWithCodes(const QVector<int> &codes)
{
    QVector<PinSetting> pins;
    for (int code : codes)
        pins.append(PinSetting{quint32(pins.size()), code, QString(), QStringLiteral("0")});
    return pins;
}
} // namespace

class TestDerivations : public QObject
{
    Q_OBJECT

private slots:
    void linkRules_data();
    void linkRules();
    void linkCounts_data();
    void linkCounts();
    void blockScanFollowsThePages();
};

void TestDerivations::linkRules_data()
{
    QTest::addColumn<LinkKind>("kind");
    QTest::addColumn<QSet<int>>("pinCodes");
    QTest::addColumn<QSet<int>>("registerCodes"); // empty with allRegisters: every row
    QTest::addColumn<bool>("allRegisters");
    // The OFF variants of the bistable outputs (6, 27) and the status LED (24) make no DO link.
    QTest::newRow("DO") << LinkKind::Do << QSet<int>{4, 25, 5, 26} << QSet<int>{4, 25, 5, 26} << false;
    QTest::newRow("DI") << LinkKind::Di << QSet<int>{1, 2, 3} << QSet<int>{1, 2, 3} << false;
    QTest::newRow("AI") << LinkKind::Ai << QSet<int>{7} << QSet<int>() << true;
    QTest::newRow("AO") << LinkKind::Ao << QSet<int>{8} << QSet<int>() << false;
}

void TestDerivations::linkRules()
{
    QFETCH(LinkKind, kind);
    QFETCH(QSet<int>, pinCodes);
    QFETCH(QSet<int>, registerCodes);
    QFETCH(bool, allRegisters);
    for (int code = 0; code <= 0xFFFF; ++code) {
        QCOMPARE(Derivations::pinMakesLink(kind, code), pinCodes.contains(code));
        QCOMPARE(Derivations::registerMakesLink(kind, code), allRegisters || registerCodes.contains(code));
    }
}

void TestDerivations::linkCounts_data()
{
    QTest::addColumn<LinkKind>("kind");
    QTest::addColumn<QVector<int>>("pinCodes");
    QTest::addColumn<QVector<int>>("registerCodes");
    QTest::addColumn<int>("links");
    QTest::newRow("DO: two pins, three outputs")
        << LinkKind::Do << QVector<int>{4, 4, 0} << QVector<int>{5, 5, 5} << 5;
    QTest::newRow("DO: OFF outputs") << LinkKind::Do << QVector<int>{6, 27} << QVector<int>{6, 27, 24} << 0;
    QTest::newRow("DI") << LinkKind::Di << QVector<int>{1, 2, 3, 23} << QVector<int>{3, 28} << 4;
    QTest::newRow("AI: every ADC row")
        << LinkKind::Ai << QVector<int>{7, 8} << QVector<int>{0, 1, 25555} << 4;
    QTest::newRow("AO: pins only") << LinkKind::Ao << QVector<int>{8, 7, 8} << QVector<int>{8, 8} << 2;
    QTest::newRow("nothing") << LinkKind::Do << QVector<int>() << QVector<int>() << 0;
}

void TestDerivations::linkCounts()
{
    QFETCH(LinkKind, kind);
    QFETCH(QVector<int>, pinCodes);
    QFETCH(QVector<int>, registerCodes);
    QFETCH(int, links);
    QCOMPARE(Derivations::linkCount(kind, pinsWithCodes(pinCodes), registerCodes), links);
}

void TestDerivations::blockScanFollowsThePages()
{
    GpioBlock block;
    block.code[2] = 7;  // X8
    block.code[42] = 7; // X6: its page comes first
    block.code[1] = 7;  // cannot be used, whatever the block says
    block.code[3] = 24; // no pin offers the status LED
    block.code[95] = 8;
    block.index[42] = 513;
    const QVector<PinSetting> pins = Derivations::scanGpioBlock(block);

    // Every pin once, page by page, in the order of each group's map (left column, then right).
    QVector<quint32> expectedOrder;
    for (PinGroup group : Pins::kConnectorOrder) {
        const PinMap map = Pins::buildPinMap(group);
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            expectedOrder.append(it.key().number);
    }
    QVector<quint32> order;
    for (const PinSetting &pin : pins) {
        order.append(pin.pin);
        QCOMPARE(pin.name, Pins::pinName(pin.pin));
        QCOMPARE(pin.code == 240, Pins::isUnavailable(pin.pin));
    }
    QCOMPARE(order, expectedOrder);
    QCOMPARE(order.first(), 41u);

    const QVector<PinSetting> inputs = Derivations::adcTiInputs(pins);
    QCOMPARE(inputs.size(), 2);
    QCOMPARE(inputs.at(0), (PinSetting{42, 7, QStringLiteral("PD 2 (X6-03)"), QStringLiteral("513")}));
    QCOMPARE(inputs.at(1).pin, 2u);
    QCOMPARE(Derivations::pwmOutputs(pins), (QVector<PinSetting>{{95, 8, QStringLiteral("PB 1"), "0"}}));
    QCOMPARE(pins.at(order.indexOf(3)).code, 0);
}

QTEST_APPLESS_MAIN(TestDerivations)
#include "tst_derivations.moc"
