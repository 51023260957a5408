// velmora-fs sync's record of each board, run as a separate process against the simulator on
// 127.0.0.1: what a second sync downloads and sends, told by the requests the simulator logs.
#include "boardsimprocess.h"
#include "clientrun.h"
#include "syncstate.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 60000;

using Run = ToolRun;

QString statePath(const QString &cache, const BoardSimProcess &sim)
{
    return QStringLiteral("%1/velmora/127.0.0.1_%2.json").arg(cache).arg(sim.port());
}

// The simulator's log once Clients connections in all have ended; empty if they do not.
QString logAfter(BoardSimProcess &sim, int clients)
{
    QDeadlineTimer deadline(kWaitMs);
    while (sim.log().count(QStringLiteral("disconnected")) < clients && !deadline.hasExpired())
        sim.waitForLog(QStringLiteral("<never>"), 50);
    return sim.log().count(QStringLiteral("disconnected")) == clients ? sim.log() : QString();
}

// How many requests of Kind ("get", "write") a log holds from Offset on.
int requests(const QString &log, int offset, const QString &kind)
{
    return log.isEmpty() ? -1 : log.mid(offset).count(QStringLiteral("recv ") + kind + QLatin1Char(' '));
}

// Rewrites a file and gives it back the time it had, or that time moved by Shift milliseconds.
bool rewrite(const QString &path, const QByteArray &content, qint64 shift)
{
    const QDateTime time = QFileInfo(path).lastModified();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.setFileTime(time.addMSecs(shift), QFileDevice::FileModificationTime);
}

} // namespace

class TestFsClientState : public QObject
{
    Q_OBJECT

private slots:
    void secondSync_data();
    void secondSync();
    void severalBoardsEachTheirOwnRecord();
};

void TestFsClientState::secondSync_data()
{
    QTest::addColumn<QString>("meanwhile"); // what happens between the two syncs
    QTest::addColumn<QStringList>("first"); // the first sync's options
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("out");
    QTest::addColumn<bool>("warns");    // a line on stderr that the record was not taken
    QTest::addColumn<int>("gets");      // files the second sync downloaded
    QTest::addColumn<int>("writes");    // and sent
    QTest::addColumn<bool>("recorded"); // a state file afterwards
    const QStringList v{QStringLiteral("-v")};
    const QString byRecord = QStringLiteral("= a.vmc\tпо записи\n= b.vmc\tпо записи\n");
    const QString byBytes = QStringLiteral("= a.vmc\tпо содержимому\n= b.vmc\tпо содержимому\n");
    QTest::newRow("unchanged") << "" << QStringList() << v << byRecord << false << 0 << 0 << true;
    QTest::newRow("--checksum") << "" << QStringList() << QStringList{"-v", "--checksum"} << byBytes << false
                                << 2 << 0 << true;
    QTest::newRow("--no-state reads none")
        << "" << QStringList() << QStringList{"-v", "--no-state"} << byBytes << false << 2 << 0 << true;
    QTest::newRow("--no-state writes none")
        << "" << QStringList{"--no-state"} << QStringList{"-v", "--no-state"} << byBytes << false << 2 << 0
        << false;
    QTest::newRow("other bytes, same size and time")
        << "content" << QStringList() << v << "~ a.vmc\n= b.vmc\tпо записи\n"
        << false << 0 << 1 << true;
    QTest::newRow("same bytes, another time")
        << "time" << QStringList() << v << byRecord << false << 0 << 0 << true;
    QTest::newRow("another size in the same word")
        << "size" << QStringList() << v << "~ a.vmc\n= b.vmc\tпо записи\n"
        << false << 0 << 1 << true;
    QTest::newRow("rewritten on the board")
        << "board" << QStringList() << v << "~ a.vmc\n= b.vmc\tпо записи\n"
        << false << 1 << 1 << true;
    QTest::newRow("damaged record") << "damaged" << QStringList() << v << byBytes << true << 2 << 0 << true;
}

void TestFsClientState::secondSync()
{
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QString, out);
    QFETCH(bool, warns);
    QFETCH(int, gets);
    QFETCH(int, writes);
    QFETCH(bool, recorded);
    QTemporaryDir work;
    QTemporaryDir cache;
    // x.bin lies before the folder's files, so that a file rewritten after it is gone moves.
    BoardSimProcess sim({QStringLiteral("--file"), QStringLiteral("x.bin=100")});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("cfg")));
    const QString a = work.filePath(QStringLiteral("cfg/a.vmc"));
    QVERIFY(writeFile(a, "alpha-1") && writeFile(work.filePath(QStringLiteral("cfg/b.vmc")), "bravo"));
    const QStringList sync = board(sim) << QStringLiteral("sync") << QStringLiteral("cfg");
    Run run = runClient(work.path(), cache.path(), sync + first);
    EXPECT_EXIT(run, 0);

    if (meanwhile == QLatin1String("content")) {
        QVERIFY(rewrite(a, "alpha-2", 0));
    } else if (meanwhile == QLatin1String("time")) {
        QVERIFY(rewrite(a, "alpha-1", 5000));
    } else if (meanwhile == QLatin1String("size")) {
        QVERIFY(rewrite(a, "alpha1", 0));
    } else if (meanwhile == QLatin1String("board")) {
        // Another client deletes x.bin and stores another a.vmc of the same size at its address.
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("other")));
        QVERIFY(writeFile(work.filePath(QStringLiteral("other/a.vmc")), "other-1"));
        run = runClient(work.path(), cache.path(), board(sim) << QStringLiteral("rm") << "x.bin");
        EXPECT_EXIT(run, 0);
        run = runClient(work.path(), cache.path(), board(sim) << QStringLiteral("put") << "other/a.vmc");
        EXPECT_EXIT(run, 0);
    } else if (meanwhile == QLatin1String("damaged")) {
        QVERIFY(writeFile(statePath(cache.path(), sim), "{\"format\": "));
    }
    const int clients = meanwhile == QLatin1String("board") ? 3 : 1;
    const int offset = logAfter(sim, clients).size();
    run = runClient(work.path(), cache.path(), sync + second);
    EXPECT_EXIT(run, 0);
    QCOMPARE(run.outText(), out);
    const QString warning =
        QStringLiteral("velmora-fs: запись о прошлой синхронизации не принята (%1: не JSON); "
                       "файлы сравниваются по содержимому\n")
            .arg(statePath(cache.path(), sim));
    QCOMPARE(run.err, warns ? warning : QString());
    const QString log = logAfter(sim, clients + 1);
    QCOMPARE(requests(log, offset, QStringLiteral("get")), gets);
    QCOMPARE(requests(log, offset, QStringLiteral("write")), writes);
    // A record that can be read, from the table after the writes: a third sync downloads nothing.
    QCOMPARE(QFile::exists(statePath(cache.path(), sim)), recorded);
    if (recorded) {
        run = runClient(work.path(), cache.path(), sync);
        EXPECT_EXIT(run, 0);
        QCOMPARE(run.outText() + run.err, QString());
        QCOMPARE(requests(logAfter(sim, clients + 2), log.size(), QStringLiteral("get")), 0);
    }
}

void TestFsClientState::severalBoardsEachTheirOwnRecord()
{
    QTemporaryDir work;
    QTemporaryDir cache;
    BoardSimProcess big({QStringLiteral("--big")});
    BoardSimProcess small;
    QVERIFY2(big.isRunning() && small.isRunning(), qPrintable(big.errorString() + small.errorString()));
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("cfg")));
    QVERIFY(writeFile(work.filePath(QStringLiteral("cfg/a.vmc")), "alpha-1"));
    const QStringList boards{QStringLiteral("127.0.0.1:%1").arg(big.port()),
                             QStringLiteral("127.0.0.1:%1").arg(small.port())};
    const QStringList sync{"--board", boards.at(0), "--board", boards.at(1), "--jobs", "1", "sync", "cfg"};
    Run run = runClient(work.path(), cache.path(), sync);
    EXPECT_EXIT(run, 0);
    QStringList files{QFileInfo(statePath(cache.path(), big)).fileName(),
                      QFileInfo(statePath(cache.path(), small)).fileName()};
    files.sort();
    QCOMPARE(entriesOf(cache.filePath(QStringLiteral("velmora"))), files);

    const int offsets[] = {int(logAfter(big, 1).size()), int(logAfter(small, 1).size())};
    run = runClient(work.path(), cache.path(), sync + QStringList{"--json"});
    EXPECT_EXIT(run, 0);
    const QJsonObject document = QJsonDocument::fromJson(run.out).object();
    for (const QString &address : boards) {
        const QJsonArray listed = document.value(address).toObject().value(QStringLiteral("files")).toArray();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.at(0).toObject().value(QStringLiteral("by")).toString(), QStringLiteral("record"));
    }
    QCOMPARE(requests(logAfter(big, 2), offsets[0], QStringLiteral("get")), 0);
    QCOMPARE(requests(logAfter(small, 2), offsets[1], QStringLiteral("get")), 0);
}

QTEST_GUILESS_MAIN(TestFsClientState)
#include "tst_fsclient_state.moc"
