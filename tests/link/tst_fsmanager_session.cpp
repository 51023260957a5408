// Connection life of the link: the stored address, connecting and dropping, the timers, the
// keep-alive poll and the queue rules.
#include "linkharness.h"
#include "loopback.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTcpSocket>
#include <QtEndian>

namespace {

const QByteArray kListSmall("\x0B\x0C\x01", 3);
const QByteArray kKeepAliveSmall("\x0B\x0C\x04", 3);

QByteArray keepAliveReply(char flag)
{
    return TestPeer::frame(kSmall, CmdKeepAlive, QByteArray(1, flag));
}

} // namespace

class TestFsManagerSession : public QObject
{
    Q_OBJECT

private slots:
    void addressIsStoredInWorkingDirectory();
    void sessionAddressIsNotStored_data();
    void sessionAddressIsNotStored();
    void unusableStoredAddressFallsBack_data();
    void unusableStoredAddressFallsBack();
    void connectReadsFileTableFirst();
    void queuedCommandGoesOutWhenAsked();
    void disconnectGoesOfflineQuietly();
    void keepAliveIsQueuedOnceWhileBusy();
    void keepAliveFlagQueuesOneListRequest();
    void replyTimeoutGoesOfflineOnce();
    void limitCountsFromTheLastReply();
    void oversizedReplyGoesOfflineAtOnce();
    void brokenConnectionIsQuietOnlyAfterPoll();
    void refusedConnectionReportsSocketText();
};

void TestFsManagerSession::addressIsStoredInWorkingDirectory()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    const QHostAddress address(QStringLiteral("127.0.0.2"));
    {
        FsManager link;
        link.setPcbIp(address);
        link.setPcbPort(4321);
    }
    QSettings stored(cwd.filePath(QStringLiteral("pcbSettings.ini")), QSettings::IniFormat);
    QCOMPARE(stored.allKeys(), QStringList{QStringLiteral("IP_ADDRESS")});
    QCOMPARE(stored.value(QStringLiteral("IP_ADDRESS")).toString(), address.toString());

    FsManager restarted;
    QCOMPARE(restarted.getPcbIp(), address);
    QCOMPARE(restarted.getPcbPort(), uint16_t(2502)); // the port is never remembered
}

void TestFsManagerSession::sessionAddressIsNotStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("no settings file") << QString();
    QTest::newRow("address stored") << QStringLiteral("127.0.0.2");
}

void TestFsManagerSession::sessionAddressIsNotStored()
{
    QFETCH(QString, stored);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    const QString path = cwd.filePath(QStringLiteral("pcbSettings.ini"));
    if (!stored.isEmpty())
        QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("IP_ADDRESS"), stored);
    QFile before(path);
    const QByteArray bytes = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();
    {
        FsManager link;
        link.usePcbIp(QHostAddress(QStringLiteral("127.0.0.3")));
        QCOMPARE(link.getPcbIp(), QHostAddress(QStringLiteral("127.0.0.3")));
    }
    QCOMPARE(QFile::exists(path), !stored.isEmpty());
    QFile after(path);
    QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), bytes);
    if (!stored.isEmpty())
        QCOMPARE(FsManager().getPcbIp(), QHostAddress(stored));
}

void TestFsManagerSession::unusableStoredAddressFallsBack_data()
{
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<QString>("stored");
    QTest::newRow("no settings file") << false << QString();
    QTest::newRow("empty") << true << QString();
    QTest::newRow("words") << true << QStringLiteral("board.local");
    QTest::newRow("octet out of range") << true << QStringLiteral("127.0.0.300");
}

void TestFsManagerSession::unusableStoredAddressFallsBack()
{
    QFETCH(bool, writeFile);
    QFETCH(QString, stored);
    TempCwd cwd;
    if (writeFile) {
        QSettings settings(cwd.filePath(QStringLiteral("pcbSettings.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("IP_ADDRESS"), stored);
    }
    FsManager link;
    const QHostAddress fallback(FsManager::defaultPcbAddress());
    QCOMPARE(fallback.protocol(), QAbstractSocket::IPv4Protocol);
    QVERIFY(!fallback.isLoopback());
    QCOMPARE(link.getPcbIp(), fallback);
}

void TestFsManagerSession::connectReadsFileTableFirst()
{
    LinkHarness h;
    QVERIFY(!h.link.isConnected());
    // A second call while connecting must not open a second connection.
    h.link.connectToPcb();
    h.link.connectToPcb();
    QVERIFY(h.peer.waitForConnection());
    QCOMPARE(h.next().bytes, kListSmall);
    QTRY_COMPARE(h.rec.states, QList<int>{1});
    QVERIFY(h.link.isConnected());
    QCOMPARE(h.peer.connectionCount(), 1);

    // While idle the link polls; a reply with a zero flag changes nothing.
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
    h.peer.setAutoKeepAlive(false);
    h.link.setTimeScale(0.05);
    for (int poll = 0; poll < 2; ++poll) {
        QCOMPARE(h.next().bytes, kKeepAliveSmall);
        h.peer.send(keepAliveReply(0));
    }
    QCOMPARE(h.next().bytes, kKeepAliveSmall);
    QCOMPARE(h.peer.connectionCount(), 1);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerSession::queuedCommandGoesOutWhenAsked()
{
    LinkHarness h;
    h.link.setTimeScale(1000.0); // no queue tick within the test
    h.link.connectToPcb();
    QVERIFY(h.peer.waitForConnection());
    QTRY_COMPARE(h.rec.states, QList<int>{1});
    h.link.runQueuedCommand();
    QCOMPARE(h.next().bytes, kListSmall);
    // One command at a time: what is queued meanwhile waits for the list's reply.
    h.link.getFiles({{QStringLiteral("a"), 4}});
    h.link.runQueuedCommand();
    QCOMPARE(h.link.getCurrentCommand(), int(CmdListFiles));
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
    QTRY_VERIFY(!h.link.isCommandRunning());
    h.link.runQueuedCommand();
    QCOMPARE(h.next().command, int(CmdGetFile));
}

void TestFsManagerSession::disconnectGoesOfflineQuietly()
{
    LinkHarness h;
    h.link.disconnectFromPcb(); // nothing to drop
    QVERIFY(h.rec.states.isEmpty());

    QVERIFY(h.connectLink());
    h.link.disconnectFromPcb();
    QCOMPARE(h.rec.states, (QList<int>{1, 0}));
    QVERIFY(!h.link.isConnected());
    QVERIFY(h.rec.errors.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(h.link.findChildren<QTcpSocket *>().isEmpty());

    // Queued work does not survive the disconnection, and requests while offline are ignored.
    h.link.getListFiles();
    h.link.deleteFiles({QStringLiteral("abc")});
    QVERIFY(h.connectLink());
    h.peer.setAutoKeepAlive(false);
    h.link.setTimeScale(0.05);
    QCOMPARE(h.next().command, int(CmdKeepAlive));
    QVERIFY(h.rec.deleted.isEmpty());
}

void TestFsManagerSession::keepAliveIsQueuedOnceWhileBusy()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.peer.setAutoKeepAlive(false);
    // Poll every 60 ms; the download may take up to 1 s before it times out.
    h.link.setTimeScale(0.02);
    h.link.getFiles({{QStringLiteral("a"), 4}});
    QCOMPARE(h.next().command, int(CmdGetFile));
    // No signal tells of a keep-alive tick: wait for several of them to pass while busy.
    QTest::qWait(400);
    h.peer.send(TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload("a", "data")));
    QTRY_COMPARE(h.rec.received.size(), 1);

    QCOMPARE(h.next().bytes, kKeepAliveSmall);
    h.peer.send(keepAliveReply(0));
    // The list request queued by the finished download comes next, not a second poll.
    QCOMPARE(h.next().bytes, kListSmall);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerSession::keepAliveFlagQueuesOneListRequest()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.peer.setAutoKeepAlive(false);
    h.link.setTimeScale(0.05);
    QCOMPARE(h.next().bytes, kKeepAliveSmall);
    // The answer and two more flagged replies arrive together, before the list request runs.
    h.peer.send(keepAliveReply(1) + keepAliveReply(1) + keepAliveReply(2));
    TestPeer::Request request = h.next();
    if (request.command == CmdKeepAlive) { // a poll queued before the flags came goes first
        h.peer.send(keepAliveReply(0));
        request = h.next();
    }
    QCOMPARE(request.bytes, kListSmall);
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
    for (int poll = 0; poll < 2; ++poll) {
        QCOMPARE(h.next().bytes, kKeepAliveSmall);
        h.peer.send(keepAliveReply(0));
    }
    QCOMPARE(h.rec.smallLists(), 2);
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerSession::replyTimeoutGoesOfflineOnce()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.rec.clear();

    h.link.setTimeScale(0.02); // a deletion now times out after 100 ms
    h.link.deleteFiles({QStringLiteral("abc")});
    QCOMPARE(h.next().command, int(CmdDeleteFile));
    QTRY_COMPARE(h.rec.errors.size(), 1);
    // The result names the deletion the timeout ended, after what the window is told.
    QCOMPARE(h.rec.outcomes(),
             (QStringList{QStringLiteral("state 0"), QStringLiteral("error Ошибка подключения"),
                          QStringLiteral("result 3 5 Ошибка подключения")}));
    QVERIFY(!h.link.isConnected());
    QVERIFY(h.rec.deleted.isEmpty());

    // The next connection starts clean: the unanswered batch is gone.
    h.link.setTimeScale(1.0);
    QVERIFY(h.connectLink());
    QCOMPARE(h.peer.connectionCount(), 2);
    QCOMPARE(h.rec.outcomes().mid(3),
             (QStringList{QStringLiteral("state 1"), QStringLiteral("result 1 0 Ok")}));
}

void TestFsManagerSession::limitCountsFromTheLastReply()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.peer.setAutoKeepAlive(false);
    // The first file may take 500 ms, each further one 200 ms: ten files answered 60 ms apart
    // take longer than the first limit, yet none of them is late.
    h.link.setTimeScale(0.01);
    QMap<QString, uint> names;
    for (int i = 0; i < 10; ++i)
        names.insert(QStringLiteral("f%1").arg(i), 4);
    h.link.getFiles(names);
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        QCOMPARE(h.next().command, int(CmdGetFile));
        QTest::qWait(60); // the board's own pace, which is what is tested
        h.peer.send(TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload(it.key().toLatin1(), "data")));
    }
    QTRY_COMPARE(h.rec.received, QStringList{QStringLiteral("Ok")});
    QVERIFY(h.rec.errors.isEmpty());
    QVERIFY(h.link.isConnected());
}

void TestFsManagerSession::oversizedReplyGoesOfflineAtOnce()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.rec.clear();

    h.link.getFiles({{QStringLiteral("huge.bin"), 100}});
    QCOMPARE(h.next().command, int(CmdGetFile));
    // A reply one byte longer than the link takes: only its start ever comes, and the download's
    // 50 s limit is far beyond the wait here.
    QByteArray start = TestPeer::bigFileFrame(QByteArray(100, 'x'));
    qToLittleEndian<quint32>((quint32(1) << 30) + 1, start.data() + 6);
    h.peer.send(start);
    QTRY_COMPARE(h.rec.errors.size(), 1);
    const QString text =
        QStringLiteral("Ответ контроллера слишком велик: 1073741825 байт, а принять можно не "
                       "более 1073741824 байт. Соединение разорвано.");
    QCOMPARE(h.rec.outcomes(), (QStringList{QStringLiteral("state 0"), QStringLiteral("error ") + text,
                                            QStringLiteral("result 5 5 ") + text}));
    QVERIFY(!h.link.isConnected());
    QTRY_VERIFY(!h.peer.isConnected());
    QVERIFY(h.rec.received.isEmpty());
    QVERIFY(h.rec.progress.isEmpty()); // no share of a frame never taken
}

void TestFsManagerSession::brokenConnectionIsQuietOnlyAfterPoll()
{
    {
        LinkHarness h;
        QVERIFY(h.connectLink());
        h.peer.setAutoKeepAlive(false);
        h.link.setTimeScale(0.05);
        QCOMPARE(h.next().command, int(CmdKeepAlive));
        h.peer.send(keepAliveReply(0));
        QTRY_VERIFY(!h.link.isCommandRunning());
        QCOMPARE(h.link.getCurrentCommand(), int(CmdKeepAlive));
        h.peer.closeConnection();
        QTRY_COMPARE(h.rec.states, (QList<int>{1, 0}));
        QVERIFY(h.rec.errors.isEmpty());
        // A caller still learns of the break.
        QCOMPARE(h.rec.results.size(), 2); // the opening list, then the break
        // No command, or the poll that may have gone out since; then the socket's text.
        const QString broken = h.rec.results.last();
        QVERIFY2(broken.startsWith(QStringLiteral("0 5 ")) || broken.startsWith(QStringLiteral("4 5 ")),
                 qPrintable(broken));
        QVERIFY(broken.size() > 4);
    }
    {
        LinkHarness h;
        QVERIFY(h.connectLink());
        h.link.deleteFiles({QStringLiteral("abc")});
        QCOMPARE(h.next().command, int(CmdDeleteFile));
        h.peer.closeConnection();
        QTRY_COMPARE(h.rec.errors.size(), 1);
        QCOMPARE(h.rec.states, (QList<int>{1, 0}));
        QVERIFY(!h.rec.errors.first().isEmpty());
        QCOMPARE(h.rec.results.last(), QStringLiteral("3 5 ") + h.rec.errors.first());
    }
}

void TestFsManagerSession::refusedConnectionReportsSocketText()
{
    TempCwd cwd;
    const quint16 closedPort = closedLoopbackPort();
    QVERIFY(closedPort != 0);
    QTcpSocket reference;
    reference.connectToHost(QHostAddress::LocalHost, closedPort);
    QVERIFY(!reference.waitForConnected(5000));

    FsManager link;
    LinkRecorder rec(link);
    link.setPcbIp(QHostAddress::LocalHost);
    link.setPcbPort(closedPort);
    link.connectToPcb();
    QTRY_COMPARE(rec.errors.size(), 1);
    QCOMPARE(rec.outcomes(),
             (QStringList{QStringLiteral("state 0"), QStringLiteral("error ") + reference.errorString(),
                          QStringLiteral("result 0 5 ") + reference.errorString()}));
    QVERIFY(!link.isConnected());
}

QTEST_GUILESS_MAIN(TestFsManagerSession)
#include "tst_fsmanager_session.moc"
