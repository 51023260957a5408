// velmora-fs run as a user's script runs it: a separate process against the board simulator on
// 127.0.0.1, judged by its exit status, stdout, stderr and the files it leaves.
#include "boardsimprocess.h"
#include "loopback.h"
#include "testfiles.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Generous: the suite also runs under the sanitizers on a shared machine.
constexpr int kWaitMs = 60000;
// The link gives up connecting after this long.
constexpr int kConnectLimitMs = 5000;

const QByteArray kLoopbackSettings("[General]\nIP_ADDRESS=127.0.0.1\n");
const QString kMissing = QStringLiteral("Файл не существует!");
const QString kNoMemory = QStringLiteral("Не хватает памяти на контроллере!");

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    qint64 elapsedMs = 0;
};

// Runs velmora-fs in Folder. Unless told otherwise, Folder holds a settings file that names
// 127.0.0.1, so that even a run that ignored --host could reach nothing but this machine.
Run runClient(const QString &folder, const QStringList &arguments)
{
    if (!QFile::exists(folder + QStringLiteral("/pcbSettings.ini")))
        writeFile(folder + QStringLiteral("/pcbSettings.ini"), kLoopbackSettings);
    Run run;
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    process.start(QString::fromLocal8Bit(qgetenv("VELMORA_FS")), arguments);
    if (!process.waitForStarted(kWaitMs))
        return run;
    clock.start();
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QStringList board(const BoardSimProcess &sim)
{
    return {QStringLiteral("--host"), sim.host().toString(), QStringLiteral("--port"),
            QString::number(sim.port())};
}

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed) & 0xFF);
    return bytes;
}

// What the board hands back: the content padded with zero bytes to a multiple of 4.
QByteArray padded(const QByteArray &content)
{
    return content + QByteArray((4 - content.size() % 4) % 4, '\0');
}

QJsonObject listing(const QString &folder, const BoardSimProcess &sim)
{
    const Run run = runClient(folder, board(sim) << QStringLiteral("ls") << QStringLiteral("--json"));
    return run.exitCode == 0 ? QJsonDocument::fromJson(run.out).object() : QJsonObject();
}

QStringList names(const QJsonObject &listing)
{
    QStringList result;
    for (const QJsonValue &file : listing.value(QStringLiteral("files")).toArray())
        result << file.toObject().value(QStringLiteral("name")).toString();
    return result;
}

#define START_SIM(sim, ...)                                                                                  \
    BoardSimProcess sim(QStringList{__VA_ARGS__});                                                           \
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()))

#define EXPECT_EXIT(run, code)                                                                               \
    QVERIFY2((run).exitCode == (code),                                                                       \
             qPrintable(QStringLiteral("exit %1, stderr: %2").arg((run).exitCode).arg((run).err)))

} // namespace

class TestFsClient : public QObject
{
    Q_OBJECT

private slots:
    void listsTheTableInEveryForm_data();
    void listsTheTableInEveryForm();
    void putGetRmRoundTrip();
    void failuresExitOne_data();
    void failuresExitOne();
    void refusedConnectionWithinTheConnectLimit();
    void hostileNameStaysInsideTheFolder();
    void settingsFileIsLeftAsItWas_data();
    void settingsFileIsLeftAsItWas();
    void usageErrorsExitTwo();
};

void TestFsClient::listsTheTableInEveryForm_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("small") << QString();
    QTest::newRow("big") << QStringLiteral("--big");
    // The small table asks for the big form: the client shows the table read again in it.
    QTest::newRow("asked for big") << QStringLiteral("--ask-big");
}

void TestFsClient::listsTheTableInEveryForm()
{
    QFETCH(QString, form);
    QTemporaryDir folder;
    // Beyond 16 bits only where the board's table can carry it.
    const qint64 bSize = form.isEmpty() ? 7000 : 70000;
    QStringList args{QStringLiteral("--memory"), QStringLiteral("500000"),
                     QStringLiteral("--file"),   QStringLiteral("b.vmc=%1").arg(bSize),
                     QStringLiteral("--file"),   QStringLiteral("a.bin=100"),
                     QStringLiteral("--file"),   QStringLiteral("café.txt=12")};
    if (!form.isEmpty())
        args << form;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    BoardSimProcess sim(args);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));

    const QJsonObject table = listing(folder.path(), sim);
    QCOMPARE(names(table),
             (QStringList{QStringLiteral("a.bin"), QStringLiteral("b.vmc"), QStringLiteral("café.txt")}));
    const QJsonArray files = table.value(QStringLiteral("files")).toArray();
    const QList<qint64> sizes{100, bSize, 12};
    for (int i = 0; i < files.size(); ++i) {
        const QJsonObject file = files.at(i).toObject();
        QCOMPARE(file.value(QStringLiteral("size")).toVariant().toLongLong(), sizes.at(i));
        QVERIFY(file.value(QStringLiteral("address")).isDouble());
        QVERIFY(file.value(QStringLiteral("block")).isDouble());
        const QDateTime date =
            QDateTime::fromString(file.value(QStringLiteral("date")).toString(), Qt::ISODate);
        QVERIFY2(date.isValid() && date.toSecsSinceEpoch() >= before - 1 &&
                     date.toSecsSinceEpoch() <= QDateTime::currentSecsSinceEpoch(),
                 qPrintable(file.value(QStringLiteral("date")).toString()));
    }
    const qint64 used = sizes.at(0) + sizes.at(1) + sizes.at(2);
    QCOMPARE(table.value(QStringLiteral("count")).toInt(), 3);
    QCOMPARE(table.value(QStringLiteral("total")).toVariant().toLongLong(), qint64(500000));
    QCOMPARE(table.value(QStringLiteral("used")).toVariant().toLongLong(), used);
    QCOMPARE(table.value(QStringLiteral("free")).toVariant().toLongLong(), 500000 - used);

    // df: the same totals alone.
    Run run = runClient(folder.path(), board(sim) << QStringLiteral("df") << QStringLiteral("--json"));
    EXPECT_EXIT(run, 0);
    QJsonObject totals = table;
    totals.remove(QStringLiteral("files"));
    QCOMPARE(QJsonDocument::fromJson(run.out).object(), totals);

    // The text: a row per file with the window's size text, then the window's status texts.
    run = runClient(folder.path(), board(sim) << QStringLiteral("ls"));
    EXPECT_EXIT(run, 0);
    QVERIFY(run.err.isEmpty());
    const QStringList lines = QString::fromLocal8Bit(run.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 10); // header, three files, blank, four totals, end of the last line
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("a.bin ")) &&
                 lines.at(1).contains(QStringLiteral(" 100 Байт ")),
             qPrintable(lines.at(1)));
    QVERIFY(lines.at(3).startsWith(QStringLiteral("café.txt ")));
    const QStringList totalLines{QStringLiteral("Количество файлов:  3"),
                                 QStringLiteral("Общий объем памяти:  500000 Байт"),
                                 QStringLiteral("Занято:  %1 Байт").arg(used),
                                 QStringLiteral("Свободно:  %1 Байт").arg(500000 - used)};
    QCOMPARE(lines.mid(5, 4), totalLines);
    run = runClient(folder.path(), board(sim) << QStringLiteral("df"));
    EXPECT_EXIT(run, 0);
    QCOMPARE(QString::fromLocal8Bit(run.out), totalLines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestFsClient::putGetRmRoundTrip()
{
    QTemporaryDir folder;
    START_SIM(sim, "--big", "--file", "keep.bin=10");
    const QByteArray five("abcde");
    const QByteArray large = pattern(300000, 1);
    QVERIFY(writeFile(folder.filePath(QStringLiteral("five.txt")), five));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("large.bin")), large));

    Run run = runClient(folder.path(), board(sim) << QStringLiteral("put") << QStringLiteral("five.txt")
                                                  << folder.filePath(QStringLiteral("large.bin")));
    EXPECT_EXIT(run, 0);
    // Nothing on stdout; no progress on stderr, which is not a terminal here.
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.isEmpty());
    QCOMPARE(
        names(listing(folder.path(), sim)),
        (QStringList{QStringLiteral("five.txt"), QStringLiteral("keep.bin"), QStringLiteral("large.bin")}));

    // Into the current folder by default, then into another one.
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("out")));
    run = runClient(folder.path(), board(sim) << QStringLiteral("get") << QStringLiteral("five.txt"));
    EXPECT_EXIT(run, 0);
    QCOMPARE(readAll(folder.filePath(QStringLiteral("five.txt"))), padded(five));
    run = runClient(folder.path(), board(sim) << QStringLiteral("get") << QStringLiteral("large.bin")
                                              << QStringLiteral("five.txt") << QStringLiteral("-o")
                                              << QStringLiteral("out"));
    EXPECT_EXIT(run, 0);
    QVERIFY(run.out.isEmpty() && run.err.isEmpty());
    QCOMPARE(entriesOf(folder.filePath(QStringLiteral("out"))),
             (QStringList{QStringLiteral("five.txt"), QStringLiteral("large.bin")}));
    QVERIFY(readAll(folder.filePath(QStringLiteral("out/large.bin"))) == padded(large));

    run = runClient(folder.path(), board(sim) << QStringLiteral("rm") << QStringLiteral("five.txt")
                                              << QStringLiteral("large.bin"));
    EXPECT_EXIT(run, 0);
    QVERIFY(run.out.isEmpty() && run.err.isEmpty());
    QCOMPARE(names(listing(folder.path(), sim)), QStringList{QStringLiteral("keep.bin")});
}

void TestFsClient::failuresExitOne_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("message"); // empty: the socket's own text, whatever it is
    QTest::addColumn<QString>("notSent"); // a request the board must never see

    const QStringList two{QStringLiteral("--file"), QStringLiteral("here.bin=64")};
    QTest::newRow("get a missing file")
        << two << QStringList{QStringLiteral("get"), QStringLiteral("here.bin"), QStringLiteral("zzz.bin")}
        << kMissing << QString();
    QTest::newRow("rm a missing file")
        << two << QStringList{QStringLiteral("rm"), QStringLiteral("zzz.bin")} << kMissing << QString();
    QTest::newRow("memory full") << QStringList{QStringLiteral("--memory"), QStringLiteral("3000")}
                                 << QStringList{QStringLiteral("put"), QStringLiteral("fits.bin"),
                                                QStringLiteral("toomuch.bin")}
                                 << kNoMemory << QString();
    QTest::newRow("put a missing file")
        << QStringList()
        << QStringList{QStringLiteral("put"), QStringLiteral("fits.bin"), QStringLiteral("nothere.bin")}
        << QStringLiteral("Файл: nothere.bin не найден или не является обычным файлом. Передача отменена!")
        << QStringLiteral("recv write");
    QTest::newRow("put a folder")
        << QStringList()
        << QStringList{QStringLiteral("put"), QStringLiteral("fits.bin"), QStringLiteral("out")}
        << QStringLiteral("Файл: out не найден или не является обычным файлом. Передача отменена!")
        << QStringLiteral("recv write");
    QTest::newRow("put a name the board cannot hold")
        << QStringList()
        << QStringList{QStringLiteral("put"), QStringLiteral("fits.bin"), QStringLiteral("отчёт.vmc")}
        << QStringLiteral(
               "Файл: отчёт.vmc не удалось передать: имя файла содержит символы, которые контроллер не "
               "поддерживает. Передача отменена!")
        << QStringLiteral("recv write");
    QTest::newRow("connection lost") << QStringList{QStringLiteral("--drop-after"), QStringLiteral("5000"),
                                                    QStringLiteral("--file"), QStringLiteral("big.bin=20000")}
                                     << QStringList{QStringLiteral("get"), QStringLiteral("big.bin")}
                                     << QString() << QString();
}

void TestFsClient::failuresExitOne()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, command);
    QFETCH(QString, message);
    QFETCH(QString, notSent);
    QTemporaryDir folder;
    BoardSimProcess sim(simulator);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("fits.bin")), pattern(2000, 2)));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("toomuch.bin")), pattern(2000, 3)));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("отчёт.vmc")), "x"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("out")));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("pcbSettings.ini")), kLoopbackSettings));
    const QStringList before = entriesOf(folder.path());

    const Run run = runClient(folder.path(), board(sim) + command);
    EXPECT_EXIT(run, 1);
    QVERIFY(run.out.isEmpty());
    if (message.isEmpty())
        QVERIFY(!run.err.trimmed().isEmpty());
    else
        QCOMPARE(run.err, message + QLatin1Char('\n'));
    // A failed download writes nothing, not even the files that did arrive.
    QCOMPARE(entriesOf(folder.path()), before);
    QCOMPARE(entriesOf(folder.filePath(QStringLiteral("out"))), QStringList());
    if (!notSent.isEmpty())
        QVERIFY2(!sim.log().contains(notSent), qPrintable(sim.log()));
}

void TestFsClient::refusedConnectionWithinTheConnectLimit()
{
    QTemporaryDir folder;
    const quint16 closedPort = closedLoopbackPort();
    QVERIFY(closedPort != 0);
    QTcpSocket reference;
    reference.connectToHost(QHostAddress::LocalHost, closedPort);
    QVERIFY(!reference.waitForConnected(kConnectLimitMs));

    const Run run = runClient(folder.path(),
                              {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--port"), QString::number(closedPort), QStringLiteral("ls")});
    EXPECT_EXIT(run, 1);
    QCOMPARE(run.err, reference.errorString() + QLatin1Char('\n'));
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.elapsedMs < kConnectLimitMs, qPrintable(QString::number(run.elapsedMs)));
}

void TestFsClient::hostileNameStaysInsideTheFolder()
{
    QTemporaryDir root;
    const QString out = root.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    START_SIM(sim, "--hostile-name", "../evil.bin", "--file", "ok.bin=10");
    const Run run =
        runClient(root.path(), board(sim) << QStringLiteral("get") << QStringLiteral("ok.bin")
                                          << QStringLiteral("../evil.bin") << QStringLiteral("-o") << out);
    EXPECT_EXIT(run, 1);
    QCOMPARE(run.err,
             QStringLiteral("Следующие файлы не сохранены: недопустимое имя файла:\n«../evil.bin»\n"));
    // The plain name is written; nothing lands beside the folder.
    QCOMPARE(entriesOf(out), QStringList{QStringLiteral("ok.bin")});
    QCOMPARE(entriesOf(root.path()), (QStringList{QStringLiteral("out"), QStringLiteral("pcbSettings.ini")}));
}

void TestFsClient::settingsFileIsLeftAsItWas_data()
{
    QTest::addColumn<QByteArray>("settings"); // empty: no settings file
    QTest::addColumn<bool>("hostGiven");
    // Were --host ignored, the run would try 127.0.0.9, where the simulator does not listen.
    QTest::newRow("--host over a stored address") << QByteArray("[General]\nIP_ADDRESS=127.0.0.9\n") << true;
    QTest::newRow("--host without a settings file") << QByteArray() << true;
    QTest::newRow("the stored address") << kLoopbackSettings << false;
}

void TestFsClient::settingsFileIsLeftAsItWas()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, hostGiven);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/pcbSettings.ini");
    if (!settings.isEmpty())
        QVERIFY(writeFile(path, settings));
    START_SIM(sim, "--file", "a.bin=4");

    QStringList args{QStringLiteral("--port"), QString::number(sim.port()), QStringLiteral("df")};
    if (hostGiven)
        args = QStringList{QStringLiteral("--host"), QStringLiteral("127.0.0.1")} + args;
    QProcess process; // not runClient: the folder must stay as this case made it
    process.setWorkingDirectory(folder);
    process.start(QString::fromLocal8Bit(qgetenv("VELMORA_FS")), args);
    QVERIFY(process.waitForFinished(kWaitMs));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QVERIFY(process.readAllStandardOutput().startsWith("Количество файлов:  1\n"));
    QCOMPARE(entriesOf(folder),
             settings.isEmpty() ? QStringList() : QStringList{QStringLiteral("pcbSettings.ini")});
    if (!settings.isEmpty())
        QCOMPARE(readAll(path), settings);
}

void TestFsClient::usageErrorsExitTwo()
{
    QTemporaryDir folder;
    // A closed port: a usage error must be told before anything connects.
    Run run =
        runClient(folder.path(), {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("put")});
    EXPECT_EXIT(run, 2);
    QVERIFY(run.err.startsWith(
        QStringLiteral("velmora-fs: put: не указано ни одного файла\nИспользование: velmora-fs")));
    run = runClient(folder.path(), {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                    QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("get"),
                                    QStringLiteral("a"), QStringLiteral("-o"), QStringLiteral("nowhere")});
    EXPECT_EXIT(run, 2);
    QCOMPARE(run.err, QStringLiteral("velmora-fs: -o: не папка: nowhere\n"));
    run = runClient(folder.path(), {QStringLiteral("--help")});
    EXPECT_EXIT(run, 0);
    QVERIFY(run.out.contains("Код выхода: 0 — успех; 1 — отказ платы, соединения или файла;"));
}

QTEST_GUILESS_MAIN(TestFsClient)
#include "test_fsclient.moc"
