// Every request ends with a result that tells its command and outcome apart from its text, while
// the window's own signals stay as they were.
#include "linkharness.h"

#include <QFile>

namespace {

QByteArray status(int value)
{
    return QByteArray(1, static_cast<char>(value));
}

const QString kOk = QStringLiteral("Ok");
const QString kNetwork = QStringLiteral("Ошибка сети!");
const QString kNoMemory = QStringLiteral("Не хватает памяти на контроллере!");
const QString kMissing = QStringLiteral("Файл не существует!");

} // namespace

class TestFsManagerResults : public QObject
{
    Q_OBJECT

private slots:
    void replyEndsItsRequest_data();
    void replyEndsItsRequest();
    void askingForTheBigFormDefersTheListResult();
    void refusedUploadIsTheCallsResult();
};

void TestFsManagerResults::replyEndsItsRequest_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("windowTold"); // the window's signal for this command carries the same text

    QTest::newRow("list") << int(CmdListFiles) << TestPeer::listPayload(100, {}) << int(ResultOk) << kOk
                          << true;
    QTest::newRow("list too short") << int(CmdListFiles) << QByteArray(5, '\0') << int(ResultNetworkError)
                                    << kNetwork << false;
    QTest::newRow("write stored") << int(CmdWriteFile) << status(0) << int(ResultOk) << kOk << true;
    QTest::newRow("write network") << int(CmdWriteFile) << status(1) << int(ResultNetworkError) << kNetwork
                                   << true;
    QTest::newRow("write memory full")
        << int(CmdWriteFile) << status(2) << int(ResultNoMemory) << kNoMemory << true;
    QTest::newRow("write empty") << int(CmdWriteFile) << QByteArray() << int(ResultNetworkError) << kNetwork
                                 << true;
    QTest::newRow("write unknown status")
        << int(CmdWriteFile) << status(7) << int(ResultNetworkError) << kNetwork << false;
    QTest::newRow("delete done") << int(CmdDeleteFile) << status(0) << int(ResultOk) << kOk << true;
    QTest::newRow("delete missing") << int(CmdDeleteFile) << status(2) << int(ResultNoSuchFile) << kMissing
                                    << true;
    QTest::newRow("delete unknown status")
        << int(CmdDeleteFile) << status(9) << int(ResultNetworkError) << kNetwork << false;
    QTest::newRow("get file") << int(CmdGetFile) << TestPeer::filePayload("a", "data") << int(ResultOk) << kOk
                              << true;
    QTest::newRow("get missing") << int(CmdGetFile) << status(2) + status(0) << int(ResultNoSuchFile)
                                 << kMissing << true;
    QTest::newRow("get network") << int(CmdGetFile) << status(1) + status(0) << int(ResultNetworkError)
                                 << kNetwork << true;
    QTest::newRow("get unknown status")
        << int(CmdGetFile) << status(5) + status(0) << int(ResultNetworkError) << kNetwork << false;
}

void TestFsManagerResults::replyEndsItsRequest()
{
    QFETCH(int, command);
    QFETCH(QByteArray, payload);
    QFETCH(int, result);
    QFETCH(QString, text);
    QFETCH(bool, windowTold);
    LinkHarness h;
    QVERIFY(h.connectLink());
    QCOMPARE(h.rec.results, QStringList{QStringLiteral("1 0 Ok")}); // the opening list
    h.rec.clear();

    const QStringList *window = nullptr; // the texts of the window's signal; a list tells a table
    switch (command) {
    case CmdListFiles:
        h.link.getListFiles();
        break;
    case CmdWriteFile: {
        const QString path = h.cwd.filePath(QStringLiteral("a"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a") == 1);
        file.close();
        h.link.writeFiles({path});
        window = &h.rec.sent;
        break;
    }
    case CmdDeleteFile:
        h.link.deleteFiles({QStringLiteral("a")});
        window = &h.rec.deleted;
        break;
    case CmdGetFile:
        h.link.getFiles({{QStringLiteral("a"), 4}});
        window = &h.rec.received;
        break;
    }
    QCOMPARE(h.next().command, command);
    // A poll answer follows, so that even a header-only reply is cut from the stream at once.
    h.peer.send(TestPeer::frame(kSmall, command, payload) + TestPeer::frame(kSmall, CmdKeepAlive, status(0)));
    QTRY_COMPARE(h.rec.results.size(), 1);
    QCOMPARE(h.rec.results.first(), QStringLiteral("%1 %2 %3").arg(command).arg(result).arg(text));
    // The link has settled: a caller may go on from the result.
    QVERIFY(!h.link.isCommandRunning());
    if (!window)
        QCOMPARE(h.rec.tables.size(), windowTold ? 1 : 0);
    else
        QCOMPARE(*window, windowTold ? QStringList{text} : QStringList());
    QVERIFY(h.rec.errors.isEmpty());
}

void TestFsManagerResults::askingForTheBigFormDefersTheListResult()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.rec.clear();
    h.link.getListFiles();
    QCOMPARE(h.next().command, int(CmdListFiles));
    const QByteArray record = TestPeer::entry("a.bin", 0, 0, 100, 0, false);
    h.peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(1000, {record}) + status(1));
    // The table asks to be read again in the big form; only that reading ends the request.
    const TestPeer::Request again = h.next();
    QCOMPARE(again.command, int(CmdListFiles));
    QCOMPARE(again.form, kBig);
    QCOMPARE(h.rec.smallLists(), 1);
    QVERIFY(h.rec.results.isEmpty());
    h.peer.reply(kBig, CmdListFiles,
                 TestPeer::listPayload(1000, {TestPeer::entry("a.bin", 0, 0, 100000, 0, true)}));
    QTRY_COMPARE(h.rec.results, QStringList{QStringLiteral("1 0 Ok")});
    QCOMPARE(h.rec.bigLists(), 1);
}

void TestFsManagerResults::refusedUploadIsTheCallsResult()
{
    LinkHarness h;
    QVERIFY(h.connectLink());
    h.rec.clear();
    const QString missing = h.cwd.filePath(QStringLiteral("missing.bin"));
    h.link.writeFiles({missing});
    // Told within the call, with the text the window shows; the link stays connected.
    QCOMPARE(h.rec.errors.size(), 1);
    QCOMPARE(h.rec.results, QStringList{QStringLiteral("%1 %2 ").arg(CmdWriteFile).arg(ResultFileRefused) +
                                        h.rec.errors.first()});
    QVERIFY(h.link.isConnected());
}

QTEST_GUILESS_MAIN(TestFsManagerResults)
#include "tst_fsmanager_results.moc"
