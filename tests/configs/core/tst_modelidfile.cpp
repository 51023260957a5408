#include "datablocks.h"
#include "modelidfile.h"

#include <QRandomGenerator>
#include <QtTest>

using ModelIdFile::SectionBlocks;

namespace {
// A header entry as it stands in the file.
QByteArray entry(const QByteArray &name, quint16 offset, quint16 size)
{
    QByteArray bytes = name.leftJustified(12, '\0', true);
    bytes.append(char(offset & 0xFF))
        .append(char(offset >> 8))
        .append(char(size & 0xFF))
        .append(char(size >> 8));
    return bytes;
}

QByteArray header(const QList<QByteArray> &entries)
{
    return entries.join().leftJustified(160, '\0');
}

SectionBlocks blocksWith(const QMap<int, QByteArray> &blocks)
{
    SectionBlocks all;
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it)
        all[std::size_t(it.key())] = it.value();
    return all;
}
} // namespace

Q_DECLARE_METATYPE(SectionBlocks)

class TestModelIdFile : public QObject
{
    Q_OBJECT

private slots:
    void fileNames_data();
    void fileNames();
    void layout();
    void tooLargeBodyIsRefused();
    void decode_data();
    void decode();
    void roundTrip();
};

void TestModelIdFile::fileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isModelIdFile");
    QTest::addColumn<int>("modelId");
    QTest::newRow("0") << "ModelId_0.vmc" << true << 0;
    QTest::newRow("300: low 8 bits") << "ModelId_300.vmc" << true << 44;
    QTest::newRow("leading zeros") << "ModelId_007.vmc" << true << 7;
    QTest::newRow("longer than any integer") << "ModelId_99999999999999999999.vmc" << true << 255;
    QTest::newRow("any character before vmc") << "ModelId_3xvmc" << true << 3;
    QTest::newRow("case") << "modelid_3.vmc" << false << 3;
    QTest::newRow("no digits") << "ModelId_.vmc" << false << 0;
    QTest::newRow("not the whole name") << "ModelId_3.vmc.bak" << false << 3;
    QTest::newRow("prefix") << "x_ModelId_3.vmc" << false << 3;
}

void TestModelIdFile::fileNames()
{
    QFETCH(QString, name);
    QFETCH(bool, isModelIdFile);
    QFETCH(int, modelId);
    QCOMPARE(ModelIdFile::isModelIdFileName(name), isModelIdFile);
    QCOMPARE(int(ModelIdFile::modelIdOf(name)), modelId);
    QCOMPARE(ModelIdFile::fileName(17), QStringLiteral("ModelId_17.vmc"));
}

void TestModelIdFile::layout()
{
    // A fresh window: the pin block and nine empty sections.
    const QByteArray pins = Blocks::encodeGpioBlock(GpioBlock());
    const QByteArray fresh = *ModelIdFile::encode(blocksWith({{0, pins}}));
    QCOMPARE(fresh.size(), 456);
    QCOMPARE(fresh.left(16).toHex(' '), QByteArray("47 70 69 6f 00 00 00 00 00 00 00 00 00 00 28 01"));
    QCOMPARE(fresh.mid(160), pins);
    const QVector<ModelIdFile::SectionEntry> entries = ModelIdFile::readEntries(fresh);
    QCOMPARE(entries.size(), 10);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(entries.at(i).name, Blocks::sections()[std::size_t(i)].name);
        QCOMPARE(int(entries.at(i).offset), i == 0 ? 0 : 296);
        QCOMPARE(int(entries.at(i).size), i == 0 ? 296 : 0);
    }

    // One on-chip ADC record behind the pin block.
    const QByteArray record = Blocks::encodeRecords(QVector<AdcInputRecord>{{1, 0, 3, 12}});
    const QByteArray one = *ModelIdFile::encode(blocksWith({{0, pins}, {4, record}}));
    QCOMPARE(one.size(), 468);
    QCOMPARE(one.mid(64, 16), entry("TiAdc", 296, 12));
    QCOMPARE(one.mid(80, 16), entry("PwmPorts", 308, 0));
    QCOMPARE(one.mid(144, 16), entry("AoLinks", 308, 0));
    QCOMPARE(one.mid(456), record);
}

void TestModelIdFile::tooLargeBodyIsRefused()
{
    QVERIFY(ModelIdFile::encode(blocksWith({{1, QByteArray(40000, 'a')}, {9, QByteArray(25535, 'b')}})));
    QVERIFY(!ModelIdFile::encode(blocksWith({{1, QByteArray(40000, 'a')}, {9, QByteArray(25536, 'b')}})));
}

void TestModelIdFile::decode_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("read");
    QTest::addColumn<SectionBlocks>("blocks");

    QTest::newRow("shorter than the header") << QByteArray(100, '\0') << false << SectionBlocks();
    QTest::newRow("empty pin section") << header({entry("Gpio", 0, 0)}) << true << SectionBlocks();
    QTest::newRow("other order") << header({entry("AoLinks", 0, 2), entry("Gpio", 2, 1)}) + "abc" << true
                                 << blocksWith({{9, "ab"}, {0, "c"}});
    QTest::newRow("an empty name ends the header")
        << header({entry("RegDo", 0, 1), entry("RegDi", 1, 1), entry("RegAdc", 2, 1), entry("", 3, 1),
                   entry("TiAdc", 3, 1)}) +
               "abcd"
        << true << blocksWith({{1, "a"}, {2, "b"}, {3, "c"}});
    QTest::newRow("past the end, unknown names")
        << header({entry("Gpio", 0, 3), entry("RegDo", 2, 2), entry("gpio", 0, 1), entry("RegDi", 0, 0)}) +
               "xyz"
        << true << blocksWith({{0, "xyz"}});
    QTest::newRow("names twice are appended")
        << header({entry("DoLinks", 2, 2), entry("DoLinks", 0, 2)}) + "abcd" << true
        << blocksWith({{6, "cdab"}});
    QTest::newRow("twelve characters") << header({entry("PwmPortsXXXX", 0, 1), entry("PwmPorts", 0, 1)}) + "p"
                                       << true << blocksWith({{5, "p"}});
}

void TestModelIdFile::decode()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, read);
    QFETCH(SectionBlocks, blocks);
    const std::optional<SectionBlocks> decoded = ModelIdFile::decode(file);
    QCOMPARE(bool(decoded), read);
    if (decoded)
        QCOMPARE(*decoded, blocks);
}

void TestModelIdFile::roundTrip()
{
    QRandomGenerator random(11);
    SectionBlocks blocks;
    for (QByteArray &block : blocks) {
        block.resize(int(random.bounded(2000)));
        for (char &byte : block)
            byte = char(random.bounded(256));
    }
    QCOMPARE(*ModelIdFile::decode(*ModelIdFile::encode(blocks)), blocks);
}

QTEST_APPLESS_MAIN(TestModelIdFile)
#include "tst_modelidfile.moc"
