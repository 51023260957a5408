// Writing downloaded files: which names may be written, and that a failed write never costs the
// user an existing file.
#include "receivedfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// Caps the size of any file this process writes, as a full disk would, for one scope.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of a killed process
        rlimit capped = saved;
        capped.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeCap(const FileSizeCap &) = delete;
    FileSizeCap &operator=(const FileSizeCap &) = delete;
    bool active = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};
#endif

} // namespace

class TestReceivedFiles : public QObject
{
    Q_OBJECT

private slots:
    void plainNames_data();
    void plainNames();
    void writesPlainNamesAndRefusesTheRest();
    void replacesExistingFile();
    void failedWriteKeepsExistingFile();
    void linksMayNotLeadOutside();
    void unwrittenFilesAreNamed();
    void messagesQuoteEveryName_data();
    void messagesQuoteEveryName();
};

void TestReceivedFiles::plainNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("simple") << "GpioPortsSettings.vmc" << true;
    QTest::newRow("latin-1") << QStringLiteral("café.txt") << true;
    QTest::newRow("inner dots") << "a..b" << true;
    QTest::newRow("leading dot") << ".hidden" << true;
    QTest::newRow("space inside") << "my file" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("three dots") << "..." << false;
    QTest::newRow("only spaces") << "  " << false;
    QTest::newRow("parent step") << "../x" << false;
    QTest::newRow("backslash parent") << "..\\x" << false;
    QTest::newRow("subfolder") << "sub/x" << false;
    QTest::newRow("absolute") << "/etc/x" << false;
    QTest::newRow("drive") << "C:x" << false;
    QTest::newRow("drive root") << "C:\\x" << false;
    QTest::newRow("stream") << "x:stream" << false;
    QTest::newRow("control") << "a\tb" << false;
    QTest::newRow("nul") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << false;
}

void TestReceivedFiles::plainNames()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(ReceivedFiles::isPlainFileName(name), plain);
}

void TestReceivedFiles::writesPlainNamesAndRefusesTheRest()
{
    QTemporaryDir root;
    const QString folder = root.filePath("save");
    QVERIFY(QDir().mkpath(folder));
    const QMap<QString, QByteArray> files = {
        {"b.bin", "bee"},    {"../up.bin", "x"}, {"a.bin", QByteArray("\0\1\2", 3)},
        {"sub/in.bin", "x"}, {"..", "x"},        {"", "x"},
        {"empty.bin", ""}};
    const QStringList refused = ReceivedFiles::save(folder, files);
    // Listed in key order, as the files are visited.
    QCOMPARE(refused, QStringList({"", "..", "../up.bin", "sub/in.bin"}));
    QCOMPARE(entriesOf(folder), QStringList({"a.bin", "b.bin", "empty.bin"}));
    QCOMPARE(entriesOf(root.path()), QStringList({"save"}));
    QCOMPARE(readAll(folder + "/a.bin"), QByteArray("\0\1\2", 3));
    QCOMPARE(readAll(folder + "/empty.bin"), QByteArray());
}

void TestReceivedFiles::replacesExistingFile()
{
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("a.bin"), QByteArray(5000, 'o')));
    QVERIFY(ReceivedFiles::save(folder.path(), {{"a.bin", "short"}}).isEmpty());
    QCOMPARE(readAll(folder.filePath("a.bin")), QByteArray("short"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"a.bin"}));
}

void TestReceivedFiles::failedWriteKeepsExistingFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir folder;
    const QByteArray old(100, 'o');
    QVERIFY(writeFile(folder.filePath("big.bin"), old));
    QByteArray big(256 * 1024, 'n');
    {
        FileSizeCap cap(64 * 1024);
        QVERIFY(cap.active);
        // The big file fails half-way; the small one after it is still written.
        const QStringList refused =
            ReceivedFiles::save(folder.path(), {{"big.bin", big}, {"small.bin", "small"}});
        QVERIFY(refused.isEmpty()); // a failed write is skipped silently
    }
    QCOMPARE(readAll(folder.filePath("big.bin")), old);
    QCOMPARE(readAll(folder.filePath("small.bin")), QByteArray("small"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"big.bin", "small.bin"})); // no partial temporary file
#else
    QSKIP("needs a per-process file size limit");
#endif
}

void TestReceivedFiles::linksMayNotLeadOutside()
{
#ifdef Q_OS_UNIX
    QTemporaryDir root;
    const QString folder = root.filePath("save");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(root.filePath("outside.bin"), "outside"));
    QVERIFY(writeFile(folder + "/target.bin", "target"));
    QVERIFY(QFile::link(root.filePath("outside.bin"), folder + "/out.lnk"));
    QVERIFY(QFile::link(folder + "/target.bin", folder + "/in.lnk"));
    QVERIFY(QFile::link(root.filePath("nowhere.bin"), folder + "/dangling.lnk"));

    const QStringList refused =
        ReceivedFiles::save(folder, {{"out.lnk", "evil"}, {"in.lnk", "fine"}, {"dangling.lnk", "evil"}});
    QCOMPARE(refused, QStringList({"dangling.lnk", "out.lnk"}));
    QCOMPARE(readAll(root.filePath("outside.bin")), QByteArray("outside"));
    QVERIFY(!QFile::exists(root.filePath("nowhere.bin")));
    QCOMPARE(readAll(folder + "/target.bin"), QByteArray("fine"));
#else
    QSKIP("symbolic links are a Unix matter here");
#endif
}

void TestReceivedFiles::unwrittenFilesAreNamed()
{
    QTemporaryDir root;
    const QString gone = root.filePath("gone");
    QStringList failed;
    const QStringList refused =
        ReceivedFiles::save(gone, {{"a.bin", "a"}, {"../b.bin", "b"}, {"c.bin", ""}}, &failed);
    // A refused name is not written either, but it is told apart.
    QCOMPARE(refused, QStringList({"../b.bin"}));
    QCOMPARE(failed, QStringList({"a.bin", "c.bin"}));
    QCOMPARE(entriesOf(root.path()), QStringList());

    failed.clear();
    QVERIFY(ReceivedFiles::save(root.path(), {{"a.bin", "a"}}, &failed).isEmpty());
    QVERIFY(failed.isEmpty());
    QCOMPARE(readAll(root.filePath("a.bin")), QByteArray("a"));
}

void TestReceivedFiles::messagesQuoteEveryName_data()
{
    QTest::addColumn<bool>("refusal");
    QTest::addColumn<QString>("heading");
    QTest::newRow("refused") << true << "Следующие файлы не сохранены: недопустимое имя файла:";
    QTest::newRow("not written") << false << "Следующие файлы не сохранены: не удалось записать файл:";
}

void TestReceivedFiles::messagesQuoteEveryName()
{
    QFETCH(bool, refusal);
    QFETCH(QString, heading);
    const QStringList names{"", "../x", "a b"};
    const QString text = refusal ? ReceivedFiles::refusalText(names) : ReceivedFiles::failureText(names);
    QCOMPARE(text, heading + "\n«»\n«../x»\n«a b»");
}

QTEST_GUILESS_MAIN(TestReceivedFiles)
#include "tst_receivedfiles.moc"
