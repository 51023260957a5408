// Sync's record of a board: what it trusts of a board file, and which state files it refuses.
#include "syncstate.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace fsclient::syncstate;

Q_DECLARE_METATYPE(Verdict)
Q_DECLARE_METATYPE(BoardEntry)
Q_DECLARE_METATYPE(LocalFile)

namespace {

const QString kBoard = QStringLiteral("127.0.0.1:2502");
const BoardEntry kEntry{QStringLiteral("a.vmc"), 8, 1700000000, 64, 3};
const QByteArray kDigest = QByteArray(32, '\x5a');

Record sample()
{
    return {kEntry, {QStringLiteral("/work/cfg/a.vmc"), 7, 1700000000123, kDigest}};
}

State sampleState()
{
    return {kBoard, {{kEntry.name, sample()}}};
}

// The sample state's document with one member replaced.
QByteArray with(const QString &key, const QJsonValue &value)
{
    QJsonObject document = QJsonDocument::fromJson(encode(sampleState())).object();
    document.insert(key, value);
    return QJsonDocument(document).toJson();
}

QJsonObject sampleFile()
{
    return QJsonDocument::fromJson(encode(sampleState())).object().value("files").toArray().at(0).toObject();
}

// The same with one member of the file's record replaced.
QByteArray withFile(const QString &key, const QJsonValue &value)
{
    QJsonObject file = sampleFile();
    file.insert(key, value);
    return with(QStringLiteral("files"), QJsonArray{file});
}

} // namespace

class TestSyncState : public QObject
{
    Q_OBJECT

private slots:
    void judge_data();
    void judge();
    void refusesWhatItCannotTrust_data();
    void refusesWhatItCannotTrust();
    void savedStateReadsBack();
    void sameBytesAsTheBoardKeepsThem_data();
    void sameBytesAsTheBoardKeepsThem();
};

void TestSyncState::judge_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<BoardEntry>("listed");
    QTest::addColumn<LocalFile>("now");
    QTest::addColumn<QByteArray>("digest"); // what hashing the local file gives
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<bool>("hashed");
    const LocalFile same = sample().local;
    LocalFile touched = same;
    touched.modified += 1000;
    LocalFile grown = same;
    grown.size = 8;
    LocalFile elsewhere = same;
    elsewhere.path = QStringLiteral("/work/other/a.vmc");
    LocalFile gone = same;
    gone.size = -1;
    BoardEntry moved = kEntry;
    moved.address = 128;
    BoardEntry rewritten = kEntry;
    rewritten.modified += 1;
    BoardEntry reblocked = kEntry;
    reblocked.block = 4;
    const QByteArray other(32, '\x11');

    QTest::newRow("same entry, same file") << true << kEntry << same << other << Verdict::Equal << false;
    QTest::newRow("no record") << false << kEntry << same << kDigest << Verdict::Compare << false;
    QTest::newRow("board file moved") << true << moved << same << kDigest << Verdict::Compare << false;
    QTest::newRow("board file rewritten")
        << true << rewritten << same << kDigest << Verdict::Compare << false;
    QTest::newRow("board file in another block")
        << true << reblocked << same << kDigest << Verdict::Compare << false;
    QTest::newRow("another folder") << true << kEntry << elsewhere << kDigest << Verdict::Compare << false;
    QTest::newRow("local file gone") << true << kEntry << gone << kDigest << Verdict::Compare << false;
    QTest::newRow("touched, same bytes") << true << kEntry << touched << kDigest << Verdict::Equal << true;
    QTest::newRow("touched, other bytes") << true << kEntry << touched << other << Verdict::Changed << true;
    QTest::newRow("grown") << true << kEntry << grown << other << Verdict::Changed << true;
    QTest::newRow("grown, unreadable") << true << kEntry << grown << QByteArray() << Verdict::Compare << true;
}

void TestSyncState::judge()
{
    QFETCH(bool, recorded);
    QFETCH(BoardEntry, listed);
    QFETCH(LocalFile, now);
    QFETCH(QByteArray, digest);
    QFETCH(Verdict, verdict);
    QFETCH(bool, hashed);
    const Record record = sample();
    bool asked = false;
    QCOMPARE(fsclient::syncstate::judge(recorded ? &record : nullptr, listed, now,
                                        [&] {
                                            asked = true;
                                            return digest;
                                        }),
             verdict);
    QCOMPARE(asked, hashed);
}

void TestSyncState::refusesWhatItCannotTrust_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    const QString file = QStringLiteral("неверная запись файла");
    QByteArray good = encode(sampleState());
    QTest::newRow("cut short") << good.left(good.size() / 2) << "не JSON";
    QTest::newRow("an array") << QByteArray("[]") << "не JSON";
    QTest::newRow("another format") << QByteArray(good).replace("velmora-fs sync state", "other")
                                    << "чужой формат или версия";
    QTest::newRow("another version") << QByteArray(good).replace("\"version\": 1", "\"version\": 2")
                                     << "чужой формат или версия";
    QTest::newRow("another board") << QByteArray(good).replace("127.0.0.1:2502", "127.0.0.1:2503")
                                   << "записан для другой платы";
    QTest::newRow("version as text") << with(QStringLiteral("version"), QStringLiteral("1"))
                                     << "чужой формат или версия";
    QTest::newRow("files not a list") << with(QStringLiteral("files"), QJsonObject()) << file;
    QTest::newRow("a name twice") << with(QStringLiteral("files"), QJsonArray{sampleFile(), sampleFile()})
                                  << file;
    QTest::newRow("size as text") << withFile(QStringLiteral("size"), QStringLiteral("8")) << file;
    QTest::newRow("negative address") << withFile(QStringLiteral("address"), -4) << file;
    QTest::newRow("fractional block") << withFile(QStringLiteral("block"), 2.5) << file;
    QTest::newRow("no name") << withFile(QStringLiteral("name"), QString()) << file;
    QTest::newRow("no local file") << withFile(QStringLiteral("local"), QJsonValue()) << file;
    QTest::newRow("short digest") << QByteArray(good).replace(kDigest.toHex(), kDigest.toHex().left(62))
                                  << file;
    QTest::newRow("digest not hex") << QByteArray(good).replace(kDigest.toHex(), QByteArray(64, 'g')) << file;
    QTest::newRow("relative path") << QByteArray(good).replace("\"/work/cfg/a.vmc\"", "\"cfg/a.vmc\"")
                                   << file;
}

void TestSyncState::refusesWhatItCannotTrust()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    State state = sampleState();
    QString said;
    QVERIFY(!decode(bytes, kBoard, &state, &said));
    QCOMPARE(said, why);
    // Nothing of a refused file is taken.
    QCOMPARE(state.files.size(), 1);
}

void TestSyncState::savedStateReadsBack()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("velmora/127.0.0.1_2502.json"));
    State state;
    QString why;
    // No file yet: an empty state, nothing wrong.
    QVERIFY(load(path, kBoard, &state, &why));
    QVERIFY(state.files.isEmpty() && why.isEmpty());
    QCOMPARE(save(path, sampleState()), QString());
    QVERIFY2(load(path, kBoard, &state, &why), qPrintable(why));
    QCOMPARE(state.board, kBoard);
    QCOMPARE(state.files.keys(), QStringList{kEntry.name});
    const Record read = state.files.value(kEntry.name);
    QVERIFY(read.board == kEntry);
    QCOMPARE(read.local.path, sample().local.path);
    QCOMPARE(read.local.size, sample().local.size);
    QCOMPARE(read.local.modified, sample().local.modified);
    QCOMPARE(read.local.sha256, kDigest);
    QVERIFY(!load(path, QStringLiteral("127.0.0.1:1"), &state, &why));
}

void TestSyncState::sameBytesAsTheBoardKeepsThem_data()
{
    QTest::addColumn<QByteArray>("local");
    QTest::addColumn<QByteArray>("stored"); // as the board sends it back
    QTest::addColumn<bool>("same");
    const QByteArray big(200000, 'b'); // more than one piece of the reading
    QTest::newRow("whole words") << QByteArray("abcd") << QByteArray("abcd") << true;
    QTest::newRow("padded to a word") << QByteArray("abcde") << QByteArray("abcde\0\0\0", 8) << true;
    QTest::newRow("several pieces") << big << big << true;
    QTest::newRow("other bytes") << QByteArray("abcd") << QByteArray("abce") << false;
    QTest::newRow("padding not zero") << QByteArray("abcde") << QByteArray("abcdeXYZ") << false;
    QTest::newRow("board's longer by a word") << QByteArray("abcd") << QByteArray("abcd\0\0\0\0", 8) << false;
    QTest::newRow("local longer") << big << big.left(100000) << false;
}

void TestSyncState::sameBytesAsTheBoardKeepsThem()
{
    QFETCH(QByteArray, local);
    QFETCH(QByteArray, stored);
    QFETCH(bool, same);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.bin"));
    QVERIFY(writeFile(path, local));
    QByteArray digest;
    QCOMPARE(sameBytes(path, stored, &digest), same);
    // The digest made on the way is the file's, so that recording it needs no second reading.
    QCOMPARE(digest, same ? QCryptographicHash::hash(local, QCryptographicHash::Sha256) : QByteArray());
}

QTEST_GUILESS_MAIN(TestSyncState)
#include "tst_fsclient_syncstate.moc"
