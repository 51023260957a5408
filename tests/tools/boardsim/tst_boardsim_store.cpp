// The simulator's flash model in process: room finding, names that may touch the disk, and the
// folder rescan that feeds the keep-alive flag.
#include "flashstore.h"
#include "options.h"
#include "wire.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using boardsim::FlashStore;

namespace {

QByteArray bytes(int size, char fill = 'x')
{
    return QByteArray(size, fill);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestBoardSimStore : public QObject
{
    Q_OBJECT

private slots:
    void firstFitReusesFreedRoom();
    void replacementMayUseItsOwnRoom();
    void blockNumbersStayUnique();
    void safeNames_data();
    void safeNames();
    void folderRoundTripAndRescan();
    void rescanSkipsUnusableFiles();
    void recordsAndUploadHeaders();
    void optionsRefuseBadInput_data();
    void optionsRefuseBadInput();
};

void TestBoardSimStore::firstFitReusesFreedRoom()
{
    FlashStore store(300);
    QCOMPARE(store.store("a", bytes(100), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.store("b", bytes(100), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.store("c", bytes(100), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.store("d", bytes(1), 1), FlashStore::StoreResult::NoSpace);
    QCOMPARE(store.remove("b"), FlashStore::RemoveResult::Removed);
    QCOMPARE(store.remove("b"), FlashStore::RemoveResult::Missing);
    QCOMPARE(store.store("d", bytes(60), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.find("d")->address, 100u);
    // 40 bytes are left, in one gap: more does not fit even though the total would allow it piecewise.
    QCOMPARE(store.store("e", bytes(41), 1), FlashStore::StoreResult::NoSpace);
    QCOMPARE(store.store("e", bytes(40), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.find("e")->address, 160u);
    // Every range stays inside the flash and apart from the others.
    quint64 used = 0;
    for (const boardsim::StoredFile &f : store.files()) {
        QVERIFY(quint64(f.address) + f.size <= 300);
        used += f.size;
    }
    QCOMPARE(used, 300u);
}

void TestBoardSimStore::replacementMayUseItsOwnRoom()
{
    FlashStore store(100);
    QCOMPARE(store.store("a", bytes(80), 1), FlashStore::StoreResult::Stored);
    const quint64 version = store.version();
    QCOMPARE(store.store("a", bytes(100, 'y'), 2), FlashStore::StoreResult::Stored);
    QVERIFY(store.version() > version);
    QCOMPARE(int(store.files().size()), 1);
    QByteArray content;
    QVERIFY(store.readContent("a", &content));
    QCOMPARE(content, bytes(100, 'y'));
    QCOMPARE(store.find("a")->modifyTime, 2u);
    // A failed replacement keeps the old file.
    QCOMPARE(store.store("a", bytes(101), 3), FlashStore::StoreResult::NoSpace);
    QVERIFY(store.readContent("a", &content));
    QCOMPARE(content.size(), 100);
}

void TestBoardSimStore::blockNumbersStayUnique()
{
    FlashStore store(1000);
    for (const char *name : {"a", "b", "c"})
        QCOMPARE(store.store(name, bytes(10), 1), FlashStore::StoreResult::Stored);
    const quint16 freed = store.find("b")->blockNumber;
    QCOMPARE(store.remove("b"), FlashStore::RemoveResult::Removed);
    QCOMPARE(store.store("d", bytes(10), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.find("d")->blockNumber, freed);
    QVERIFY(store.find("a")->blockNumber != store.find("c")->blockNumber);
    QVERIFY(store.find("d")->blockNumber != store.find("a")->blockNumber);
}

void TestBoardSimStore::safeNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << QByteArray("config.vmc") << true;
    QTest::newRow("hidden") << QByteArray(".profile") << true;
    QTest::newRow("dots inside") << QByteArray("a..b") << true;
    QTest::newRow("latin-1") << QByteArray("caf\xE9.txt") << true;
    QTest::newRow("51 chars") << QByteArray(51, 'n') << true;
    QTest::newRow("52 chars") << QByteArray(52, 'n') << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("dot") << QByteArray(".") << false;
    QTest::newRow("dot dot") << QByteArray("..") << false;
    QTest::newRow("parent") << QByteArray("../x") << false;
    QTest::newRow("slash") << QByteArray("a/b") << false;
    QTest::newRow("backslash") << QByteArray("a\\b") << false;
    QTest::newRow("drive") << QByteArray("c:x") << false;
    QTest::newRow("control") << QByteArray("a\nb") << false;
    QTest::newRow("trailing dot") << QByteArray("name.") << false;
    QTest::newRow("trailing space") << QByteArray("name ") << false;
}

void TestBoardSimStore::safeNames()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, safe);
    QCOMPARE(FlashStore::isSafeFileName(name), safe);
}

void TestBoardSimStore::folderRoundTripAndRescan()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(writeFile(folder.filePath(QStringLiteral("pre.bin")), bytes(10, 'p')));
    QStringList logged;
    FlashStore store(1000, [&](const QString &line) { logged << line; });
    QString error;
    QVERIFY(!store.setFolder(folder.filePath(QStringLiteral("missing")), &error));
    QVERIFY(store.setFolder(folder.path(), &error));
    QCOMPARE(int(store.files().size()), 1);
    QCOMPARE(store.find("pre.bin")->size, 10u);

    // Memory-only entries live beside the folder's files and survive rescans.
    QCOMPARE(store.addMemoryOnly("../x", bytes(5), 1), FlashStore::StoreResult::Stored);
    QCOMPARE(store.store("../y", bytes(5), 1), FlashStore::StoreResult::BadName);
    QVERIFY(!store.rescan());

    QCOMPARE(store.store("up.bin", bytes(20, 'u'), 1), FlashStore::StoreResult::Stored);
    QFile up(folder.filePath(QStringLiteral("up.bin")));
    QVERIFY(up.open(QIODevice::ReadOnly));
    QCOMPARE(up.readAll(), bytes(20, 'u'));
    up.close();
    QVERIFY(!store.rescan()); // its own write is no change by hand

    const quint64 version = store.version();
    QVERIFY(writeFile(folder.filePath(QStringLiteral("hand.bin")), bytes(30)));
    QVERIFY(store.rescan());
    QVERIFY(store.version() > version);
    QCOMPARE(store.find("hand.bin")->size, 30u);
    QVERIFY(writeFile(folder.filePath(QStringLiteral("hand.bin")), bytes(31)));
    QVERIFY(store.rescan());
    QCOMPARE(store.find("hand.bin")->size, 31u);

    QCOMPARE(store.remove("pre.bin"), FlashStore::RemoveResult::Removed);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("pre.bin"))));
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("up.bin"))));
    QVERIFY(store.rescan());
    QVERIFY(!store.find("up.bin"));
    QByteArray content;
    QVERIFY(store.readContent("../x", &content));
    QVERIFY(!store.readContent("up.bin", &content));
    QVERIFY(store.find("../x"));
    QVERIFY(logged.isEmpty());
}

void TestBoardSimStore::rescanSkipsUnusableFiles()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(writeFile(folder.filePath(QString(60, QLatin1Char('n'))), bytes(1)));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("big.bin")), bytes(2000)));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("subfolder")));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("subfolder/inner.bin")), bytes(1)));
    QStringList logged;
    FlashStore store(1000, [&](const QString &line) { logged << line; });
    QString error;
    QVERIFY(store.setFolder(folder.path(), &error));
    QVERIFY(store.files().empty());
    QCOMPARE(logged.size(), 2);
    // Reported once, not on every poll.
    QVERIFY(!store.rescan());
    QCOMPARE(logged.size(), 2);
    // A file that grows beyond the free memory leaves the table but stays on disk.
    QVERIFY(writeFile(folder.filePath(QStringLiteral("grow.bin")), bytes(100)));
    QVERIFY(store.rescan());
    QVERIFY(store.find("grow.bin"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("grow.bin")), bytes(1500)));
    QVERIFY(store.rescan());
    QVERIFY(!store.find("grow.bin"));
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("grow.bin"))));
}

void TestBoardSimStore::recordsAndUploadHeaders()
{
    namespace wire = boardsim::wire;
    const QByteArray small = wire::encodeRecord({"name", 0x01020304, 0x0A0B0C0D, 70000, 7}, false);
    QCOMPARE(small.size(), 64);
    QCOMPARE(small.left(5), QByteArray("name\0", 5));
    QCOMPARE(small.mid(52, 8), QByteArray("\x04\x03\x02\x01\x0D\x0C\x0B\x0A", 8));
    QCOMPARE(small.mid(60, 4), QByteArray("\xFF\xFF\x07\x00", 4)); // clamped, not wrapped
    const QByteArray big = wire::encodeRecord({QByteArray(60, 'n'), 0, 0, 70000, 7}, true);
    QCOMPARE(big.size(), 66);
    QCOMPARE(big.at(51), '\0'); // the name field always ends with a zero byte
    QCOMPARE(big.mid(60, 6), QByteArray("\x70\x11\x01\x00\x07\x00", 6));

    QByteArray header(66, '\0');
    header.replace(0, 3, "abc");
    header.replace(60, 4, QByteArray("\x10\x27\x01\x00", 4));
    wire::UploadHeader decoded = wire::decodeUploadHeader(header.constData(), true);
    QCOMPARE(decoded.name, QByteArray("abc"));
    QCOMPARE(decoded.size, 75536u);
    QVERIFY(decoded.nameTerminated);
    decoded = wire::decodeUploadHeader(header.constData(), false);
    QCOMPARE(decoded.size, 10000u);
    header.replace(0, 52, QByteArray(52, 'z'));
    QVERIFY(!wire::decodeUploadHeader(header.constData(), false).nameTerminated);

    const QByteArray frame = wire::replyFrame(wire::kFormSmall, wire::kCmdDelete, QByteArray(1, 2));
    QCOMPARE(frame, QByteArray("\x06\x00\x0B\x0C\x03\x02", 6));
    QCOMPARE(wire::bigDownloadHeader(100000), QByteArray("\xFF\xFF\x0B\x0D\x05\x00\xA0\x86\x01\x00", 10));
}

void TestBoardSimStore::optionsRefuseBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("defaults") << QStringList() << true;
    QTest::newRow("loopback v6") << QStringList{"--host", "::1"} << true;
    QTest::newRow("any address") << QStringList{"--host", "0.0.0.0"} << false;
    QTest::newRow("remote allowed") << QStringList{"--host", "0.0.0.0", "--allow-non-loopback"} << true;
    QTest::newRow("port too large") << QStringList{"--port", "70000"} << false;
    QTest::newRow("memory too large") << QStringList{"--memory", "9999999999"} << false;
    QTest::newRow("both forms") << QStringList{"--big", "--ask-big"} << false;
    QTest::newRow("long file name") << QStringList{"--file", QString(52, QLatin1Char('n')) + "=1"} << false;
    QTest::newRow("file without size") << QStringList{"--file", "a.bin"} << false;
    QTest::newRow("status for list") << QStringList{"--status", "list=1"} << false;
    QTest::newRow("status by name") << QStringList{"--status", "get=2"} << true;
    QTest::newRow("unknown command") << QStringList{"--ignore", "format"} << false;
    QTest::newRow("stray argument") << QStringList{"extra"} << false;
    QTest::newRow("congestion control") << QStringList{"--tcp-congestion", "reno"} << true;
    QTest::newRow("congestion not a name") << QStringList{"--tcp-congestion", "reno --x"} << false;
}

void TestBoardSimStore::optionsRefuseBadInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    boardsim::SimOptions options;
    QString error, help;
    QCOMPARE(boardsim::parseOptions(arguments, &options, &error, &help), accepted);
    QCOMPARE(error.isEmpty(), accepted);
}

QTEST_GUILESS_MAIN(TestBoardSimStore)
#include "tst_boardsim_store.moc"
