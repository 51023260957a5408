// Payload decoders and name encoding of the board protocol, fed with hand-made bytes.
#include "pcbprotocol.h"
#include "lebytes.h"

#include <QTest>
#include <QtEndian>

using namespace PcbProtocol;

namespace {

QByteArray listHeader(quint32 memory, quint16 count)
{
    QByteArray bytes(6, '\0');
    putLE<quint32>(bytes, 0, memory);
    putLE<quint16>(bytes, 4, count);
    return bytes;
}

// A small-form record, cut to `length` bytes when a truncated one is wanted.
QByteArray record(quint32 size, int length)
{
    QByteArray bytes(qMax(length, 64), '\0');
    bytes.replace(0, 4, "file");
    putLE<quint32>(bytes, 60, size); // 16 bits are read of it in the small form
    return bytes.left(length);
}

const uint8_t *raw(const QByteArray &bytes)
{
    return reinterpret_cast<const uint8_t *>(bytes.constData());
}

} // namespace

class TestPcbProtocol : public QObject
{
    Q_OBJECT

private slots:
    void smallList_data();
    void smallList();
    void bigListCarriesWholeSizes();
    void fileReply_data();
    void fileReply();
    void boardNames();
};

void TestPcbProtocol::smallList_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("entries");
    QTest::addColumn<uint>("used");
    QTest::addColumn<bool>("asksForBig");
    const QByteArray one = listHeader(5000, 1) + record(1000, 64);
    QTest::newRow("too short") << QByteArray(5, '\0') << false << 0 << 0u << false;
    QTest::newRow("empty table") << listHeader(5000, 0) << true << 0 << 0u << false;
    QTest::newRow("one record") << one << true << 1 << 1000u << false;
    QTest::newRow("asks for big form") << one + '\1' << true << 1 << 1000u << true;
    QTest::newRow("other trailing byte") << one + '\2' << true << 1 << 1000u << false;
    QTest::newRow("empty table asks") << listHeader(5000, 0) + '\1' << true << 0 << 0u << false;
    QTest::newRow("more announced than sent")
        << listHeader(5000, 3) + record(7, 64) + record(8, 63) << true << 1 << 7u << false;
}

void TestPcbProtocol::smallList()
{
    QFETCH(QByteArray, payload);
    const ListReply<FstEntry> reply = decodeSmallList(raw(payload), uint(payload.size()));
    QTEST(reply.valid, "valid");
    QTEST(int(reply.entries.size()), "entries");
    QTEST(uint(reply.memoryUsed), "used");
    QTEST(reply.asksForBigForm, "asksForBig");
    if (reply.valid)
        QCOMPARE(reply.allMemory, 5000u);
}

void TestPcbProtocol::bigListCarriesWholeSizes()
{
    const QByteArray payload = listHeader(1u << 24, 2) + record(70000, 66) + record(3000000, 66) + '\1';
    const ListReply<FstEntry_big> reply = decodeBigList(raw(payload), uint(payload.size()));
    QVERIFY(reply.valid);
    QCOMPARE(reply.entries.size(), 2);
    QCOMPARE(reply.entries.at(0).size, 70000u);
    QCOMPARE(reply.memoryUsed, 3070000u);
    QVERIFY(!reply.asksForBigForm);
    // Two bytes short of a record: nothing is taken.
    const QByteArray cut = listHeader(1, 1) + record(1, 64);
    QVERIFY(decodeBigList(raw(cut), uint(cut.size())).entries.isEmpty());
}

void TestPcbProtocol::fileReply_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray() << int(FileReply::Unusable) << QString() << QByteArray();
    QTest::newRow("bare success") << QByteArray(1, '\0') << int(FileReply::Unusable) << QString()
                                  << QByteArray();
    QTest::newRow("bare network error")
        << QByteArray(1, '\1') << int(FileReply::NetworkError) << QString() << QByteArray();
    QTest::newRow("bare missing file")
        << QByteArray(1, '\2') << int(FileReply::NoSuchFile) << QString() << QByteArray();
    QTest::newRow("bare other status")
        << QByteArray(1, '\7') << int(FileReply::Unusable) << QString() << QByteArray();
    QTest::newRow("other status") << QByteArray("\7\0", 2) << int(FileReply::OtherStatus) << QString()
                                  << QByteArray();
    QTest::newRow("abcde") << QByteArray("\0\6abcde\0content", 15) << int(FileReply::File)
                           << QStringLiteral("abcde") << QByteArray("content");
    QTest::newRow("latin-1 name") << QByteArray("\0\3\xE9t\0x", 6) << int(FileReply::File)
                                  << QString::fromLatin1("\xE9t") << QByteArray("x");
    QTest::newRow("name length 1") << QByteArray("\0\1\0data", 7) << int(FileReply::File) << QString()
                                   << QByteArray("data");
    QTest::newRow("only the length byte")
        << QByteArray("\0\6", 2) << int(FileReply::File) << QString() << QByteArray();
    QTest::newRow("name past the end")
        << QByteArray("\0\xFFlong", 6) << int(FileReply::File) << QStringLiteral("long") << QByteArray();
}

void TestPcbProtocol::fileReply()
{
    QFETCH(QByteArray, payload);
    const FileReply reply = decodeFileReply(raw(payload), uint(payload.size()));
    QTEST(int(reply.kind), "kind");
    QTEST(reply.name, "name");
    if (reply.kind == FileReply::File) {
        QVERIFY(reply.contentOffset + reply.contentSize == uint(payload.size()));
        QTEST(payload.mid(int(reply.contentOffset), int(reply.contentSize)), "content");
    }
}

void TestPcbProtocol::boardNames()
{
    QCOMPARE(boardFileName(QStringLiteral("abc")), QByteArray("abc\0", 4));
    QCOMPARE(boardFileName(QString(51, QLatin1Char('n'))).size(), 52);
    QVERIFY(boardFileName(QString(52, QLatin1Char('n'))).isEmpty());
    QVERIFY(boardFileName(QString()).isEmpty());
    QVERIFY(isLatin1(QString::fromLatin1("caf\xE9.vmc")));
    QVERIFY(!isLatin1(QStringLiteral("файл.vmc")));
    QCOMPARE(paddedLength(0), 0);
    QCOMPARE(paddedLength(5), 8);
    QCOMPARE(paddedLength(kSmallFormMaxContent), qint64(kSmallFormMaxContent));
    QVERIFY(paddedLength(kSmallFormMaxContent + 1) > 0xFFFF);
}

QTEST_APPLESS_MAIN(TestPcbProtocol)
#include "tst_pcbprotocol.moc"
