// Board addresses as the settings dialog and the client read them: four decimal octets.
#include "pcbaddress.h"

#include <QTest>

class TestPcbAddress : public QObject
{
    Q_OBJECT

private slots:
    void fromText_data();
    void fromText();
};

void TestPcbAddress::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::newRow("loopback") << "127.0.0.1"
                              << "127.0.0.1";
    QTest::newRow("highest octets") << "255.255.255.255"
                                    << "255.255.255.255";
    QTest::newRow("leading zeros are decimal") << "127.000.000.010"
                                               << "127.0.0.10";
    QTest::newRow("three octets") << "127.0.0" << QString();
    QTest::newRow("five octets") << "127.0.0.1.1" << QString();
    QTest::newRow("empty octet") << "127..0.1" << QString();
    QTest::newRow("octet too big") << "127.0.0.256" << QString();
    QTest::newRow("four digits") << "127.0.0.0001" << QString();
    QTest::newRow("sign") << "127.0.0.+1" << QString();
    QTest::newRow("space") << "127.0.0.1 " << QString();
    QTest::newRow("arabic-indic digit") << QStringLiteral("127.0.0.\u0661") << QString();
    QTest::newRow("host name") << "localhost" << QString();
    QTest::newRow("ipv6") << "::1" << QString();
    QTest::newRow("empty") << "" << QString();
}

void TestPcbAddress::fromText()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    QHostAddress parsed(QStringLiteral("1.2.3.4"));
    QCOMPARE(PcbAddress::fromText(text, &parsed), !address.isEmpty());
    // A refused text leaves the address as it was.
    QCOMPARE(parsed, QHostAddress(address.isEmpty() ? QStringLiteral("1.2.3.4") : address));
}

QTEST_APPLESS_MAIN(TestPcbAddress)
#include "tst_pcbaddress.moc"
