// The board address remembered in "pcbSettings.ini" of the current folder.
#include "addressstore.h"
#include "tempcwd.h"

#include <QSettings>
#include <QTest>

class TestAddressStore : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void saveKeepsOneKey();
};

void TestAddressStore::load_data()
{
    QTest::addColumn<QString>("key"); // empty: no settings file
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("loaded");

    const QString key = QStringLiteral("IP_ADDRESS");
    // What a missing or unreadable address falls back to; no test connects to it.
    const QString fallback = AddressStore::defaultAddress();
    QTest::newRow("no settings file") << QString() << QString() << fallback;
    QTest::newRow("IPv4") << key << QStringLiteral("127.0.0.2") << QStringLiteral("127.0.0.2");
    QTest::newRow("IPv6") << key << QStringLiteral("::1") << QStringLiteral("::1");
    QTest::newRow("another key only") << QStringLiteral("PORT") << QStringLiteral("2502") << fallback;
    QTest::newRow("words") << key << QStringLiteral("board.local") << fallback;
    QTest::newRow("octet out of range") << key << QStringLiteral("127.0.0.300") << fallback;
}

void TestAddressStore::load()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, loaded);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    if (!key.isEmpty())
        QSettings(cwd.filePath(QStringLiteral("pcbSettings.ini")), QSettings::IniFormat)
            .setValue(key, stored);
    QCOMPARE(AddressStore::load(), QHostAddress(loaded));
}

void TestAddressStore::saveKeepsOneKey()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    const QString path = cwd.filePath(QStringLiteral("pcbSettings.ini"));
    QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("IP_ADDRESS"), "127.0.0.9");
    AddressStore::save(QHostAddress(QStringLiteral("fe80::1")));
    QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys(), QStringList{QStringLiteral("IP_ADDRESS")});
    QCOMPARE(AddressStore::load(), QHostAddress(QStringLiteral("fe80::1")));
}

QTEST_GUILESS_MAIN(TestAddressStore)
#include "tst_addressstore.moc"
