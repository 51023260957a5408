// The client's command line: what each command takes, and what is refused before anything
// connects.
#include "options.h"

#include <QTemporaryDir>
#include <QTest>

using fsclient::ClientOptions;
using fsclient::Command;
using fsclient::ParseResult;

Q_DECLARE_METATYPE(ParseResult)
Q_DECLARE_METATYPE(Command)

class TestFsClientOptions : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void boardIsChosenForTheRun();
    void severalBoards_data();
    void severalBoards();
};

void TestFsClientOptions::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<ParseResult>("result");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QStringList>("operands");
    const QStringList none;
    const auto run = ParseResult::Run;
    const auto usage = ParseResult::UsageError;

    QTest::newRow("ls") << QStringList{"ls"} << run << Command::List << none;
    QTest::newRow("ls --json") << QStringList{"--json", "ls"} << run << Command::List << none;
    QTest::newRow("df --json") << QStringList{"df", "--json"} << run << Command::Totals << none;
    QTest::newRow("put") << QStringList{"put", "a", "b c"} << run << Command::Put << QStringList{"a", "b c"};
    QTest::newRow("put a dashed name")
        << QStringList{"put", "--", "-x"} << run << Command::Put << QStringList{"-x"};
    QTest::newRow("get -o") << QStringList{"get", "a", "-o", "dir"} << run << Command::Get
                            << QStringList{"a"};
    QTest::newRow("rm") << QStringList{"rm", "a", "a"} << run << Command::Remove << QStringList{"a", "a"};
    QTest::newRow("longest board name")
        << QStringList{"rm", QString(51, 'n')} << run << Command::Remove << QStringList{QString(51, 'n')};
    QTest::newRow("put -v") << QStringList{"put", "-v", "a"} << run << Command::Put << QStringList{"a"};
    QTest::newRow("rm --verbose") << QStringList{"--verbose", "rm", "a"} << run << Command::Remove
                                  << QStringList{"a"};
    QTest::newRow("sync") << QStringList{"sync", "--delete", "--dry-run", "-v", "--json", "cfg"} << run
                          << Command::Sync << QStringList{"cfg"};
    QTest::newRow("sync --checksum --no-state") << QStringList{"sync", "--checksum", "--no-state", "cfg"}
                                                << run << Command::Sync << QStringList{"cfg"};
    QTest::newRow("help") << QStringList{"ls", "--help"} << ParseResult::Help << Command::List << none;
    QTest::newRow("version") << QStringList{"--version"} << ParseResult::Version << Command::List << none;

    QTest::newRow("nothing") << none << usage << Command::List << none;
    QTest::newRow("unknown command") << QStringList{"cp"} << usage << Command::List << none;
    QTest::newRow("unknown option") << QStringList{"--quiet", "ls"} << usage << Command::List << none;
    QTest::newRow("-v with df") << QStringList{"df", "-v"} << usage << Command::List << none;
    QTest::newRow("ls with a name") << QStringList{"ls", "a"} << usage << Command::List << none;
    QTest::newRow("put nothing") << QStringList{"put"} << usage << Command::List << none;
    QTest::newRow("get nothing") << QStringList{"get", "-o", "dir"} << usage << Command::List << none;
    QTest::newRow("rm nothing") << QStringList{"rm"} << usage << Command::List << none;
    QTest::newRow("--json with put") << QStringList{"put", "a", "--json"} << usage << Command::List << none;
    QTest::newRow("-o with ls") << QStringList{"ls", "-o", "dir"} << usage << Command::List << none;
    QTest::newRow("name too long") << QStringList{"get", QString(52, 'n')} << usage << Command::List << none;
    QTest::newRow("name outside Latin-1")
        << QStringList{"rm", QStringLiteral("отчёт")} << usage << Command::List << none;
    QStringList tooMany{"put"};
    for (int i = 0; i <= 256; ++i)
        tooMany << QString::number(i);
    QTest::newRow("more files than one drop") << tooMany << usage << Command::List << none;
    QTest::newRow("host name") << QStringList{"--host", "localhost", "ls"} << usage << Command::List << none;
    QTest::newRow("ipv6") << QStringList{"--host", "::1", "ls"} << usage << Command::List << none;
    QTest::newRow("port 0") << QStringList{"--port", "0", "ls"} << usage << Command::List << none;
    QTest::newRow("port too big") << QStringList{"--port", "65536", "ls"} << usage << Command::List << none;
    QTest::newRow("sync without a folder") << QStringList{"sync", "-v"} << usage << Command::List << none;
    QTest::newRow("sync two folders") << QStringList{"sync", "a", "b"} << usage << Command::List << none;
    QTest::newRow("--delete with rm") << QStringList{"rm", "a", "--delete"} << usage << Command::List << none;
    QTest::newRow("--dry-run with put")
        << QStringList{"put", "a", "--dry-run"} << usage << Command::List << none;
    QTest::newRow("--checksum with get")
        << QStringList{"get", "a", "--checksum"} << usage << Command::List << none;
    QTest::newRow("--no-state with ls") << QStringList{"ls", "--no-state"} << usage << Command::List << none;
    QTest::newRow("port not a number") << QStringList{"--port", "x", "ls"} << usage << Command::List << none;
    QTest::newRow("retries") << QStringList{"--retries", "100", "--retry-delay", "0.25", "ls"} << run
                             << Command::List << none;
    QTest::newRow("retries negative")
        << QStringList{"--retries", "-1", "ls"} << usage << Command::List << none;
    QTest::newRow("retries too many")
        << QStringList{"--retries", "101", "ls"} << usage << Command::List << none;
    QTest::newRow("retry delay a comma")
        << QStringList{"--retry-delay", "0,5", "ls"} << usage << Command::List << none;
    QTest::newRow("retry delay negative")
        << QStringList{"--retry-delay", "-1", "ls"} << usage << Command::List << none;
    QTest::newRow("retry delay not a number")
        << QStringList{"--retry-delay", "nan", "ls"} << usage << Command::List << none;
}

void TestFsClientOptions::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(ParseResult, result);
    QFETCH(Command, command);
    QFETCH(QStringList, operands);
    ClientOptions options;
    QString error;
    QCOMPARE(fsclient::parseOptions(arguments, &options, &error), result);
    QCOMPARE(error.isEmpty(), result != ParseResult::UsageError);
    if (result == ParseResult::Run) {
        QCOMPARE(options.command, command);
        QCOMPARE(options.arguments, operands);
        QCOMPARE(options.json, arguments.contains("--json"));
        QCOMPARE(options.verbose, arguments.contains("-v") || arguments.contains("--verbose"));
        QCOMPARE(options.outputFolder, arguments.contains("-o") ? QStringLiteral("dir") : QString());
        QCOMPARE(options.checksum, arguments.contains("--checksum"));
        QCOMPARE(options.noState, arguments.contains("--no-state"));
        QVERIFY(!options.hostGiven && !options.portGiven);
        QCOMPARE(options.retries, arguments.contains("--retries") ? 100 : 0);
        QCOMPARE(options.retryDelay, arguments.contains("--retry-delay") ? 0.25 : 2.0);
    }
}

void TestFsClientOptions::boardIsChosenForTheRun()
{
    ClientOptions options;
    QString error;
    QCOMPARE(fsclient::parseOptions({"--host", "127.000.000.010", "--port", "65535", "df"}, &options, &error),
             ParseResult::Run);
    QVERIFY(options.hostGiven && options.portGiven);
    QCOMPARE(options.host, QHostAddress(QStringLiteral("127.0.0.10")));
    QCOMPARE(options.port, quint16(65535));
}

void TestFsClientOptions::severalBoards_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("file");    // the --boards file, boards.txt
    QTest::addColumn<QStringList>("boards"); // empty: a usage error
    QTest::addColumn<int>("jobs");
    const QByteArray noFile;

    QTest::newRow("--board twice, a port or the default")
        << QStringList{"--board", "127.0.0.1:7", "--board", "127.0.0.2"} << noFile
        << QStringList{"127.0.0.1:7", "127.0.0.2:2502"} << 16;
    QTest::newRow("--boards: comments, blank lines, one board named twice")
        << QStringList{"--boards", "boards.txt", "--board", "127.0.0.3:9", "--jobs", "2"}
        << QByteArray("# line\n\n  127.0.0.3:9 # again\r\n127.0.0.4\n")
        << QStringList{"127.0.0.3:9", "127.0.0.4:2502"} << 2;
    QTest::newRow("not an address") << QStringList{"--board", "board7"} << noFile << QStringList() << 0;
    QTest::newRow("port 0") << QStringList{"--board", "127.0.0.1:0"} << noFile << QStringList() << 0;
    QTest::newRow("bad line in the file")
        << QStringList{"--boards", "boards.txt"} << QByteArray("127.0.0.1\n1.2.3\n") << QStringList() << 0;
    QTest::newRow("empty file") << QStringList{"--boards", "boards.txt"} << QByteArray("# none\n")
                                << QStringList() << 0;
    QTest::newRow("no file") << QStringList{"--boards", "nothere.txt"} << noFile << QStringList() << 0;
    QTest::newRow("with --host") << QStringList{"--board", "127.0.0.1", "--host", "127.0.0.2"} << noFile
                                 << QStringList() << 0;
    QTest::newRow("--jobs alone") << QStringList{"--jobs", "2"} << noFile << QStringList() << 0;
    QTest::newRow("--jobs 0") << QStringList{"--board", "127.0.0.1", "--jobs", "0"} << noFile << QStringList()
                              << 0;
}

void TestFsClientOptions::severalBoards()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, boards);
    QFETCH(int, jobs);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QStringList args = arguments << QStringLiteral("ls");
    for (QString &argument : args) {
        if (argument.endsWith(QLatin1String(".txt")))
            argument = folder.filePath(argument);
    }
    if (!file.isNull()) {
        QFile boardsFile(folder.filePath(QStringLiteral("boards.txt")));
        QVERIFY(boardsFile.open(QIODevice::WriteOnly) && boardsFile.write(file) == file.size());
    }
    ClientOptions options;
    QString error;
    const ParseResult result = fsclient::parseOptions(args, &options, &error);
    if (boards.isEmpty()) {
        QCOMPARE(result, ParseResult::UsageError);
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(result, ParseResult::Run);
    QStringList parsed;
    for (const fsclient::BoardAddress &board : qAsConst(options.boards))
        parsed << board.text();
    QCOMPARE(parsed, boards);
    QCOMPARE(options.jobs, jobs);
}

QTEST_APPLESS_MAIN(TestFsClientOptions)
#include "tst_fsclient_options.moc"
