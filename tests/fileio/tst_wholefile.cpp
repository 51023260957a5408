// A file is written whole or not at all: a write that fails at any size leaves the previous file.
#include "filesizecap.h"
#include "testfiles.h"
#include "wholefile.h"

#include <QTemporaryDir>
#include <QTest>

class TestWholeFile : public QObject
{
    Q_OBJECT

private slots:
    void writesOrKeepsThePreviousFile_data();
    void writesOrKeepsThePreviousFile();
    void missingFolderIsAnError();
};

void TestWholeFile::writesOrKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("cap"); // 0: no limit
    QTest::addColumn<bool>("written");
    QTest::newRow("fits") << 5000 << 0 << true;
    QTest::newRow("empty") << 0 << 0 << true;
    // Below Qt's 16 KiB write buffer nothing reaches the disk before the commit.
    QTest::newRow("small file, full disk") << 5000 << 2048 << false;
    QTest::newRow("large file, full disk") << 256 * 1024 << 64 * 1024 << false;
    QTest::newRow("exactly the room left") << 2048 << 2048 << true;
}

void TestWholeFile::writesOrKeepsThePreviousFile()
{
    QFETCH(int, size);
    QFETCH(int, cap);
    QFETCH(bool, written);
    QTemporaryDir folder;
    const QString path = folder.filePath("data.bin");
    const QByteArray previous("the previous file");
    QVERIFY(writeFile(path, previous));
    const QByteArray bytes(size, 'n');
    QString error;
    if (cap > 0) {
#ifdef VELMORA_HAS_FILE_SIZE_CAP
        FileSizeCap limit{rlim_t(cap)};
        QVERIFY(limit.active);
        error = writeWholeFile(path, bytes);
#else
        QSKIP("needs a per-process file size limit");
#endif
    } else {
        error = writeWholeFile(path, bytes);
    }
    QCOMPARE(error.isEmpty(), written);
    QCOMPARE(readAll(path), written ? bytes : previous);
    QCOMPARE(entriesOf(folder.path()), QStringList{"data.bin"}); // no temporary file left behind
}

void TestWholeFile::missingFolderIsAnError()
{
    QTemporaryDir root;
    QVERIFY(!writeWholeFile(root.filePath("gone/data.bin"), "x").isEmpty());
    QVERIFY(entriesOf(root.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestWholeFile)
#include "tst_wholefile.moc"
