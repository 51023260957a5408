// The probe drives the link's reply path without a socket, as the fuzzers do.
#include "fsmanagerprobe.h"
#include "linkharness.h"

class TestFsManagerProbe : public QObject
{
    Q_OBJECT

private slots:
    void repliesReachTheHandlersOfTheCommandInFlight();
};

void TestFsManagerProbe::repliesReachTheHandlersOfTheCommandInFlight()
{
    TempCwd cwd;
    FsManager link;
    QSignalSpy received(&link, &FsManager::filesRecievingIsFinished);
    QSignalSpy results(&link, &FsManager::requestFinished);
    FsManagerProbe probe(link);
    probe.startCommand(CmdGetFile, 1);
    QVERIFY(link.isCommandRunning());

    // Two replies, one file each, read in two pieces.
    const QByteArray bytes = TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload("a", "first")) +
                             TestPeer::frame(kSmall, CmdGetFile, TestPeer::filePayload("b", "second"));
    const int cut = bytes.indexOf("second") - 7; // two bytes into the second header
    probe.receive(bytes.left(cut));
    QVERIFY(received.isEmpty());
    probe.receive(bytes.mid(cut));
    QCOMPARE(received.count(), 1);
    const auto files = received.first().first().value<QMap<QString, QByteArray>>();
    QCOMPARE(files, (QMap<QString, QByteArray>{{"a", "first"}, {"b", "second"}}));
    QCOMPARE(results.first(), (QList<QVariant>{int(CmdGetFile), int(ResultOk), QStringLiteral("Ok")}));
    QVERIFY(!link.isCommandRunning());
}

QTEST_GUILESS_MAIN(TestFsManagerProbe)
#include "tst_fsmanagerprobe.moc"
