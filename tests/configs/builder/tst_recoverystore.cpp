#include "datablocks.h"
#include "modelidfile.h"
#include "recoverystore.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

using Blocks::Section;

namespace {
// A configuration as a fresh window holds it, but for the PWM section, which may be any block.
ModelIdFile::SectionBlocks configuration(const QByteArray &pwm = QByteArray())
{
    ModelIdFile::SectionBlocks blocks;
    blocks[std::size_t(Section::Gpio)] = QByteArray(Blocks::kGpioBlockSize, '\0');
    blocks[std::size_t(Section::PwmPorts)] = pwm;
    return blocks;
}

QByteArray pwm(quint32 frequency)
{
    return Blocks::encodeRecords(QVector<PwmPortRecord>{{1, 35, frequency}});
}

// More than the model-id format holds.
QByteArray tooLargeBlock()
{
    return QByteArray(ModelIdFile::kMaxBodySize + 1, '\1');
}

// Every file under a folder, as paths relative to it; without the windows' locks on request.
QStringList filesUnder(const QString &folder, bool locks = true)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = QDir(folder).relativeFilePath(it.next());
        if (locks || !file.endsWith(QLatin1String(".lock")))
            files << file;
    }
    files.sort();
    return files;
}

// Work left by a window whose program ended without closing it: its file, no owner. The file's
// time is this many seconds ago.
QString leaveWork(const QString &folder, const QByteArray &pwmBlock, quint8 modelId, int ageSeconds = 0)
{
    RecoveryStore store(folder);
    if (!store.open())
        return QString();
    store.setBaseline(configuration());
    store.keep(configuration(pwmBlock), modelId);
    const QString path = store.filePath();
    store.close(true);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                          QFileDevice::FileModificationTime))
        return QString();
    return path;
}

// A lock as Qt writes it, but of a process that no longer runs.
void plantDeadOwnersLock(const QString &path)
{
    QByteArray contents;
    {
        QLockFile scratch(path);
        QVERIFY(scratch.tryLock(0));
        contents = readAll(path);
    }
    const int endOfPid = contents.indexOf('\n');
    QVERIFY(endOfPid > 0);
    QVERIFY(writeFile(path, "2147483647" + contents.mid(endOfPid)));
}
} // namespace

class TestRecoveryStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keepsOnlyUnsavedWork_data();
    void keepsOnlyUnsavedWork();
    void endings_data();
    void endings();
    void orphans_data();
    void orphans();
    void reading_data();
    void reading();
    void removingAnOrphan();
    void deadWindowsLeftoversGo();

private:
    std::unique_ptr<QTemporaryDir> temporary;
    QString folder;
};

void TestRecoveryStore::init()
{
    temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(temporary->isValid());
    folder = temporary->filePath(QStringLiteral("recovery"));
}

void TestRecoveryStore::keepsOnlyUnsavedWork_data()
{
    QTest::addColumn<QByteArray>("first");  // the PWM block of the first write
    QTest::addColumn<int>("firstId");       // and its model id
    QTest::addColumn<bool>("savedBetween"); // then the PWM section saved as it was
    QTest::addColumn<QByteArray>("second"); // the PWM block of the second write
    QTest::addColumn<int>("secondId");
    QTest::addColumn<int>("kept");         // RecoveryStore::Kept of the second write
    QTest::addColumn<QString>("file");     // the one file there is then, if any
    QTest::addColumn<QByteArray>("holds"); // its PWM section

    const int nothing = int(RecoveryStore::Kept::Nothing);
    const int written = int(RecoveryStore::Kept::Written);
    const int refused = int(RecoveryStore::Kept::TooLarge);
    QTest::newRow("unchanged") << QByteArray() << 0 << false << QByteArray() << 0 << nothing << QString()
                               << QByteArray();
    QTest::newRow("edited") << pwm(100) << 7 << false << pwm(100) << 7 << written << "ModelId_7.vmc"
                            << pwm(100);
    QTest::newRow("edited further") << pwm(100) << 7 << false << pwm(200) << 7 << written << "ModelId_7.vmc"
                                    << pwm(200);
    QTest::newRow("edited back") << pwm(100) << 7 << false << QByteArray() << 7 << nothing << QString()
                                 << QByteArray();
    QTest::newRow("saved") << pwm(100) << 7 << true << pwm(100) << 7 << nothing << QString() << QByteArray();
    QTest::newRow("saved, then edited")
        << pwm(100) << 7 << true << pwm(200) << 7 << written << "ModelId_7.vmc" << pwm(200);
    QTest::newRow("saved, then edited back")
        << pwm(100) << 7 << true << QByteArray() << 7 << written << "ModelId_7.vmc" << QByteArray();
    QTest::newRow("model id changed")
        << pwm(100) << 7 << false << pwm(100) << 255 << written << "ModelId_255.vmc" << pwm(100);
    QTest::newRow("too large") << pwm(100) << 7 << false << tooLargeBlock() << 7 << refused << "ModelId_7.vmc"
                               << pwm(100);
    QTest::newRow("too large from the start")
        << tooLargeBlock() << 7 << false << tooLargeBlock() << 7 << refused << QString() << QByteArray();
}

void TestRecoveryStore::keepsOnlyUnsavedWork()
{
    QFETCH(QByteArray, first);
    QFETCH(int, firstId);
    QFETCH(bool, savedBetween);
    QFETCH(QByteArray, second);
    QFETCH(int, secondId);
    QFETCH(int, kept);
    QFETCH(QString, file);
    QFETCH(QByteArray, holds);

    RecoveryStore store(folder);
    QVERIFY(store.open());
    store.setBaseline(configuration());
    store.keep(configuration(first), quint8(firstId));
    if (savedBetween)
        store.setBaseline(Section::PwmPorts, first);
    QCOMPARE(int(store.keep(configuration(second), quint8(secondId))), kept);

    QStringList names;
    for (const QString &path : filesUnder(folder, false))
        names << QFileInfo(path).fileName();
    QCOMPARE(names, file.isEmpty() ? QStringList() : QStringList{file});
    QCOMPARE(QFileInfo(store.filePath()).fileName(), file);
    if (!file.isEmpty())
        QCOMPARE(readAll(store.filePath()), *ModelIdFile::encode(configuration(holds)));
}

void TestRecoveryStore::endings_data()
{
    QTest::addColumn<int>("ending"); // 0: closed, 1: closed as the session ends, 2: destroyed
    QTest::addColumn<bool>("offeredLater");

    QTest::newRow("closed") << 0 << false;
    QTest::newRow("session ends") << 1 << true;
    QTest::newRow("destroyed") << 2 << false;
}

void TestRecoveryStore::endings()
{
    QFETCH(int, ending);
    QFETCH(bool, offeredLater);

    QString path;
    {
        RecoveryStore store(folder);
        QVERIFY(store.open());
        store.setBaseline(configuration());
        QCOMPARE(store.keep(configuration(pwm(100)), 3), RecoveryStore::Kept::Written);
        path = store.filePath();
        if (ending < 2)
            store.close(ending == 1);
    }
    // No lock is left behind either way.
    QCOMPARE(filesUnder(folder),
             offeredLater ? QStringList{QDir(folder).relativeFilePath(path)} : QStringList());

    RecoveryStore later(folder);
    QVERIFY(later.open());
    const std::unique_ptr<OrphanedWork> orphan = later.takeNewestOrphan();
    QCOMPARE(bool(orphan), offeredLater);
    if (orphan)
        QCOMPARE(orphan->path(), path);
}

void TestRecoveryStore::orphans_data()
{
    QTest::addColumn<QList<int>>("ages"); // seconds; each work left by a window gone
    QTest::addColumn<bool>("running");    // and a running window's, newer than all
    QTest::addColumn<bool>("deadOwner");  // the first work's lock left by a dead process
    QTest::addColumn<int>("offered");     // which work, or -1
    QTest::addColumn<int>("leftOnDisk");  // files besides the locks once it is taken

    QTest::newRow("none") << QList<int>{} << false << false << -1 << 0;
    QTest::newRow("one") << QList<int>{60} << false << false << 0 << 1;
    QTest::newRow("dead owner's") << QList<int>{60} << false << true << 0 << 1;
    QTest::newRow("newest of three") << QList<int>{60, 10, 30} << false << false << 1 << 3;
    QTest::newRow("a running window's") << QList<int>{} << true << false << -1 << 1;
    QTest::newRow("not a newer running window's") << QList<int>{60} << true << false << 0 << 2;
}

void TestRecoveryStore::orphans()
{
    QFETCH(QList<int>, ages);
    QFETCH(bool, running);
    QFETCH(bool, deadOwner);
    QFETCH(int, offered);
    QFETCH(int, leftOnDisk);

    QStringList paths;
    for (int age : ages) {
        paths << leaveWork(folder, pwm(quint32(100 + paths.size())), 1, age);
        QVERIFY(!paths.last().isEmpty());
    }
    if (deadOwner)
        plantDeadOwnersLock(QFileInfo(paths.first()).absolutePath() + QStringLiteral(".lock"));
    std::unique_ptr<RecoveryStore> runningWindow;
    if (running) {
        runningWindow = std::make_unique<RecoveryStore>(folder);
        QVERIFY(runningWindow->open());
        QCOMPARE(runningWindow->keep(configuration(pwm(1)), 2), RecoveryStore::Kept::Written);
    }

    RecoveryStore opening(folder);
    QVERIFY(opening.open());
    const std::unique_ptr<OrphanedWork> orphan = opening.takeNewestOrphan();
    QCOMPARE(orphan ? paths.indexOf(orphan->path()) : -1, offered);
    QCOMPARE(filesUnder(folder, false).size(), leftOnDisk);

    // Held while this window decides: no other opening gets it.
    RecoveryStore another(folder);
    QVERIFY(another.open());
    const std::unique_ptr<OrphanedWork> next = another.takeNewestOrphan();
    if (next)
        QVERIFY(!orphan || next->path() != orphan->path());
}

void TestRecoveryStore::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("folderInstead"); // a folder under the file's name
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("reason"); // empty for the system's own

    const QString damaged = QStringLiteral("файл повреждён");
    const QByteArray whole = *ModelIdFile::encode(configuration(pwm(100)));
    QByteArray renamed = whole;
    renamed.replace(int(Section::PwmPorts) * ModelIdFile::kSectionEntrySize, 8, "Unknown\0", 8);
    ModelIdFile::SectionBlocks shortPins = configuration(pwm(100));
    shortPins[std::size_t(Section::Gpio)].chop(1);
    ModelIdFile::SectionBlocks partRecord = configuration(QByteArray(Blocks::kPwmPortRecordSize - 1, '\1'));

    QTest::newRow("as written") << whole << false << true << QString();
    QTest::newRow("empty") << QByteArray() << false << false << damaged;
    QTest::newRow("shorter than the header")
        << whole.left(ModelIdFile::kHeaderSize - 1) << false << false << damaged;
    QTest::newRow("a section cut short") << whole.left(whole.size() - 1) << false << false << damaged;
    QTest::newRow("a section not named") << renamed << false << false << damaged;
    QTest::newRow("pins of the wrong size") << *ModelIdFile::encode(shortPins) << false << false << damaged;
    QTest::newRow("less than one record") << *ModelIdFile::encode(partRecord) << false << false << damaged;
    QTest::newRow("not a file") << QByteArray() << true << false << QString();
}

void TestRecoveryStore::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, folderInstead);
    QFETCH(bool, readable);
    QFETCH(QString, reason);

    const QString path = leaveWork(folder, pwm(5), 9);
    QVERIFY(!path.isEmpty());
    QVERIFY(QFile::remove(path));
    if (folderInstead)
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(writeFile(path, bytes));

    RecoveryStore opening(folder);
    QVERIFY(opening.open());
    const std::unique_ptr<OrphanedWork> orphan = opening.takeNewestOrphan();
    QVERIFY(orphan);
    QString why;
    const std::optional<OrphanedWork::Contents> contents = orphan->read(&why);
    QCOMPARE(bool(contents), readable);
    if (contents) {
        QCOMPARE(contents->name, QStringLiteral("ModelId_9.vmc"));
        QCOMPARE(contents->bytes, bytes);
    } else if (!reason.isEmpty()) {
        QCOMPARE(why, reason);
    } else {
        QVERIFY(!why.isEmpty());
    }
}

void TestRecoveryStore::removingAnOrphan()
{
    QVERIFY(!leaveWork(folder, pwm(5), 9).isEmpty());
    RecoveryStore opening(folder);
    QVERIFY(opening.open());
    std::unique_ptr<OrphanedWork> orphan = opening.takeNewestOrphan();
    QVERIFY(orphan);
    orphan->remove();
    orphan.reset();
    // Only this window's lock is left.
    QCOMPARE(filesUnder(folder).size(), 1);
    QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!opening.takeNewestOrphan());
}

void TestRecoveryStore::deadWindowsLeftoversGo()
{
    // A window that died before it wrote anything, and one that died between making its folder
    // and writing its file.
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/early")));
    plantDeadOwnersLock(folder + QStringLiteral("/early.lock"));
    plantDeadOwnersLock(folder + QStringLiteral("/earlier.lock"));

    RecoveryStore opening(folder);
    QVERIFY(opening.open());
    QVERIFY(!opening.takeNewestOrphan());
    QCOMPARE(filesUnder(folder).size(), 1); // this window's lock
    QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(TestRecoveryStore)
#include "tst_recoverystore.moc"
