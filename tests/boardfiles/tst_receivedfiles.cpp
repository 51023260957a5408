// Writing downloaded files: which names may be written, and that a failed write never costs the
// user an existing file.
#include "filesizecap.h"
#include "receivedfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ReceivedFiles::SaveResult)

namespace {

// Each reason's names, for one comparison.
QList<QStringList> skipped(const ReceivedFiles::SaveResult &result)
{
    return {result.badNames, result.linksOut, result.failed};
}

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
    // Listed in key order, as the files are visited.
    QCOMPARE(skipped(ReceivedFiles::save(folder, files)),
             (QList<QStringList>{{"", "..", "../up.bin", "sub/in.bin"}, {}, {}}));
    QCOMPARE(entriesOf(folder), QStringList({"a.bin", "b.bin", "empty.bin"}));
    QCOMPARE(entriesOf(root.path()), QStringList({"save"}));
    QCOMPARE(readAll(folder + "/a.bin"), QByteArray("\0\1\2", 3));
    QCOMPARE(readAll(folder + "/empty.bin"), QByteArray());
}

void TestReceivedFiles::replacesExistingFile()
{
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("a.bin"), QByteArray(5000, 'o')));
    QCOMPARE(skipped(ReceivedFiles::save(folder.path(), {{"a.bin", "short"}})),
             QList<QStringList>({{}, {}, {}}));
    QCOMPARE(readAll(folder.filePath("a.bin")), QByteArray("short"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"a.bin"}));
}

void TestReceivedFiles::failedWriteKeepsExistingFile()
{
#ifdef VELMORA_HAS_FILE_SIZE_CAP
    QTemporaryDir folder;
    const QByteArray old(100, 'o');
    QVERIFY(writeFile(folder.filePath("data.bin"), old));
    {
        // Smaller than Qt's write buffer: the failure shows only when the data is flushed.
        FileSizeCap cap(2048);
        QVERIFY(cap.active);
        // The file that does not fit fails; the small one after it is still written.
        const ReceivedFiles::SaveResult result =
            ReceivedFiles::save(folder.path(), {{"data.bin", QByteArray(5000, 'n')}, {"small.bin", "small"}});
        QCOMPARE(skipped(result), (QList<QStringList>{{}, {}, {"data.bin"}}));
    }
    QCOMPARE(readAll(folder.filePath("data.bin")), old);
    QCOMPARE(readAll(folder.filePath("small.bin")), QByteArray("small"));
    QCOMPARE(entriesOf(folder.path()), QStringList({"data.bin", "small.bin"})); // no partial temporary file
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

    const ReceivedFiles::SaveResult result =
        ReceivedFiles::save(folder, {{"out.lnk", "evil"}, {"in.lnk", "fine"}, {"dangling.lnk", "evil"}});
    // Plain names, refused for the links they name: told apart from bad names.
    QCOMPARE(skipped(result), (QList<QStringList>{{}, {"dangling.lnk", "out.lnk"}, {}}));
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
    const ReceivedFiles::SaveResult result =
        ReceivedFiles::save(gone, {{"a.bin", "a"}, {"../b.bin", "b"}, {"c.bin", ""}});
    // A refused name is not written either, but it is told apart.
    QCOMPARE(skipped(result), (QList<QStringList>{{"../b.bin"}, {}, {"a.bin", "c.bin"}}));
    QCOMPARE(entriesOf(root.path()), QStringList());

    QCOMPARE(skipped(ReceivedFiles::save(root.path(), {{"a.bin", "a"}})), QList<QStringList>({{}, {}, {}}));
    QCOMPARE(readAll(root.filePath("a.bin")), QByteArray("a"));
}

void TestReceivedFiles::messagesQuoteEveryName_data()
{
    const QStringList names{"", "../x", "a b"};
    const QString quoted = QStringLiteral("\n«»\n«../x»\n«a b»");
    const QString badName = QStringLiteral("Следующие файлы не сохранены: недопустимое имя файла:");
    const QString linkOut = QStringLiteral("Следующие файлы не сохранены: в папке под этим именем лежит "
                                           "символическая ссылка, ведущая за её пределы:");
    const QString failed = QStringLiteral("Следующие файлы не сохранены: не удалось записать файл:");
    QTest::addColumn<ReceivedFiles::SaveResult>("result");
    QTest::addColumn<QString>("message");
    QTest::newRow("all written") << ReceivedFiles::SaveResult{} << QString();
    QTest::newRow("bad names") << ReceivedFiles::SaveResult{names, {}, {}} << badName + quoted;
    QTest::newRow("links out") << ReceivedFiles::SaveResult{{}, names, {}} << linkOut + quoted;
    QTest::newRow("not written") << ReceivedFiles::SaveResult{{}, {}, names} << failed + quoted;
    QTest::newRow("every reason, a paragraph each")
        << ReceivedFiles::SaveResult{{"../x"}, {"out.lnk"}, {"full.bin"}}
        << badName + QStringLiteral("\n«../x»\n") + linkOut + QStringLiteral("\n«out.lnk»\n") + failed +
               QStringLiteral("\n«full.bin»");
}

void TestReceivedFiles::messagesQuoteEveryName()
{
    QFETCH(ReceivedFiles::SaveResult, result);
    QFETCH(QString, message);
    QCOMPARE(ReceivedFiles::messageText(result), message);
}

QTEST_GUILESS_MAIN(TestReceivedFiles)
#include "tst_receivedfiles.moc"
