// Two links in one process, each to its own simulator process on 127.0.0.1, side by side: what
// one link does, reads or loses must never show on the other.
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "tempcwd.h"

#include <QFile>
#include <QSignalSpy>
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
        QObject::connect(&link, &FsManager::listfilesReady, &link, [this] { bigForms << false; });
        QObject::connect(&link, &FsManager::listfilesReady_big, &link, [this] { bigForms << true; });
    }

    BoardSimProcess sim;
    FsManager link;
    QSignalSpy states{&link, &FsManager::connectionStateIsUpdated};
    QSignalSpy errors{&link, &FsManager::errorOccured};
    QSignalSpy sent{&link, &FsManager::filesSendingIsFinished};
    QSignalSpy received{&link, &FsManager::filesRecievingIsFinished};
    QList<bool> bigForms;
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
    QTRY_VERIFY_WITH_TIMEOUT(!a.bigForms.isEmpty() && !b.bigForms.isEmpty(), kWaitMs);

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
    QTRY_VERIFY_WITH_TIMEOUT(a.sent.size() == 1 && b.sent.size() == 1, kWaitMs);
    QCOMPARE(a.sent.at(0).at(0).toString(), QStringLiteral("Ok"));
    QCOMPARE(b.sent.at(0).at(0).toString(), QStringLiteral("Ok"));

    a.link.getFiles({{QStringLiteral("cfg.vmc"), 12}});
    b.link.getFiles({{QStringLiteral("cfg.vmc"), uint(size)}});
    QTRY_VERIFY_WITH_TIMEOUT(a.received.size() == 1 && b.received.size() == 1, kWaitMs);
    const auto fileOf = [](const QSignalSpy &spy) {
        return spy.at(0).at(0).value<QMap<QString, QByteArray>>().value(QStringLiteral("cfg.vmc"));
    };
    QCOMPARE(fileOf(a.received), bytesA + QByteArray(2, '\0'));
    QCOMPARE(fileOf(b.received).left(size), bytesB);
    // Each link keeps the form of its own board.
    QTRY_VERIFY_WITH_TIMEOUT(a.bigForms.size() >= 2 && b.bigForms.size() >= 2, kWaitMs);
    QCOMPARE(a.bigForms.last(), !first.isEmpty());
    QCOMPARE(b.bigForms.last(), !second.isEmpty());
    QVERIFY(a.errors.isEmpty() && b.errors.isEmpty());
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
    QTRY_VERIFY_WITH_TIMEOUT(!a.bigForms.isEmpty() && !b.bigForms.isEmpty(), kWaitMs);

    a.sim.kill();
    QTRY_COMPARE_WITH_TIMEOUT(a.states.size(), 2, kWaitMs);
    QCOMPARE(a.states.at(1).at(0).toInt(), 0);
    QVERIFY(!a.link.isConnected());

    b.link.getFiles({{QStringLiteral("keep.bin"), 40}});
    QTRY_COMPARE_WITH_TIMEOUT(b.received.size(), 1, kWaitMs);
    QCOMPARE(b.received.at(0).at(1).toString(), QStringLiteral("Ok"));
    QVERIFY(b.link.isConnected());
    QCOMPARE(b.states.size(), 1);
    QVERIFY(b.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkTwoBoards)
#include "tst_link_twoboards.moc"
