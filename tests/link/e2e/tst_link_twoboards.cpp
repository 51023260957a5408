// Two links in one process, each to its own simulator process on 127.0.0.1, side by side: what
// one link does, reads or loses must never show on the other.
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "linkrecorder.h"
#include "tempcwd.h"

#include <QFile>
#include <QtTest>
#include <memory>

namespace {

// Generous: the suite also runs under the sanitizers on a shared machine.
constexpr int kWaitMs = 30000;

// One board and the link to it, with what the link reported.
struct Side
{
    explicit Side(const QStringList &simulator) : sim(simulator)
    {
        link.usePcbIp(sim.host());
        link.setPcbPort(sim.port());
    }

    BoardSimProcess sim;
    FsManager link;
    LinkRecorder rec{link};
};

QByteArray content(int size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i * 7);
    return bytes;
}

} // namespace

class TestLinkTwoBoards : public QObject
{
    Q_OBJECT

private slots:
    void twoLinksStayApart_data();
    void twoLinksStayApart();
    void oneBoardLostTheOtherGoesOn();
};

void TestLinkTwoBoards::twoLinksStayApart_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<int>("size"); // of the second board's file; the first one's is 10 bytes
    // One link in the big form must not switch the other.
    QTest::newRow("small and big form") << QStringList() << QStringList{"--big"} << 100000;
    QTest::newRow("big and small form") << QStringList{"--big"} << QStringList() << 300;
    QTest::newRow("both small") << QStringList() << QStringList() << 6000;
}

void TestLinkTwoBoards::twoLinksStayApart()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(int, size);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    Side a(first);
    Side b(second);
    QVERIFY2(a.sim.isRunning() && b.sim.isRunning(), qPrintable(a.sim.errorString() + b.sim.errorString()));
    a.link.connectToPcb();
    b.link.connectToPcb();
    QTRY_VERIFY_WITH_TIMEOUT(!a.rec.tables.isEmpty() && !b.rec.tables.isEmpty(), kWaitMs);

    // The same name with other bytes to each board, both uploads under way at once.
    const QByteArray bytesA = content(10, 'a');
    const QByteArray bytesB = content(size, 'b');
    QVERIFY(QDir().mkdir(QStringLiteral("a")) && QDir().mkdir(QStringLiteral("b")));
    for (const auto &file :
         {qMakePair(QStringLiteral("a/cfg.vmc"), bytesA), qMakePair(QStringLiteral("b/cfg.vmc"), bytesB)}) {
        QFile out(file.first);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.second) == file.second.size());
    }
    a.link.writeFiles({QStringLiteral("a/cfg.vmc")});
    b.link.writeFiles({QStringLiteral("b/cfg.vmc")});
    QTRY_VERIFY_WITH_TIMEOUT(a.rec.sent.size() == 1 && b.rec.sent.size() == 1, kWaitMs);
    QCOMPARE(a.rec.sent, QStringList{"Ok"});
    QCOMPARE(b.rec.sent, QStringList{"Ok"});

    a.link.getFiles({{QStringLiteral("cfg.vmc"), 12}});
    b.link.getFiles({{QStringLiteral("cfg.vmc"), uint(size)}});
    QTRY_VERIFY_WITH_TIMEOUT(a.rec.received.size() == 1 && b.rec.received.size() == 1, kWaitMs);
    QCOMPARE(a.rec.receivedFiles.at(0).value(QStringLiteral("cfg.vmc")), bytesA + QByteArray(2, '\0'));
    QCOMPARE(b.rec.receivedFiles.at(0).value(QStringLiteral("cfg.vmc")).left(size), bytesB);
    // Each link keeps the form of its own board.
    QTRY_VERIFY_WITH_TIMEOUT(a.rec.tables.size() >= 2 && b.rec.tables.size() >= 2, kWaitMs);
    QCOMPARE(a.rec.tables.last().big, !first.isEmpty());
    QCOMPARE(b.rec.tables.last().big, !second.isEmpty());
    QVERIFY(a.rec.errors.isEmpty() && b.rec.errors.isEmpty());
}

void TestLinkTwoBoards::oneBoardLostTheOtherGoesOn()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    Side a(QStringList{});
    Side b(QStringList{"--file", "keep.bin=40"});
    QVERIFY2(a.sim.isRunning() && b.sim.isRunning(), qPrintable(a.sim.errorString() + b.sim.errorString()));
    a.link.connectToPcb();
    b.link.connectToPcb();
    QTRY_VERIFY_WITH_TIMEOUT(!a.rec.tables.isEmpty() && !b.rec.tables.isEmpty(), kWaitMs);

    a.sim.kill();
    QTRY_COMPARE_WITH_TIMEOUT(a.rec.states.size(), 2, kWaitMs);
    QCOMPARE(a.rec.states.at(1), 0);
    QVERIFY(!a.link.isConnected());

    b.link.getFiles({{QStringLiteral("keep.bin"), 40}});
    QTRY_COMPARE_WITH_TIMEOUT(b.rec.received.size(), 1, kWaitMs);
    QCOMPARE(b.rec.received, QStringList{"Ok"});
    QVERIFY(b.link.isConnected());
    QCOMPARE(b.rec.states.size(), 1);
    QVERIFY(b.rec.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkTwoBoards)
#include "tst_link_twoboards.moc"
