#include "pinmap.h"

#include <QSet>
#include <QtTest>

Q_DECLARE_METATYPE(PinGroup)

namespace {
PinKey key(quint32 number, qint32 order)
{
    return PinKey{number, order};
}

QList<quint32> range(quint32 from, quint32 to)
{
    QList<quint32> numbers;
    if (from <= to) {
        for (quint32 n = from; n <= to; ++n)
            numbers.append(n);
    } else {
        for (quint32 n = from; n >= to; --n)
            numbers.append(n);
    }
    return numbers;
}
} // namespace

class TestPinMap : public QObject
{
    Q_OBJECT

private slots:
    void keyOrderIsDecidedByLeftOperand();
    void iterationOrder_data();
    void iterationOrder();
    void groupsCoverEveryPinOnce();
    void pinNames();
    void unavailablePins();
    void buildPinMapsReplacesContents();
};

void TestPinMap::keyOrderIsDecidedByLeftOperand()
{
    QVERIFY(key(3, 0) < key(5, 0));
    QVERIFY(!(key(5, 0) < key(3, 0)));
    QVERIFY(key(5, 2) < key(3, 2));
    QVERIFY(!(key(3, 2) < key(5, 2)));
    QVERIFY(!(key(4, 2) < key(4, 2)));
    // Mixed orders: only the left key's order counts.
    QVERIFY(key(5, 2) < key(3, 0));
    QVERIFY(key(3, 0) < key(5, 2));
    // Any order other than 2 sorts ascending.
    QVERIFY(key(3, 1) < key(5, 1));
}

void TestPinMap::iterationOrder_data()
{
    QTest::addColumn<PinGroup>("group");
    QTest::addColumn<QList<quint32>>("left");
    QTest::addColumn<QList<quint32>>("right");
    QTest::addColumn<QString>("firstLeftName");
    QTest::addColumn<QString>("firstRightName");

    QTest::newRow("X6") << PinGroup::X6 << range(41, 50) << range(61, 70) << "NOT AVAI (X6-01)"
                        << "NOT AVAI (X6-02)";
    QTest::newRow("X7") << PinGroup::X7 << range(80, 71) << range(60, 51) << "PG 1 (X7-01)"
                        << "NOT AVAI (X7-02)";
    QTest::newRow("X8") << PinGroup::X8 << range(1, 10) << range(21, 30) << "NOT AVAI (X8-01)"
                        << "NOT AVAI (X8-02)";
    QTest::newRow("X9") << PinGroup::X9 << range(40, 31) << range(20, 11) << "PF 1 (X9-01)"
                        << "NOT AVAI (X9-02)";
    QTest::newRow("No X") << PinGroup::NoX << (QList<quint32>{0} + range(81, 89)) << range(90, 95)
                          << "NOT AVAI"
                          << "PA 2";
}

void TestPinMap::iterationOrder()
{
    QFETCH(PinGroup, group);
    QFETCH(QList<quint32>, left);
    QFETCH(QList<quint32>, right);
    QFETCH(QString, firstLeftName);
    QFETCH(QString, firstRightName);

    const PinMap map = Pins::buildPinMap(group);
    QList<quint32> numbers;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        numbers.append(it.key().number);
        QCOMPARE(it.key().order, Pins::orderOf(group));
        QCOMPARE(it.value(), Pins::pinName(it.key().number));
    }
    QCOMPARE(numbers, left + right);
    QCOMPARE(map.first(), firstLeftName);
    QCOMPARE((map.cbegin() + Pins::kLeftColumnRows).value(), firstRightName);
    // Header positions: odd down the left column, even down the right.
    if (group != PinGroup::NoX) {
        int position = 1;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const QString expected = QStringLiteral("-%1)").arg(position, 2, 10, QLatin1Char('0'));
            QVERIFY2(it.value().endsWith(expected), qPrintable(it.value()));
            position = position == 19 ? 2 : position + 2;
        }
    }
}

void TestPinMap::groupsCoverEveryPinOnce()
{
    PinMap x6, x7, x8, x9, noX;
    Pins::buildPinMaps(x6, x7, x8, x9, noX);
    QCOMPARE(x6.size(), 20);
    QCOMPARE(x7.size(), 20);
    QCOMPARE(x8.size(), 20);
    QCOMPARE(x9.size(), 20);
    QCOMPARE(noX.size(), 16);

    QSet<quint32> seen;
    for (const PinMap *map : {&x6, &x7, &x8, &x9, &noX}) {
        for (auto it = map->cbegin(); it != map->cend(); ++it) {
            QVERIFY(!seen.contains(it.key().number));
            seen.insert(it.key().number);
            QVERIFY(!it.value().isEmpty());
        }
    }
    QCOMPARE(seen.size(), Pins::kPinCount);
    QCOMPARE(*std::max_element(seen.cbegin(), seen.cend()), Pins::kLastPin);
}

void TestPinMap::pinNames()
{
    QCOMPARE(Pins::pinName(81), QStringLiteral("PN 1"));
    QCOMPARE(Pins::pinName(80), QStringLiteral("PG 1 (X7-01)"));
    QCOMPARE(Pins::pinName(0), QStringLiteral("NOT AVAI"));
    QCOMPARE(Pins::pinName(2), QStringLiteral("PE 4 (X8-03)"));
    QVERIFY(Pins::pinName(96).isEmpty());
    QVERIFY(Pins::pinName(200).isEmpty());
    QVERIFY(Pins::pinName(0xFFFFFFFFu).isEmpty());
}

void TestPinMap::unavailablePins()
{
    QList<quint32> namedUnavailable;
    for (quint32 pin = 0; pin <= Pins::kLastPin; ++pin) {
        const bool named = Pins::pinName(pin).startsWith(QLatin1String("NOT AVAI"));
        QCOMPARE(Pins::isUnavailable(pin), named);
        if (named)
            namedUnavailable.append(pin);
    }
    const QList<quint32> list(Pins::kUnavailablePins.begin(), Pins::kUnavailablePins.end());
    // The constant list is in ascending order, pin 0 first, and matches the names exactly.
    QCOMPARE(list, namedUnavailable);
    QCOMPARE(list.size(), 14);
    QCOMPARE(Pins::kPinCount - list.size(), 82);
    QVERIFY(!Pins::isUnavailable(96));
}

void TestPinMap::buildPinMapsReplacesContents()
{
    PinMap x6, x7, x8, x9, noX;
    x6.insert(PinKey{500, 0}, QStringLiteral("stale"));
    noX.insert(PinKey{501, 0}, QStringLiteral("stale"));
    Pins::buildPinMaps(x6, x7, x8, x9, noX);
    QCOMPARE(x6.size(), 20);
    QCOMPARE(noX.size(), 16);
    QVERIFY(!x6.contains(PinKey{500, 0}));
    // A map is searched with keys of its own order.
    QCOMPARE(x9.value(PinKey{35, Pins::kDescending}), QStringLiteral("PL 5 (X9-11)"));
}

QTEST_APPLESS_MAIN(TestPinMap)
#include "tst_pinmap.moc"
