// The board simulator driven as a separate process through a raw socket on 127.0.0.1: the bytes
// here are written out by hand, apart from both the simulator's and the link's code.
#include "boardsimprocess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

constexpr char kSmall = 0x0C;
constexpr char kBig = 0x0D;
constexpr int kSmallRecord = 64;
constexpr int kBigRecord = 66;

quint16 u16(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray request(char form, char command, const QByteArray &payload = {})
{
    return QByteArray(1, 0x0B) + QByteArray(1, form) + QByteArray(1, command) + payload;
}

QByteArray namePayload(const QByteArray &name)
{
    return QByteArray(1, char(name.size() + 1)) + name + QByteArray(1, '\0');
}

// An upload frame: request header, record header of the form, content.
QByteArray uploadFrame(char form, const QByteArray &name, const QByteArray &content)
{
    QByteArray header(form == kBig ? kBigRecord : kSmallRecord, '\0');
    header.replace(0, name.size(), name);
    if (form == kBig) {
        header.replace(60, 4, le32(quint32(content.size())));
        header.replace(64, 2, le16(quint16(name.size() + 1)));
    } else {
        header.replace(60, 2, le16(quint16(content.size())));
        header.replace(62, 2, le16(quint16(name.size() + 1)));
    }
    return request(form, 2, header + content);
}

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + seed + i / 256) & 0xFF);
    return bytes;
}

struct Entry
{
    QByteArray name;
    quint32 modifyTime;
    quint32 address;
    quint32 size;
    quint16 block;
};

// A list reply frame, checked and split into records; `trailing` gets the bytes after them.
QList<Entry> parseList(const QByteArray &frame, bool big, quint32 *memory = nullptr,
                       QByteArray *trailing = nullptr)
{
    QList<Entry> entries;
    if (frame.size() < 11)
        return entries;
    if (memory)
        *memory = u32(frame, 5);
    const int count = u16(frame, 9);
    const int recordSize = big ? kBigRecord : kSmallRecord;
    int at = 11;
    for (int i = 0; i < count && at + recordSize <= frame.size(); ++i, at += recordSize) {
        const QByteArray record = frame.mid(at, recordSize);
        Entry e;
        e.name = record.left(52);
        e.name.truncate(e.name.indexOf('\0') < 0 ? 52 : e.name.indexOf('\0'));
        e.modifyTime = u32(record, 52);
        e.address = u32(record, 56);
        e.size = big ? u32(record, 60) : u16(record, 60);
        e.block = u16(record, big ? 64 : 62);
        entries.append(e);
    }
    if (trailing)
        *trailing = frame.mid(at);
    return entries;
}

const Entry *findEntry(const QList<Entry> &entries, const QByteArray &name)
{
    for (const Entry &e : entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

// A raw protocol client: sends bytes and collects one reply frame at a time.
class RawClient
{
public:
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        return socket.waitForConnected(10000);
    }

    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    // Sends in separate writes, waiting for each to leave, so the peer sees split segments.
    void sendInPieces(const QByteArray &bytes, const QList<int> &cuts)
    {
        int from = 0;
        for (const int cut : cuts) {
            socket.write(bytes.mid(from, cut - from));
            socket.waitForBytesWritten(10000);
            from = cut;
        }
        socket.write(bytes.mid(from));
        socket.waitForBytesWritten(10000);
    }

    // One reply frame; the big download header is recognised by 0x0B 0x0D 0x05 at offset 2.
    QByteArray readFrame()
    {
        if (!waitFor(5))
            return {};
        const bool bigGet = buffer.at(2) == 0x0B && buffer.at(3) == kBig && buffer.at(4) == 5;
        if (bigGet && !waitFor(10))
            return {};
        const qint64 length = bigGet ? qint64(u32(buffer, 6)) : qint64(u16(buffer, 0));
        if (length < 5 || !waitFor(length))
            return {};
        const QByteArray frame = buffer.left(int(length));
        buffer.remove(0, int(length));
        return frame;
    }

    // Reads until the peer closes; returns everything that came.
    QByteArray readUntilClosed()
    {
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000))
            buffer += socket.readAll();
        buffer += socket.readAll();
        return buffer;
    }

    bool isClosedByPeer()
    {
        readUntilClosed();
        return socket.state() == QAbstractSocket::UnconnectedState;
    }

    QTcpSocket socket;
    QByteArray buffer;

private:
    bool waitFor(qint64 bytes)
    {
        while (buffer.size() < bytes) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(10000))
                return false;
            buffer += socket.readAll();
        }
        return true;
    }
};

#define START_SIM(sim, ...)                                                                                  \
    BoardSimProcess sim(QStringList{__VA_ARGS__});                                                           \
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()))

#define CONNECT(client, sim)                                                                                 \
    RawClient client;                                                                                        \
    QVERIFY(client.connectTo(sim.port()))

} // namespace

class TestBoardSim : public QObject
{
    Q_OBJECT

private slots:
    void listSmallForm();
    void listBigForm();
    void askBigSwitchesAfterTheBigRequest();
    void uploadInPiecesThenListAndDownload();
    void bigFormUploadAndDownloadBeyond16Bits();
    void downloadFraming_data();
    void downloadFraming();
    void deleteAndMissingFiles();
    void memoryFullAndReplacement();
    void folderPersistsAndKeepAliveSeesHandEdits();
    void folderRefusesHostileUploadNames();
    void keepAliveSeesChangesOfAnotherConnection();
    void hostileNameFixtureIsListed();
    void refusesNonLoopbackHost();
    void faultIgnoreMalformedAndStatus();
    void faultDropDuringDownloadAndUpload();
    void faultDelayHoldsTheReply();
    void recoversFromBadRequestsAndAbortedConnections();
    void stopsCleanlyOnTermination();
};

void TestBoardSim::listSmallForm()
{
    START_SIM(sim, "--memory", "200000", "--file", "a.bin=100", "--file", "big.bin=70000");
    CONNECT(client, sim);
    client.send(request(kSmall, 1));
    const QByteArray frame = client.readFrame();
    QCOMPARE(frame.size(), 5 + 6 + 2 * kSmallRecord);
    QCOMPARE(int(u16(frame, 0)), frame.size());
    QCOMPARE(frame.mid(2, 3), QByteArray("\x0B\x0C\x01"));
    quint32 memory = 0;
    QByteArray trailing;
    const QList<Entry> entries = parseList(frame, false, &memory, &trailing);
    QCOMPARE(memory, 200000u);
    QVERIFY(trailing.isEmpty());
    QCOMPARE(entries.size(), 2);
    const Entry *a = findEntry(entries, "a.bin");
    const Entry *big = findEntry(entries, "big.bin");
    QVERIFY(a && big);
    QCOMPARE(a->size, 100u);
    QCOMPARE(big->size, 65535u); // the small form cannot say more
    // Their memory ranges must not overlap and must lie in the flash.
    QVERIFY(a->address + 100 <= big->address || big->address + 70000 <= a->address);
    QVERIFY(qMax(a->address + 100, big->address + 70000) <= 200000u);
    QVERIFY(a->block != big->block);
    const quint32 now = quint32(QDateTime::currentSecsSinceEpoch());
    QVERIFY(a->modifyTime <= now && a->modifyTime + 600 > now);
}

void TestBoardSim::listBigForm()
{
    START_SIM(sim, "--big", "--file", "big.bin=70000");
    CONNECT(client, sim);
    // A small-form request still gets a big-form answer from a big-form board.
    client.send(request(kSmall, 1));
    const QByteArray frame = client.readFrame();
    QCOMPARE(frame.size(), 5 + 6 + kBigRecord);
    QCOMPARE(frame.at(3), kBig);
    const QList<Entry> entries = parseList(frame, true);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].name, QByteArray("big.bin"));
    QCOMPARE(entries[0].size, 70000u);

    client.send(request(kBig, 4));
    QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0D\x04\x00", 6));
}

void TestBoardSim::askBigSwitchesAfterTheBigRequest()
{
    START_SIM(sim, "--ask-big", "--file", "a.bin=300");
    CONNECT(client, sim);
    client.send(request(kSmall, 1));
    QByteArray frame = client.readFrame();
    QCOMPARE(frame.at(3), kSmall);
    QByteArray trailing;
    QCOMPARE(parseList(frame, false, nullptr, &trailing).size(), 1);
    QCOMPARE(trailing, QByteArray(1, 1));

    client.send(request(kBig, 1));
    frame = client.readFrame();
    QCOMPARE(frame.at(3), kBig);
    QCOMPARE(frame.size(), 5 + 6 + kBigRecord);
    QCOMPARE(parseList(frame, true, nullptr, &trailing).at(0).size, 300u);
    QVERIFY(trailing.isEmpty());

    // Having switched, the connection keeps answering in the big form.
    client.send(request(kSmall, 4));
    QCOMPARE(client.readFrame().at(3), kBig);

    // A new connection starts over in the small form.
    CONNECT(second, sim);
    second.send(request(kSmall, 4));
    QCOMPARE(second.readFrame().at(3), kSmall);
}

void TestBoardSim::uploadInPiecesThenListAndDownload()
{
    START_SIM(sim);
    CONNECT(client, sim);
    const quint32 before = quint32(QDateTime::currentSecsSinceEpoch());
    const QByteArray content = QByteArray("hello\0\0\0", 8);
    const QByteArray frame = uploadFrame(kSmall, "notes.txt", content);
    // Split inside the request header, inside the record header and inside the content.
    client.sendInPieces(frame, {1, 2, 40, 66, 70});
    QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x02\x00", 6));

    client.send(request(kSmall, 1));
    const QList<Entry> entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].name, QByteArray("notes.txt"));
    QCOMPARE(entries[0].size, 8u);
    QVERIFY(entries[0].modifyTime >= before &&
            entries[0].modifyTime <= quint32(QDateTime::currentSecsSinceEpoch()));

    client.send(request(kSmall, 5, namePayload("notes.txt")));
    const QByteArray reply = client.readFrame();
    // Length, start, form, command, status 0, name length 10, "notes.txt\0", content.
    QCOMPARE(reply, le16(quint16(5 + 2 + 10 + 8)) + QByteArray("\x0B\x0C\x05\x00\x0A", 5) +
                        QByteArray("notes.txt\0", 10) + content);
}

void TestBoardSim::bigFormUploadAndDownloadBeyond16Bits()
{
    START_SIM(sim, "--big", "--memory", "1000000");
    CONNECT(client, sim);
    const QByteArray content = pattern(200000, 3);
    const QByteArray frame = uploadFrame(kBig, "large.bin", content);
    client.sendInPieces(frame, {3 + 1380, 3 + 1380 + 1380, 100000});
    const QByteArray ack = client.readFrame();
    QCOMPARE(ack, QByteArray("\x06\x00\x0B\x0D\x02\x00", 6));

    client.send(request(kBig, 1));
    const QList<Entry> entries = parseList(client.readFrame(), true);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].size, 200000u);

    client.send(request(kBig, 5, namePayload("large.bin")));
    const QByteArray reply = client.readFrame();
    QCOMPARE(reply.mid(2, 3), QByteArray("\x0B\x0D\x05"));
    QCOMPARE(u32(reply, 6), quint32(reply.size()));
    QCOMPARE(reply.mid(10, 12), QByteArray("\x00\x0Alarge.bin\0", 12));
    QVERIFY(reply.mid(22) == content);
}

void TestBoardSim::downloadFraming_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("bigHeader");
    QTest::addColumn<char>("form");
    QTest::newRow("small form, fits 16 bits") << "" << 1000 << false << kSmall;
    QTest::newRow("small form, too long for 16 bits") << "" << 70000 << true << kBig;
    QTest::newRow("big form, short file") << "--big" << 10 << true << kBig;
    QTest::newRow("big form, empty file") << "--big" << 0 << true << kBig;
}

void TestBoardSim::downloadFraming()
{
    QFETCH(QString, mode);
    QFETCH(int, size);
    QFETCH(bool, bigHeader);
    QFETCH(char, form);
    QStringList args{QStringLiteral("--file"), QStringLiteral("f.bin=%1").arg(size)};
    if (!mode.isEmpty())
        args << mode;
    BoardSimProcess sim(args);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    CONNECT(client, sim);
    client.send(request(kSmall, 5, namePayload("f.bin")));
    const QByteArray reply = client.readFrame();
    const int header = bigHeader ? 10 : 5;
    QCOMPARE(reply.size(), header + 2 + 6 + size);
    QCOMPARE(reply.at(3), form);
    if (bigHeader)
        QCOMPARE(u32(reply, 6), quint32(reply.size()));
    else
        QCOMPARE(int(u16(reply, 0)), reply.size());
    // Demo content: byte i is (7 i + name length) mod 251.
    const QByteArray content = reply.mid(header + 8);
    for (int i = 0; i < content.size(); ++i) {
        if (quint8(content[i]) != (7 * i + 5) % 251)
            QFAIL(qPrintable(QStringLiteral("content differs at %1").arg(i)));
    }
}

void TestBoardSim::deleteAndMissingFiles()
{
    {
        START_SIM(sim, "--file", "gone.txt=10", "--file", "stays.txt=10");
        CONNECT(client, sim);
        client.send(request(kSmall, 3, namePayload("gone.txt")));
        QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x03\x00", 6));
        client.send(request(kSmall, 3, namePayload("gone.txt")));
        QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x03\x02", 6));
        client.send(request(kSmall, 1));
        const QList<Entry> entries = parseList(client.readFrame(), false);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].name, QByteArray("stays.txt"));
        // A missing file answers status 2 with an empty name, so the status can be read.
        client.send(request(kSmall, 5, namePayload("gone.txt")));
        QCOMPARE(client.readFrame(), QByteArray("\x07\x00\x0B\x0C\x05\x02\x00", 7));
    }
    {
        START_SIM(sim, "--big", "--status-only");
        CONNECT(client, sim);
        client.send(request(kBig, 5, namePayload("none")));
        const QByteArray reply = client.readFrame();
        QCOMPARE(reply.size(), 11);
        QCOMPARE(reply.mid(2, 3), QByteArray("\x0B\x0D\x05"));
        QCOMPARE(reply.at(10), char(2));
    }
}

void TestBoardSim::memoryFullAndReplacement()
{
    START_SIM(sim, "--memory", "1024");
    CONNECT(client, sim);
    const QByteArray tooBig = uploadFrame(kSmall, "huge.bin", pattern(2000, 1));
    client.send(tooBig);
    QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x02\x02", 6));
    // The refused record was read to its end: the next request is understood.
    client.send(request(kSmall, 1));
    QVERIFY(parseList(client.readFrame(), false).isEmpty());

    client.send(uploadFrame(kSmall, "a.bin", pattern(600, 2)));
    QCOMPARE(client.readFrame().at(5), char(0));
    client.send(uploadFrame(kSmall, "b.bin", pattern(600, 3)));
    QCOMPARE(client.readFrame().at(5), char(2));
    // Replacing a.bin may use its own room.
    client.send(uploadFrame(kSmall, "a.bin", pattern(1024, 4)));
    QCOMPARE(client.readFrame().at(5), char(0));
    client.send(request(kSmall, 1));
    const QList<Entry> entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].size, 1024u);
    client.send(request(kSmall, 5, namePayload("a.bin")));
    QVERIFY(client.readFrame().mid(5 + 2 + 6) == pattern(1024, 4));
}

void TestBoardSim::folderPersistsAndKeepAliveSeesHandEdits()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
        QFile pre(folder.filePath(QStringLiteral("pre.bin")));
        QVERIFY(pre.open(QIODevice::WriteOnly));
        pre.write(pattern(333, 5));
    }
    START_SIM(sim, "--dir", folder.path());
    CONNECT(client, sim);
    const QByteArray keepAlive = request(kSmall, 4);
    const QByteArray changed("\x06\x00\x0B\x0C\x04\x01", 6);
    const QByteArray unchanged("\x06\x00\x0B\x0C\x04\x00", 6);

    client.send(request(kSmall, 1));
    QList<Entry> entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].name, QByteArray("pre.bin"));
    QCOMPARE(entries[0].size, 333u);
    client.send(keepAlive);
    QCOMPARE(client.readFrame(), unchanged);

    {
        QFile byHand(folder.filePath(QStringLiteral("hand.txt")));
        QVERIFY(byHand.open(QIODevice::WriteOnly));
        byHand.write("dropped in by hand");
    }
    client.send(keepAlive);
    QCOMPARE(client.readFrame(), changed);
    client.send(keepAlive); // still changed until a list is read
    QCOMPARE(client.readFrame(), changed);
    client.send(request(kSmall, 1));
    entries = parseList(client.readFrame(), false);
    QVERIFY(findEntry(entries, "hand.txt"));
    QCOMPARE(findEntry(entries, "hand.txt")->size, 18u);
    client.send(keepAlive);
    QCOMPARE(client.readFrame(), unchanged);

    // Uploads land in the folder, deletions leave it.
    client.send(uploadFrame(kSmall, "up.bin", pattern(40, 6)));
    QCOMPARE(client.readFrame().at(5), char(0));
    QFile uploaded(folder.filePath(QStringLiteral("up.bin")));
    QVERIFY(uploaded.open(QIODevice::ReadOnly));
    QCOMPARE(uploaded.readAll(), pattern(40, 6));
    uploaded.close();
    client.send(request(kSmall, 3, namePayload("pre.bin")));
    QCOMPARE(client.readFrame().at(5), char(0));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("pre.bin"))));

    client.send(request(kSmall, 1));
    client.readFrame();
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("hand.txt"))));
    client.send(keepAlive);
    QCOMPARE(client.readFrame(), changed);
    client.send(request(kSmall, 1));
    entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].name, QByteArray("up.bin"));
}

void TestBoardSim::folderRefusesHostileUploadNames()
{
    QTemporaryDir outer;
    QVERIFY(outer.isValid());
    const QString folder = outer.filePath(QStringLiteral("board"));
    QVERIFY(QDir().mkpath(folder));
    START_SIM(sim, "--dir", folder);
    CONNECT(client, sim);
    for (const QByteArray &name : {QByteArray("../escape.bin"), QByteArray("sub/x.bin"), QByteArray("..")}) {
        client.send(uploadFrame(kSmall, name, pattern(8, 7)));
        QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x02\x01", 6));
    }
    QCOMPARE(QDir(outer.path()).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    client.send(request(kSmall, 1));
    QVERIFY(parseList(client.readFrame(), false).isEmpty());
}

void TestBoardSim::keepAliveSeesChangesOfAnotherConnection()
{
    START_SIM(sim);
    CONNECT(watcher, sim);
    watcher.send(request(kSmall, 1));
    QVERIFY(parseList(watcher.readFrame(), false).isEmpty());
    CONNECT(writer, sim);
    writer.send(uploadFrame(kSmall, "new.bin", pattern(12, 8)));
    QCOMPARE(writer.readFrame().at(5), char(0));
    watcher.send(request(kSmall, 4));
    QCOMPARE(watcher.readFrame().at(5), char(1));
    watcher.send(request(kSmall, 1));
    QCOMPARE(parseList(watcher.readFrame(), false).size(), 1);
    watcher.send(request(kSmall, 4));
    QCOMPARE(watcher.readFrame().at(5), char(0));
}

void TestBoardSim::hostileNameFixtureIsListed()
{
    START_SIM(sim, "--hostile-name", "../x", "--hostile-name", "a/b\\c");
    CONNECT(client, sim);
    client.send(request(kSmall, 1));
    const QList<Entry> entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 2);
    QVERIFY(findEntry(entries, "../x"));
    QVERIFY(findEntry(entries, "a/b\\c"));
    client.send(request(kSmall, 5, namePayload("../x")));
    QCOMPARE(client.readFrame().at(5), char(0));
}

void TestBoardSim::refusesNonLoopbackHost()
{
    BoardSimProcess anyAddress({QStringLiteral("--host"), QStringLiteral("0.0.0.0")});
    QVERIFY(!anyAddress.isRunning());
    QVERIFY2(anyAddress.errorString().contains(QLatin1String("loopback")),
             qPrintable(anyAddress.errorString()));
    BoardSimProcess notAnAddress({QStringLiteral("--host"), QStringLiteral("board.example")});
    QVERIFY(!notAnAddress.isRunning());
}

void TestBoardSim::faultIgnoreMalformedAndStatus()
{
    START_SIM(sim, "--ignore", "keepalive", "--malformed", "list", "--status", "delete=1", "--file",
              "f.bin=4");
    CONNECT(client, sim);
    // The ignored poll gets no answer: the next reply belongs to the delete after it.
    client.send(request(kSmall, 4));
    client.send(request(kSmall, 3, namePayload("f.bin")));
    QCOMPARE(client.readFrame(), QByteArray("\x06\x00\x0B\x0C\x03\x01", 6));
    client.send(request(kSmall, 1));
    const QByteArray malformed = client.readFrame();
    QCOMPARE(int(u16(malformed, 0)), 5 + 6 + kSmallRecord);
    QVERIFY(malformed.at(2) != 0x0B);
    // The forced failure did not delete anything.
    QCOMPARE(parseList(malformed, false).size(), 1);
}

void TestBoardSim::faultDropDuringDownloadAndUpload()
{
    START_SIM(sim, "--drop-after", "1000", "--file", "f.bin=5000");
    {
        CONNECT(client, sim);
        client.send(request(kSmall, 5, namePayload("f.bin")));
        QVERIFY(client.isClosedByPeer());
        QCOMPARE(client.buffer.size(), 1000);
        QCOMPARE(client.buffer.mid(2, 3), QByteArray("\x0B\x0C\x05"));
    }
    {
        CONNECT(client, sim);
        client.send(uploadFrame(kSmall, "up.bin", pattern(5000, 9)));
        QVERIFY(client.isClosedByPeer());
        QVERIFY(client.buffer.isEmpty());
    }
    CONNECT(client, sim);
    client.send(request(kSmall, 1));
    const QList<Entry> entries = parseList(client.readFrame(), false);
    QCOMPARE(entries.size(), 1); // the dropped upload left nothing behind
    QCOMPARE(entries[0].name, QByteArray("f.bin"));
}

void TestBoardSim::faultDelayHoldsTheReply()
{
    START_SIM(sim, "--delay", "300");
    CONNECT(client, sim);
    QElapsedTimer timer;
    timer.start();
    client.send(request(kSmall, 4));
    QCOMPARE(client.readFrame().size(), 6);
    QVERIFY2(timer.elapsed() >= 290, qPrintable(QString::number(timer.elapsed())));
}

void TestBoardSim::recoversFromBadRequestsAndAbortedConnections()
{
    START_SIM(sim);
    {
        CONNECT(client, sim);
        client.send(QByteArray("\x0A\x0C\x01", 3));
        QVERIFY(client.isClosedByPeer());
        QVERIFY(client.buffer.isEmpty());
    }
    {
        CONNECT(client, sim);
        client.send(QByteArray("\x0B\x0C\x09", 3)); // unknown command
        QVERIFY(client.isClosedByPeer());
    }
    {
        // Half an upload, then the client goes away.
        CONNECT(client, sim);
        const QByteArray frame = uploadFrame(kSmall, "half.bin", pattern(4000, 10));
        client.send(frame.left(2000));
        QVERIFY(sim.waitForLog(QStringLiteral("name=half.bin")));
        client.socket.abort();
    }
    CONNECT(client, sim);
    client.send(request(kSmall, 1));
    QVERIFY(parseList(client.readFrame(), false).isEmpty());
    // Two requests in one segment get two replies in order.
    client.send(request(kSmall, 4) + request(kSmall, 1));
    QCOMPARE(client.readFrame().at(4), char(4));
    QCOMPARE(client.readFrame().at(4), char(1));
    // The log reaches this process through a pipe: wait for it rather than read it at once.
    QVERIFY(sim.waitForLog(QStringLiteral("recv list form=small")));
    QVERIFY(sim.waitForLog(QStringLiteral("send keepalive form=small bytes=6 status=0")));
}

void TestBoardSim::stopsCleanlyOnTermination()
{
#ifdef Q_OS_UNIX
    START_SIM(sim, "--demo");
    {
        CONNECT(client, sim);
        client.send(request(kSmall, 1));
        QCOMPARE(parseList(client.readFrame(), false).size(), 3);
        client.send(request(kSmall, 5, namePayload("log.bin")));
        QVERIFY(!client.readFrame().isEmpty());
        // Stopped with this connection still open.
        QVERIFY2(sim.stop(), qPrintable(sim.log()));
    }
    QVERIFY(!sim.isRunning());
#else
    QSKIP("termination requests reach console programs only on Unix");
#endif
}

QTEST_GUILESS_MAIN(TestBoardSim)
#include "tst_boardsim.moc"
