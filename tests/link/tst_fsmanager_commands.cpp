// The link's commands on the wire: request bytes, list replies in both forms, upload, delete and
// download batches, and how replies that arrive in pieces or glued together are handled.
#include "linkharness.h"

#include <QFile>
#include <QtEndian>

namespace {

using FileMap = QMap<QString, QByteArray>;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(static_cast<char>(value));
    return result;
}

QByteArray status(int value)
{
    return QByteArray(1, static_cast<char>(value));
}

// Writes a file into the harness's working directory and returns its path.
QString makeFile(const LinkHarness &h, const QString &name, const QByteArray &content)
{
    const QString path = h.cwd.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QByteArray patterned(int size)
{
    QByteArray content(size, '\0');
    for (int i = 0; i < size; ++i)
        content[i] = static_cast<char>(i * 7 + 1);
    return content;
}

// A header-only reply is only cut from the stream once more bytes follow it; a harmless
// keep-alive answer provides them.
QByteArray replyThenPoll(int command, const QByteArray &payload)
{
    return TestPeer::frame(kSmall, command, payload) + TestPeer::frame(kSmall, CmdKeepAlive, status(0));
}

} // namespace

class TestFsManagerCommands : public QObject
{
    Q_OBJECT

private slots:
    void formFollowsReplies();
    void listRepliesAreDecoded();
    void shortListReplyEndsCommandSilently();
    void uploadRecordsOnTheWire();
    void uploadStreamsLongRecordInPieces();
    void uploadInBigForm();
    void uploadRefusesWholeCall_data();
    void uploadRefusesWholeCall();
    void uploadErrorDropsBatch_data();
    void uploadErrorDropsBatch();
    void runningBatchesTakeNewItems();
    void deleteReportsProgressAndRefreshes();
    void deleteStopsAtMissingFile();
    void deleteSkipsUnusableNames();
    void downloadDeliversFiles();
    void downloadProgressFollowsFrame();
    void downloadBigHeaderInPieces();
    void downloadErrorKeepsReceivedFiles();
    void downloadBareStatus_data();
    void downloadBareStatus();
    void unsolicitedSuccessGivesNoProgress_data();
    void unsolicitedSuccessGivesNoProgress();
};

void TestFsManagerCommands::formFollowsReplies()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    // A small-form table with one record and the trailing byte 1 asks for the big form.
    const QByteArray record = TestPeer::entry("a.bin", 1, 2, 3, 4, false);
    h.link.getListFiles();
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0C, 0x01}));
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(100, {record}) + status(1));
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0D, 0x01}));
    QCOMPARE(h.rec.smallLists(), 2);
    h.peer.reply(kBig, CmdListFiles, TestPeer::listPayload(100, {}));
    QTRY_COMPARE(h.rec.bigLists(), 1);
    h.link.setTimeScale(0.05);
    QTRY_VERIFY(h.peer.answeredPolls().contains(bytes({0x0B, 0x0D, 0x04})));

    // A reply in the small form switches back, whatever it answers.
    h.link.getListFiles();
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0D, 0x01}));
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(100, {}) + status(1));
    QTRY_COMPARE(h.rec.smallLists(), 3);
    QTRY_COMPARE(h.peer.answeredPolls().last(), bytes({0x0B, 0x0C, 0x04}));
    // An empty table followed by the byte 1 did not switch to the big form again.
    h.link.getListFiles();
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0C, 0x01}));
    QCOMPARE(h.rec.bigLists(), 1);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerCommands::listRepliesAreDecoded()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    const QByteArray longName(52, 'n'); // fills the field without a zero byte
    const QList<QByteArray> small{TestPeer::entry("first.vmc", 1700000000, 0x08001000, 1000, 7, false),
                                  TestPeer::entry(longName, 5, 6, 65535, 8, false)};
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    // Three records announced, two present: only whole records count.
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(4000000, small, 3) + QByteArray(10, 'x'));
    QTRY_COMPARE(h.rec.smallLists(), 2);
    const LinkRecorder::Table table = h.rec.tables.last();
    QCOMPARE(table.files.size(), 2);
    QCOMPARE(table.files.at(0).name, QStringLiteral("first.vmc"));
    QCOMPARE(table.files.at(0).modifyTime, 1700000000u);
    QCOMPARE(table.files.at(0).address, 0x08001000u);
    QCOMPARE(table.files.at(0).size, 1000u);
    QCOMPARE(table.files.at(0).blockNumber, uint16_t(7));
    QCOMPARE(table.files.at(1).name, QString::fromLatin1(longName));
    QCOMPARE(table.allMemory, 4000000u);
    QCOMPARE(table.memoryUsed, 1000u + 65535u);

    const QList<QByteArray> big{TestPeer::entry("big.bin", 9, 10, 3000000, 11, true),
                                TestPeer::entry("b", 12, 13, 70000, 14, true)};
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    h.peer.reply(kBig, CmdListFiles, TestPeer::listPayload(8000000, big));
    QTRY_COMPARE(h.rec.bigLists(), 1);
    const LinkRecorder::Table bigTable = h.rec.tables.last();
    QVERIFY(bigTable.big);
    QCOMPARE(bigTable.files.size(), 2);
    QCOMPARE(bigTable.files.at(0).size, 3000000u);
    QCOMPARE(bigTable.files.at(1).blockNumber, uint16_t(14));
    QCOMPARE(bigTable.memoryUsed, 3070000u);
}

void TestFsManagerCommands::shortListReplyEndsCommandSilently()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    h.peer.reply(kSmall, CmdListFiles, bytes({1, 2, 3, 4, 0}));
    QTRY_VERIFY(!h.link.isCommandRunning());
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(9, {}));
    QTRY_COMPARE(h.rec.smallLists(), 2); // the opening list and this one: the short reply gave none
    QCOMPARE(h.rec.tables.last().allMemory, 9u);
}

void TestFsManagerCommands::uploadRecordsOnTheWire()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    const QString abc = makeFile(h, QStringLiteral("abc"), "12345");
    h.link.writeFiles({abc});
    QByteArray expected = bytes({0x0B, 0x0C, 0x02}) + "abc" + QByteArray(57, '\0') + bytes({8, 0, 4, 0});
    expected += "12345" + QByteArray(3, '\0');
    QCOMPARE(expected.size(), 75);
    QCOMPARE(h.next().bytes, expected);
    h.peer.send(bytes({0x06, 0x00, 0x0B, 0x0C, 0x02, 0x00}));
    QCOMPARE(h.next().command, int(CmdListFiles));
    QCOMPARE(h.rec.sent, QStringList{QStringLiteral("Ok")});
    QCOMPARE(h.rec.started, QStringList{QStringLiteral("Отправка файлов...")});
    QCOMPARE(h.rec.progress.last(), 100u);
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));

    // A 60-character name is cut to 51 bytes; its length field stops at 52.
    const QString longName = QString(60, QLatin1Char('L'));
    const QString empty = makeFile(h, QStringLiteral("empty"), QByteArray());
    h.link.writeFiles({makeFile(h, longName, "x"), empty});
    const QByteArray first = h.next().bytes;
    QCOMPARE(first.size(), 3 + 64 + 4);
    QCOMPARE(first.mid(3, 52), QByteArray(51, 'L') + '\0');
    QCOMPARE(qFromLittleEndian<quint16>(first.constData() + 3 + 60), quint16(4));
    QCOMPARE(qFromLittleEndian<quint16>(first.constData() + 3 + 62), quint16(52));
    h.peer.reply(kSmall, CmdWriteFile, status(0));
    // An empty file is a header-only record with size 0.
    const QByteArray second = h.next().bytes;
    QCOMPARE(second.size(), 3 + 64);
    QCOMPARE(second.mid(3, 6), QByteArray("empty\0", 6));
    QCOMPARE(qFromLittleEndian<quint16>(second.constData() + 3 + 60), quint16(0));
    QCOMPARE(qFromLittleEndian<quint16>(second.constData() + 3 + 62), quint16(6));
    h.peer.reply(kSmall, CmdWriteFile, status(0));
    QTRY_COMPARE(h.rec.sent.size(), 2);
    QCOMPARE(h.rec.started.size(), 2);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerCommands::uploadStreamsLongRecordInPieces()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    // The largest content the small form can announce, and a second record behind it.
    const QByteArray content = patterned(65532);
    const QString path = makeFile(h, QStringLiteral("large.bin"), content);
    const QString tail = makeFile(h, QStringLiteral("tail.bin"), "t");
    h.link.writeFiles({path, tail});
    const QByteArray request = h.next().bytes;
    QCOMPARE(request.size(), 3 + 64 + 65532);
    QCOMPARE(qFromLittleEndian<quint16>(request.constData() + 3 + 60), quint16(65532));
    QCOMPARE(request.mid(3 + 64), content);
    h.peer.reply(kSmall, CmdWriteFile, status(0));
    QCOMPARE(h.next().bytes.mid(3 + 64), QByteArray("t\0\0\0", 4));
    h.peer.reply(kSmall, CmdWriteFile, status(0));
    QTRY_COMPARE(h.rec.sent.size(), 1);

    const QList<uint> values = h.rec.progress;
    QVERIFY(values.size() > 40); // one figure per piece of 1380 bytes
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i - 1) <= values.at(i));
    QCOMPARE(values.last(), 100u);
}

void TestFsManagerCommands::uploadInBigForm()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    h.peer.reply(kBig, CmdListFiles, TestPeer::listPayload(0, {}));
    QTRY_COMPARE(h.rec.bigLists(), 1);

    const QByteArray content = patterned(70001);
    h.link.writeFiles({makeFile(h, QStringLiteral("abc"), content)});
    const QByteArray request = h.next().bytes;
    QCOMPARE(request.left(3), bytes({0x0B, 0x0D, 0x02}));
    QCOMPARE(request.size(), 3 + 66 + 70004);
    QCOMPARE(qFromLittleEndian<quint32>(request.constData() + 3 + 60), 70004u);
    QCOMPARE(qFromLittleEndian<quint16>(request.constData() + 3 + 64), quint16(4));
    QCOMPARE(request.mid(3 + 66, content.size()), content);
    h.peer.reply(kBig, CmdWriteFile, status(0));
    QTRY_COMPARE(h.rec.sent, QStringList{QStringLiteral("Ok")});
}

void TestFsManagerCommands::uploadRefusesWholeCall_data()
{
    QTest::addColumn<QString>("badName");
    QTest::addColumn<qint64>("badSize");
    QTest::addColumn<bool>("big");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cannot open") << QString() << qint64(0) << false
                                 << QStringLiteral(" не удалось открыть. Передача отменена!");
    QTest::newRow("name outside Latin-1")
        << QStringLiteral("отчёт.vmc") << qint64(4) << false
        << QStringLiteral(" не удалось передать: имя файла содержит символы, которые контроллер не "
                          "поддерживает. Передача отменена!");
    QTest::newRow("too long for the small form")
        << QStringLiteral("huge.bin") << qint64(65533) << false
        << QStringLiteral(" не удалось передать: файл больше 65532 байт. Передача отменена!");
    // 1 GiB less the most a download reply adds around the content (64 bytes): the largest file
    // sent is one the link can also take back.
    QTest::newRow("too long to come back in a download")
        << QStringLiteral("huge.bin") << qint64(1073741761) << true
        << QStringLiteral(" не удалось передать: файл больше 1073741760 байт. Передача отменена!");
}

void TestFsManagerCommands::uploadRefusesWholeCall()
{
    QFETCH(QString, badName);
    QFETCH(qint64, badSize);
    QFETCH(bool, big);
    QFETCH(QString, reason);
    LinkHarness h;
    QVERIFY(h.connectLink());
    if (big) {
        h.link.getListFiles();
        QCOMPARE(h.next().command, int(CmdListFiles));
        h.peer.reply(kBig, CmdListFiles, TestPeer::listPayload(0, {}));
        QTRY_COMPARE(h.rec.bigLists(), 1);
    }
    const QString bad = h.cwd.filePath(badName.isEmpty() ? QStringLiteral("missing.bin") : badName);
    if (!badName.isEmpty()) {
        // Sparse: the link judges a regular file by its size before it reads anything.
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(badSize));
    }
    const QStringList paths{makeFile(h, QStringLiteral("one"), "1"), bad,
                            makeFile(h, QStringLiteral("three"), "3")};
    h.link.writeFiles(paths);
    QTRY_COMPARE(h.rec.errors.size(), 1);
    QCOMPARE(h.rec.errors.first(), QStringLiteral("Файл: ") + bad + reason);
    // Nothing of the call went out: the next request is the list asked for now.
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    QVERIFY(h.rec.started.isEmpty());
    QVERIFY(h.link.isConnected());
}

void TestFsManagerCommands::uploadErrorDropsBatch_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("network") << status(1) << QStringLiteral("Ошибка сети!");
    QTest::newRow("memory") << status(2) << QStringLiteral("Не хватает памяти на контроллере!");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("Ошибка сети!");
}

void TestFsManagerCommands::uploadErrorDropsBatch()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, text);
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.writeFiles({makeFile(h, QStringLiteral("a"), "a"), makeFile(h, QStringLiteral("b"), "b")});
    QCOMPARE(h.next().command, int(CmdWriteFile));
    h.peer.send(replyThenPoll(CmdWriteFile, answer));
    QTRY_COMPARE(h.rec.sent, QStringList{text});
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles)); // the second record was dropped
}

void TestFsManagerCommands::runningBatchesTakeNewItems()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.writeFiles({makeFile(h, QStringLiteral("a"), "a"), makeFile(h, QStringLiteral("b"), "b")});
    QCOMPARE(h.next().bytes.mid(3, 2), QByteArray("a\0", 2));
    h.link.writeFiles({makeFile(h, QStringLiteral("c"), "c")});
    for (const char *name : {"b", "c"}) {
        h.peer.reply(kSmall, CmdWriteFile, status(0));
        QCOMPARE(h.next().bytes.mid(3, 2), QByteArray(name, 2));
    }
    h.peer.reply(kSmall, CmdWriteFile, status(0));
    // No second write command was queued: it would send nothing and time out before the list.
    QCOMPARE(h.next().command, int(CmdListFiles));
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
    QCOMPARE(h.rec.sent, QStringList{QStringLiteral("Ok")});
    QCOMPARE(h.rec.started.size(), 1);

    h.rec.progress.clear();
    h.link.deleteFiles({QStringLiteral("x"), QStringLiteral("y")});
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0C, 0x03, 2, 'x', 0}));
    h.link.deleteFiles({QStringLiteral("z")});
    h.peer.reply(kSmall, CmdDeleteFile, status(0));
    QCOMPARE(h.next().bytes.mid(4), QByteArray("y\0", 2));
    h.peer.reply(kSmall, CmdDeleteFile, status(0));
    QCOMPARE(h.next().bytes.mid(4), QByteArray("z\0", 2));
    h.peer.reply(kSmall, CmdDeleteFile, status(0));
    QCOMPARE(h.next().command, int(CmdListFiles));
    QCOMPARE(h.rec.progress, (QList<uint>{33, 66, 100}));
    QCOMPARE(h.rec.started.size(), 2);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerCommands::deleteReportsProgressAndRefreshes()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.deleteFiles({QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("ghi")});
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0C, 0x03, 0x04, 0x61, 0x62, 0x63, 0x00}));
    QCOMPARE(h.rec.started, QStringList{QStringLiteral("Удаление файла...")});
    for (const char *name : {"def", "ghi"}) {
        h.peer.reply(kSmall, CmdDeleteFile, status(0));
        QCOMPARE(h.next().bytes.mid(4), QByteArray(name, 4));
    }
    h.peer.reply(kSmall, CmdDeleteFile, status(0));
    QCOMPARE(h.next().command, int(CmdListFiles));
    QCOMPARE(h.rec.progress, (QList<uint>{33, 66, 100}));
    QCOMPARE(h.rec.deleted, QStringList{QStringLiteral("Ok")});
}

void TestFsManagerCommands::deleteStopsAtMissingFile()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.deleteFiles({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QCOMPARE(h.next().bytes.mid(4), QByteArray("a\0", 2));
    h.peer.reply(kSmall, CmdDeleteFile, status(0));
    QCOMPARE(h.next().bytes.mid(4), QByteArray("b\0", 2));
    h.peer.reply(kSmall, CmdDeleteFile, status(2));
    QTRY_COMPARE(h.rec.deleted, QStringList{QStringLiteral("Файл не существует!")});
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles)); // "c" was never sent
}

void TestFsManagerCommands::deleteSkipsUnusableNames()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.deleteFiles({QString(52, QLatin1Char('n')), QString()});
    h.link.getFiles({{QString(52, QLatin1Char('n')), 10}});
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    QVERIFY(h.rec.started.isEmpty());
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
    h.link.deleteFiles({QString(51, QLatin1Char('n'))});
    QCOMPARE(h.next().bytes.mid(3), char(52) + QByteArray(51, 'n') + '\0');
}

void TestFsManagerCommands::downloadDeliversFiles()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getFiles({{QStringLiteral("abcde"), 10}, {QStringLiteral("b"), 30}});
    QCOMPARE(h.next().bytes, bytes({0x0B, 0x0C, 0x05, 0x06, 'a', 'b', 'c', 'd', 'e', 0x00}));
    QCOMPARE(h.rec.started, QStringList{QStringLiteral("Получение файлов...")});
    // The same name asked for again while the batch holds it: one request serves both.
    h.link.getFiles({{QStringLiteral("b"), 30}});
    h.peer.reply(kSmall, CmdGetFile, TestPeer::filePayload("abcde", "0123456789"));
    QCOMPARE(h.next().bytes.mid(3), bytes({0x02, 'b', 0x00}));
    // The board's name counts, not the one asked for; a name length past the end cuts it.
    h.peer.reply(kSmall, CmdGetFile, bytes({0, 40, 'n', 'e', 'w'}));
    QCOMPARE(h.next().command, int(CmdListFiles));
    QCOMPARE(h.rec.progress, (QList<uint>{14, 100})); // 10 of 70 expected bytes, then all
    QCOMPARE(h.rec.received.size(), 1);
    const auto files = h.rec.receivedFiles.first();
    QCOMPARE(h.rec.received.first(), QStringLiteral("Ok"));
    QCOMPARE(files.keys(), (QStringList{QStringLiteral("abcde"), QStringLiteral("new")}));
    QCOMPARE(files.value(QStringLiteral("abcde")), QByteArray("0123456789"));
    QVERIFY(files.value(QStringLiteral("new")).isEmpty());
}

void TestFsManagerCommands::downloadProgressFollowsFrame()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    for (const bool big : {false, true}) {
        h.rec.progress.clear();
        h.link.getFiles({{QStringLiteral("f"), 4000}});
        QCOMPARE(h.next().command, int(CmdGetFile));
        const QByteArray payload = TestPeer::filePayload("f", patterned(4000));
        const QByteArray frame =
            big ? TestPeer::bigFileFrame(payload) : TestPeer::frame(kSmall, CmdGetFile, payload);
        for (int quarter = 1; quarter < 4; ++quarter) {
            const int end = frame.size() * quarter / 4;
            h.peer.send(frame.mid(frame.size() * (quarter - 1) / 4, end - frame.size() * (quarter - 1) / 4));
            const uint share = uint(qint64(end) * 100 / frame.size());
            QTRY_VERIFY(!h.rec.progress.isEmpty() && h.rec.progress.last() == share);
        }
        h.peer.send(frame.mid(frame.size() * 3 / 4));
        QCOMPARE(h.next().command, int(CmdListFiles));
        h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
        QCOMPARE(h.rec.progress.last(), 100u);
        QCOMPARE(h.rec.receivedFiles.last().value("f"), patterned(4000));
    }
    // Replies to other commands report no progress while they arrive.
    h.rec.progress.clear();
    h.link.deleteFiles({QStringLiteral("f")});
    QCOMPARE(h.next().command, int(CmdDeleteFile));
    const QByteArray frame = TestPeer::frame(kSmall, CmdDeleteFile, status(0) + QByteArray(200, '\0'));
    h.peer.send(frame.left(100));
    h.peer.send(frame.mid(100));
    QTRY_COMPARE(h.rec.deleted.size(), 1);
    QCOMPARE(h.rec.progress, QList<uint>{100});
}

void TestFsManagerCommands::downloadBigHeaderInPieces()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getFiles({{QStringLiteral("g"), 100}});
    QCOMPARE(h.next().command, int(CmdGetFile));
    const QByteArray frame = TestPeer::bigFileFrame(TestPeer::filePayload("g", patterned(100)));
    // Seven header bytes first: the length field is not complete yet.
    h.peer.send(frame.left(7));
    h.peer.send(frame.mid(7, 3));
    h.peer.send(frame.mid(10));
    QTRY_COMPARE(h.rec.received.size(), 1);
    QCOMPARE(h.rec.receivedFiles.first().value("g"), patterned(100));
    for (const uint value : h.rec.progress)
        QVERIFY(value <= 100);
}

void TestFsManagerCommands::downloadErrorKeepsReceivedFiles()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getFiles({{QStringLiteral("a"), 1}, {QStringLiteral("b"), 1}, {QStringLiteral("c"), 1}});
    QCOMPARE(h.next().command, int(CmdGetFile));
    h.peer.reply(kSmall, CmdGetFile, TestPeer::filePayload("a", "A"));
    QCOMPARE(h.next().command, int(CmdGetFile));
    // Glued to the reply: a second frame that must not spoil it.
    h.peer.send(TestPeer::frame(kSmall, CmdGetFile, status(1)) +
                TestPeer::frame(kSmall, CmdKeepAlive, status(0)));
    QTRY_COMPARE(h.rec.received.size(), 1);
    QCOMPARE(h.rec.received.first(), QStringLiteral("Ошибка сети!"));
    const auto files = h.rec.receivedFiles.first();
    QCOMPARE(files, (FileMap{{QStringLiteral("a"), QByteArray("A")}}));
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles)); // "c" was dropped
}

void TestFsManagerCommands::downloadBareStatus_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << status(2) << QStringLiteral("Файл не существует!");
    QTest::newRow("network") << status(1) << QStringLiteral("Ошибка сети!");
    QTest::newRow("success without name") << status(0) << QStringLiteral("Ошибка сети!");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("Ошибка сети!");
}

void TestFsManagerCommands::downloadBareStatus()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, text);
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.link.getFiles({{QStringLiteral("a"), 1}});
    QCOMPARE(h.next().command, int(CmdGetFile));
    h.peer.send(replyThenPoll(CmdGetFile, answer));
    QTRY_COMPARE(h.rec.received.size(), 1);
    QCOMPARE(h.rec.received.first(), text);
    QVERIFY(!h.link.isCommandRunning());
}

void TestFsManagerCommands::unsolicitedSuccessGivesNoProgress_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("write") << int(CmdWriteFile);
    QTest::newRow("delete") << int(CmdDeleteFile);
    QTest::newRow("get") << int(CmdGetFile);
}

void TestFsManagerCommands::unsolicitedSuccessGivesNoProgress()
{
    QFETCH(int, command);
    LinkHarness h;
    QVERIFY(h.connectLink());
    const QByteArray payload = command == CmdGetFile ? TestPeer::filePayload("x", "1") : status(0);
    h.peer.reply(kSmall, command, payload);
    QTRY_COMPARE(h.rec.sent.size() + h.rec.deleted.size() + h.rec.received.size(), 1);
    QVERIFY(h.rec.progress.isEmpty());
    QCOMPARE(h.next().command, int(CmdListFiles));
}

QTEST_GUILESS_MAIN(TestFsManagerCommands)
#include "tst_fsmanager_commands.moc"
