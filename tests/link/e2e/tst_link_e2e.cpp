// The link against the board simulator running as a separate process on 127.0.0.1: two
// independent implementations of the wire format that must understand each other.
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "linkrecorder.h"
#include "tempcwd.h"

#include <QFile>
#include <QtTest>

namespace {

const QString kOk = QStringLiteral("Ok");
const QString kNoMemory = QStringLiteral("Не хватает памяти на контроллере!");
const QString kMissing = QStringLiteral("Файл не существует!");

// Generous: the suite also runs under the sanitizers on a shared machine.
constexpr int kWaitMs = 30000;

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 29 + seed + (i >> 9)) & 0xFF);
    return bytes;
}

bool writeLocalFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestLinkE2e : public QObject
{
    Q_OBJECT

private slots:
    void connectsAndListsInBothForms_data();
    void connectsAndListsInBothForms();
    void uploadAndDownloadSmallForm();
    void uploadAndDownloadBigFormBeyond16Bits();
    void askedForTheBigFormTheLinkSwitches();
    void deleteThenMissingFile();
    void memoryFullIsReported();
    void missingFileDownload_data();
    void missingFileDownload();
    void keepAliveFlagRefreshesTheList();
};

// Connects the link to the simulator and waits for the first file list.
#define CONNECT_LINK(link, rec, sim)                                                                         \
    do {                                                                                                     \
        (link).setPcbIp((sim).host());                                                                       \
        (link).setPcbPort((sim).port());                                                                     \
        (link).connectToPcb();                                                                               \
        QTRY_VERIFY_WITH_TIMEOUT(!(rec).tables.isEmpty(), kWaitMs);                                          \
        QCOMPARE((rec).states, QList<int>{1});                                                               \
    } while (false)

#define START_SIM(sim, ...)                                                                                  \
    BoardSimProcess sim(QStringList{__VA_ARGS__});                                                           \
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()))

void TestLinkE2e::connectsAndListsInBothForms_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("big");
    QTest::newRow("small") << QString() << false;
    QTest::newRow("big") << QStringLiteral("--big") << true;
}

void TestLinkE2e::connectsAndListsInBothForms()
{
    QFETCH(QString, form);
    QFETCH(bool, big);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    QStringList args{QStringLiteral("--memory"),  QStringLiteral("500000"), QStringLiteral("--file"),
                     QStringLiteral("a.bin=100"), QStringLiteral("--file"), QStringLiteral("b.vmc=2000")};
    if (!form.isEmpty())
        args << form;
    BoardSimProcess sim(args);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);

    QCOMPARE(rec.tables.first().big, big);
    QCOMPARE(rec.tables.first().files.size(), 2);
    QVERIFY(rec.lastListed("a.bin") && rec.lastListed("b.vmc"));
    QCOMPARE(rec.lastListed("b.vmc")->size, 2000u);
    QCOMPARE(rec.tables.first().allMemory, 500000u);
    QCOMPARE(rec.tables.first().memoryUsed, 2100u);
    QVERIFY(link.isConnected());
    QVERIFY(rec.errors.isEmpty());
    // The address went to the settings file of this test's own folder.
    QVERIFY(QFile::exists(cwd.filePath(QStringLiteral("pcbSettings.ini"))));
}

void TestLinkE2e::uploadAndDownloadSmallForm()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    START_SIM(sim);
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);

    const QByteArray five("abcde");
    const QByteArray block = pattern(40000, 1);
    QVERIFY(writeLocalFile(cwd.filePath(QStringLiteral("five.txt")), five));
    QVERIFY(writeLocalFile(cwd.filePath(QStringLiteral("block.bin")), block));
    link.writeFiles({cwd.filePath(QStringLiteral("five.txt")), cwd.filePath(QStringLiteral("block.bin"))});
    QTRY_COMPARE_WITH_TIMEOUT(rec.sent, QStringList{kOk}, kWaitMs);
    QCOMPARE(rec.started.first(), QStringLiteral("Отправка файлов..."));
    QCOMPARE(rec.progress.last(), 100u);
    // The batch ends with a fresh list that shows both files at their padded sizes.
    QTRY_VERIFY_WITH_TIMEOUT(rec.tables.size() >= 2 && rec.lastListed("block.bin"), kWaitMs);
    QCOMPARE(rec.lastListed("five.txt")->size, 8u);
    QCOMPARE(rec.lastListed("block.bin")->size, 40000u);
    QCOMPARE(rec.tables.last().memoryUsed, 40008u);

    link.getFiles({{QStringLiteral("five.txt"), 8}, {QStringLiteral("block.bin"), 40000}});
    QTRY_COMPARE_WITH_TIMEOUT(rec.received, QStringList{kOk}, kWaitMs);
    const QMap<QString, QByteArray> files = rec.receivedFiles.first();
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.value(QStringLiteral("five.txt")), five + QByteArray(3, '\0'));
    QVERIFY(files.value(QStringLiteral("block.bin")) == block);
    QVERIFY(rec.errors.isEmpty());
}

void TestLinkE2e::uploadAndDownloadBigFormBeyond16Bits()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    START_SIM(sim, "--big", "--memory", "4000000");
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);
    QVERIFY(rec.tables.first().big);

    const QByteArray large = pattern(1500000, 2);
    const QString path = cwd.filePath(QStringLiteral("large.bin"));
    QVERIFY(writeLocalFile(path, large));
    link.writeFiles({path});
    QTRY_COMPARE_WITH_TIMEOUT(rec.sent, QStringList{kOk}, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(rec.lastListed("large.bin"), kWaitMs);
    QCOMPARE(rec.lastListed("large.bin")->size, 1500000u);
    QVERIFY(rec.tables.last().big);

    QVERIFY(sim.waitForLog(QStringLiteral("recv write form=big name=large.bin size=1500000")));
    link.getFiles({{QStringLiteral("large.bin"), 1500000}});
    QTRY_COMPARE_WITH_TIMEOUT(rec.received, QStringList{kOk}, kWaitMs);
    QVERIFY(rec.receivedFiles.first().value(QStringLiteral("large.bin")) == large);
    // Progress within the download climbs and ends at 100.
    QVERIFY(rec.progress.size() > 2);
    QCOMPARE(rec.progress.last(), 100u);
}

void TestLinkE2e::askedForTheBigFormTheLinkSwitches()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    START_SIM(sim, "--ask-big", "--file", "demo.bin=70000");
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);
    // The small list asks for the big form; the link reads the table again in it.
    QTRY_VERIFY_WITH_TIMEOUT(rec.bigLists() > 0, kWaitMs);
    QCOMPARE(rec.tables.first().big, false);
    QCOMPARE(rec.lastListed("demo.bin")->size, 70000u);

    const QByteArray content = pattern(100000, 3);
    const QString path = cwd.filePath(QStringLiteral("after.bin"));
    QVERIFY(writeLocalFile(path, content));
    link.writeFiles({path});
    QTRY_COMPARE_WITH_TIMEOUT(rec.sent, QStringList{kOk}, kWaitMs);
    QVERIFY(sim.waitForLog(QStringLiteral("recv write form=big name=after.bin size=100000")));
    link.getFiles({{QStringLiteral("after.bin"), 100000}});
    QTRY_COMPARE_WITH_TIMEOUT(rec.received, QStringList{kOk}, kWaitMs);
    QVERIFY(rec.receivedFiles.first().value(QStringLiteral("after.bin")) == content);
}

void TestLinkE2e::deleteThenMissingFile()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    START_SIM(sim, "--file", "one.bin=10", "--file", "two.bin=20", "--file", "three.bin=30");
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);

    link.deleteFiles({QStringLiteral("one.bin"), QStringLiteral("two.bin")});
    QTRY_COMPARE_WITH_TIMEOUT(rec.deleted, QStringList{kOk}, kWaitMs);
    QCOMPARE(rec.started.last(), QStringLiteral("Удаление файла..."));
    QTRY_VERIFY_WITH_TIMEOUT(rec.tables.size() >= 2, kWaitMs);
    QCOMPARE(rec.tables.last().files.size(), 1);
    QVERIFY(rec.lastListed("three.bin"));

    // A name that is gone stops the batch: the one after it stays on the board.
    link.deleteFiles({QStringLiteral("one.bin"), QStringLiteral("three.bin")});
    QTRY_COMPARE_WITH_TIMEOUT(rec.deleted.size(), 2, kWaitMs);
    QCOMPARE(rec.deleted.last(), kMissing);
    link.getListFiles();
    const int lists = rec.tables.size();
    QTRY_VERIFY_WITH_TIMEOUT(rec.tables.size() > lists, kWaitMs);
    QVERIFY(rec.lastListed("three.bin"));
    QVERIFY(link.isConnected());
}

void TestLinkE2e::memoryFullIsReported()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    START_SIM(sim, "--memory", "3000");
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);

    QVERIFY(writeLocalFile(cwd.filePath(QStringLiteral("fits.bin")), pattern(2000, 4)));
    QVERIFY(writeLocalFile(cwd.filePath(QStringLiteral("toomuch.bin")), pattern(2000, 5)));
    QVERIFY(writeLocalFile(cwd.filePath(QStringLiteral("never.bin")), pattern(4, 6)));
    link.writeFiles({cwd.filePath(QStringLiteral("fits.bin")), cwd.filePath(QStringLiteral("toomuch.bin")),
                     cwd.filePath(QStringLiteral("never.bin"))});
    QTRY_COMPARE_WITH_TIMEOUT(rec.sent, QStringList{kNoMemory}, kWaitMs);
    // The link stays usable; the board holds only the file that fitted.
    link.getListFiles();
    QTRY_VERIFY_WITH_TIMEOUT(rec.lastListed("fits.bin"), kWaitMs);
    QCOMPARE(rec.tables.last().files.size(), 1);
    QVERIFY(!sim.log().contains(QLatin1String("name=never.bin")));
    QVERIFY(link.isConnected());
}

void TestLinkE2e::missingFileDownload_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("small form") << QString() << QStringList{kMissing};
    QTest::newRow("big form") << QStringLiteral("--big") << QStringList{kMissing};
    // A board that answers with its status byte alone still tells the user the file is missing.
    QTest::newRow("status byte alone") << QStringLiteral("--status-only") << QStringList{kMissing};
}

void TestLinkE2e::missingFileDownload()
{
    QFETCH(QString, option);
    QFETCH(QStringList, expected);
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    QStringList args{QStringLiteral("--file"), QStringLiteral("here.bin=64")};
    if (!option.isEmpty())
        args << option;
    BoardSimProcess sim(args);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    FsManager link;
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);

    // "here.bin" is fetched first (names go in byte order), then the missing one ends the batch.
    link.getFiles({{QStringLiteral("here.bin"), 64}, {QStringLiteral("zzz.bin"), 10}});
    QTRY_COMPARE_WITH_TIMEOUT(rec.received.size(), 1, kWaitMs);
    QVERIFY2(expected.contains(rec.received.first()), qPrintable(rec.received.first()));
    const QMap<QString, QByteArray> files = rec.receivedFiles.first();
    QCOMPARE(files.keys(), QStringList{QStringLiteral("here.bin")});
    QCOMPARE(files.first().size(), 64);
    QVERIFY(link.isConnected());
}

void TestLinkE2e::keepAliveFlagRefreshesTheList()
{
    TempCwd cwd;
    QVERIFY(cwd.isValid());
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    START_SIM(sim, "--dir", folder.path());
    FsManager link;
    // Polls every 600 ms instead of 3 s; replies here take milliseconds, well inside the limits.
    link.setTimeScale(0.2);
    LinkRecorder rec(link);
    CONNECT_LINK(link, rec, sim);
    QVERIFY(rec.tables.first().files.isEmpty());

    QVERIFY(writeLocalFile(folder.filePath(QStringLiteral("byhand.bin")), pattern(123, 7)));
    QTRY_VERIFY_WITH_TIMEOUT(rec.lastListed("byhand.bin"), kWaitMs);
    QCOMPARE(rec.lastListed("byhand.bin")->size, 123u);
    QVERIFY(sim.log().contains(QLatin1String("send keepalive form=small bytes=6 status=1")));
    QVERIFY(rec.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkE2e)
#include "tst_link_e2e.moc"
