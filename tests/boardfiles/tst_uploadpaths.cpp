// Which local paths may be sent: existing regular files only, as a drop onto the window.
#include "testfiles.h"
#include "uploadpaths.h"

#include <QTemporaryDir>
#include <QTest>

class TestUploadPaths : public QObject
{
    Q_OBJECT

private slots:
    void onlyRegularFiles_data();
    void onlyRegularFiles();
};

void TestUploadPaths::onlyRegularFiles_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("uploadable");
    QTest::newRow("file") << "file.bin" << true;
    QTest::newRow("empty file") << "empty.bin" << true;
    QTest::newRow("missing") << "missing.bin" << false;
    QTest::newRow("folder") << "folder" << false;
#ifdef Q_OS_UNIX
    QTest::newRow("link to a file") << "file.lnk" << true;
    QTest::newRow("link to a folder") << "folder.lnk" << false;
    QTest::newRow("dangling link") << "dangling.lnk" << false;
    QTest::newRow("device") << "/dev/null" << false;
#endif
}

void TestUploadPaths::onlyRegularFiles()
{
    QFETCH(QString, entry);
    QFETCH(bool, uploadable);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("file.bin"), "content"));
    QVERIFY(writeFile(dir.filePath("empty.bin"), QByteArray()));
    QVERIFY(QDir(dir.path()).mkdir("folder"));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(dir.filePath("file.bin"), dir.filePath("file.lnk")));
    QVERIFY(QFile::link(dir.filePath("folder"), dir.filePath("folder.lnk")));
    QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling.lnk")));
#endif
    QCOMPARE(UploadPaths::isUploadable(QDir(dir.path()).filePath(entry)), uploadable);
}

QTEST_APPLESS_MAIN(TestUploadPaths)
#include "tst_uploadpaths.moc"
