// How a connection ended, as a value beside the texts: a caller tells a board that did not answer
// from one that went away without reading the text.
#include "linkharness.h"
#include "loopback.h"

#include <QtEndian>

class TestFsManagerEndings : public QObject
{
    Q_OBJECT

private slots:
    void endingIsKnownWhenItIsTold_data();
    void endingIsKnownWhenItIsTold();
};

void TestFsManagerEndings::endingIsKnownWhenItIsTold_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("connectionEnd");
    QTest::addColumn<int>("socketError");
    QTest::addColumn<bool>("resultTold"); // a requestFinished with ResultConnectionLost follows

    QTest::newRow("refused") << "refused" << int(ConnectionBroken)
                             << int(QAbstractSocket::ConnectionRefusedError) << true;
    QTest::newRow("no answer") << "no answer" << int(ConnectionTimedOut)
                               << int(QAbstractSocket::UnknownSocketError) << true;
    QTest::newRow("reply too long") << "too long" << int(ConnectionReplyTooLong)
                                    << int(QAbstractSocket::UnknownSocketError) << true;
    QTest::newRow("board closes") << "board closes" << int(ConnectionBroken)
                                  << int(QAbstractSocket::RemoteHostClosedError) << true;
    QTest::newRow("closed here") << "closed here" << int(ConnectionClosed)
                                 << int(QAbstractSocket::UnknownSocketError) << false;
}

void TestFsManagerEndings::endingIsKnownWhenItIsTold()
{
    QFETCH(QString, how);
    QFETCH(int, connectionEnd);
    QFETCH(bool, resultTold);
    LinkHarness h;
    QCOMPARE(h.link.connectionEnd(), ConnectionNotEnded);
    // What the link says of its ending while it tells the state and the result.
    QList<int> atOffline;
    QList<int> atLost;
    QObject::connect(&h.link, &FsManager::connectionStateIsUpdated, &h.link, [&](int state) {
        if (state == 0)
            atOffline << h.link.connectionEnd();
    });
    QObject::connect(&h.link, &FsManager::requestFinished, &h.link, [&](int, int result, const QString &) {
        if (result == ResultConnectionLost)
            atLost << h.link.connectionEnd();
    });
    const quint16 closedPort = closedLoopbackPort();
    if (how == QLatin1String("refused")) {
        h.link.setPcbPort(closedPort);
        h.link.connectToPcb();
    } else {
        QVERIFY(h.connectLink());
        QCOMPARE(h.link.connectionEnd(), ConnectionNotEnded);
    }
    if (how == QLatin1String("no answer"))
        h.link.setTimeScale(0.02); // a deletion now times out after 100 ms
    if (how == QLatin1String("no answer") || how == QLatin1String("board closes")) {
        h.link.deleteFiles({QStringLiteral("abc")});
        QCOMPARE(h.next().command, int(CmdDeleteFile));
    }
    if (how == QLatin1String("board closes"))
        h.peer.closeConnection();
    if (how == QLatin1String("too long")) {
        h.link.getFiles({{QStringLiteral("huge.bin"), 100}});
        QCOMPARE(h.next().command, int(CmdGetFile));
        QByteArray start = TestPeer::bigFileFrame(QByteArray(100, 'x'));
        qToLittleEndian<quint32>((quint32(1) << 30) + 1, start.data() + 6);
        h.peer.send(start);
    }
    if (how == QLatin1String("closed here"))
        h.link.disconnectFromPcb();
    QTRY_COMPARE(atOffline, QList<int>{connectionEnd});
    QTRY_COMPARE(atLost, resultTold ? QList<int>{connectionEnd} : QList<int>());
    QTEST(int(h.link.lastSocketError()), "socketError");

    // A new connection has not ended.
    h.link.setPcbPort(h.peer.port());
    h.link.setTimeScale(1.0);
    QVERIFY(h.connectLink());
    QCOMPARE(h.link.connectionEnd(), ConnectionNotEnded);
}

QTEST_GUILESS_MAIN(TestFsManagerEndings)
#include "tst_fsmanager_endings.moc"
