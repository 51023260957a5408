// The probe drives the link's reply path without a socket, as the fuzzers do.
#include "fsmanagerprobe.h"
#include "linkharness.h"

class TestFsManagerProbe : public QObject
{
    Q_OBJECT

private slots:
    void repliesReachTheHandlersOfTheCommandInFlight();
    void batchItemsFollowTheBoardsAnswers_data();
    void batchItemsFollowTheBoardsAnswers();
};

void TestFsManagerProbe::repliesReachTheHandlersOfTheCommandInFlight()
{
    TempCwd cwd;
    FsManager link;
    LinkRecorder rec(link);
    FsManagerProbe probe(link);
    probe.startCommand(CmdGetFile, 1);
    QVERIFY(link.isCommandRunning());

    // Two replies, one file each, read in two pieces.
    const QByteArray bytes = TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload("a", "first")) +
                             TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload("b", "second"));
    const int cut = bytes.indexOf("second") - 7; // two bytes into the second header
    probe.receive(bytes.left(cut));
    QVERIFY(rec.received.isEmpty());
    probe.receive(bytes.mid(cut));
    QCOMPARE(rec.received, QStringList{QStringLiteral("Ok")});
    QCOMPARE(rec.receivedFiles.first(), (QMap<QString, QByteArray>{{"a", "first"}, {"b", "second"}}));
    QCOMPARE(rec.results, QStringList{QStringLiteral("5 0 Ok")});
    QVERIFY(!link.isCommandRunning());
}

void TestFsManagerProbe::batchItemsFollowTheBoardsAnswers_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("pending");
    QTest::addColumn<QList<QByteArray>>("replies"); // payloads, one frame each
    QTest::addColumn<QStringList>("items");         // "name:content" of each item reported done
    const QByteArray stored(1, '\0');
    const QByteArray network(1, '\1');
    const QByteArray second(1, '\2'); // no memory for a write, no such file otherwise
    const QStringList one{":"};

    QTest::newRow("uploads stored") << int(CmdWriteFile) << 2 << QList<QByteArray>{stored, stored, stored}
                                    << QStringList{":", ":", ":"};
    QTest::newRow("memory full at the second upload")
        << int(CmdWriteFile) << 2 << QList<QByteArray>{stored, second} << one;
    QTest::newRow("network error at the first upload")
        << int(CmdWriteFile) << 1 << QList<QByteArray>{network} << QStringList();
    QTest::newRow("deletes") << int(CmdDeleteFile) << 1 << QList<QByteArray>{stored, stored}
                             << QStringList{":", ":"};
    QTest::newRow("missing file at the second delete")
        << int(CmdDeleteFile) << 2 << QList<QByteArray>{stored, second} << one;
    QTest::newRow("files, then a network error")
        << int(CmdGetFile) << 2
        << QList<QByteArray>{TestPeer::filePayload("a", "first"), TestPeer::filePayload("b", ""),
                             network + '\0'}
        << QStringList{"a:first", "b:"};
    // The board answered, though with no name to keep the file under.
    QTest::newRow("a file without a name")
        << int(CmdGetFile) << 1
        << QList<QByteArray>{TestPeer::filePayload("", "lost"), TestPeer::filePayload("b", "kept")}
        << QStringList{":", "b:kept"};
}

void TestFsManagerProbe::batchItemsFollowTheBoardsAnswers()
{
    QFETCH(int, command);
    QFETCH(int, pending);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QStringList, items);
    TempCwd cwd;
    FsManager link;
    LinkRecorder rec(link);
    FsManagerProbe probe(link);
    probe.startCommand(static_cast<PcbCommand>(command), pending);
    for (const QByteArray &payload : qAsConst(replies))
        probe.receive(TestPeer::frame(kSmall, command, payload));
    QVERIFY(!link.isCommandRunning());
    QStringList reported;
    for (const LinkRecorder::Item &item : qAsConst(rec.items)) {
        QCOMPARE(item.command, command);
        reported << item.name + QLatin1Char(':') + QString::fromLatin1(item.content);
    }
    QCOMPARE(reported, items);
}

QTEST_GUILESS_MAIN(TestFsManagerProbe)
#include "tst_fsmanagerprobe.moc"
