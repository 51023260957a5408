// The link against a misbehaving board: the simulator process on 127.0.0.1 with its fault
// options. Every row runs one command into one fault and checks what the link reports, in order,
// that nothing was left half-written, and that a new connection works again.
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "linkrecorder.h"
#include "receivedfiles.h"
#include "tempcwd.h"
#include "testfiles.h"

#include <QtTest>
#include <memory>

namespace {

enum Action
{
    Connect,  // the opening list is the command under test
    Upload,   // up.bin, 20000 bytes
    Delete,   // x.bin
    Download, // x.bin
    Idle,     // the keep-alive poll is the command under test
    KillSimulator,
};

enum Outcome
{
    TimedOut, // no usable reply: offline with "Ошибка подключения" once the command's limit is over
    Dropped, // the board went away: offline at once with the socket's text
    Ended,   // the command ended with a result; the link stays connected
};

const QString kConnectionError = QStringLiteral("Ошибка подключения");
const QString kNetwork = QStringLiteral("Ошибка сети!");
const QString kNoMemory = QStringLiteral("Не хватает памяти на контроллере!");
const QString kMissing = QStringLiteral("Файл не существует!");

constexpr int kFileSize = 20000;
// Limits shrink to a tenth while the faulty command runs, so that a row waits at most 5 s.
constexpr double kTimedScale = 0.1;
// What a timer event may come late on a busy machine, under the sanitizers too.
constexpr qint64 kMarginMs = 1500;
constexpr int kWaitMs = 30000;

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + (i >> 8)) & 0xFF);
    return bytes;
}

// What the simulator serves for a file it created itself: byte i is (7 i + name length) mod 251.
QByteArray demoContent(const QByteArray &name, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((7 * (i % 251) + name.size()) % 251);
    return bytes;
}

// True once the link went offline and then ended a request.
bool endedOffline(const LinkRecorder &rec)
{
    const QStringList outcomes = rec.outcomes();
    const int offline = outcomes.indexOf(QStringLiteral("state 0"));
    for (int i = qMax(offline, 0); offline >= 0 && i < outcomes.size(); ++i) {
        if (outcomes.at(i).startsWith(QLatin1String("result ")))
            return true;
    }
    return false;
}

} // namespace

class TestLinkFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultEndsItsCommand_data();
    void faultEndsItsCommand();
};

void TestLinkFaults::faultEndsItsCommand_data()
{
    QTest::addColumn<QStringList>("options"); // of the simulator, beside its file x.bin
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("command");           // the one the result names
    QTest::addColumn<int>("limitMs");           // the command's time limit at the normal pace
    QTest::addColumn<int>("leadMs");            // from the action to the request, at the normal pace
    QTest::addColumn<QStringList>("endedWith"); // Ended: what the link reports, in order
    QTest::addColumn<bool>("saved");            // the downloaded file is in the chosen folder

    const auto timedOut = [](const char *name, const QStringList &options, Action action, PcbCommand command,
                             int limitMs, int leadMs) {
        QTest::newRow(name) << options << int(action) << int(TimedOut) << int(command) << limitMs << leadMs
                            << QStringList() << false;
    };
    timedOut("no answer: list", {"--ignore", "list"}, Connect, CmdListFiles, 10000, 100);
    timedOut("no answer: write", {"--ignore", "write"}, Upload, CmdWriteFile, 15000, 100);
    timedOut("no answer: delete", {"--ignore", "delete"}, Delete, CmdDeleteFile, 5000, 100);
    timedOut("no answer: keep-alive", {"--ignore", "keepalive"}, Idle, CmdKeepAlive, 5000, 3100);
    timedOut("no answer: get", {"--ignore", "get"}, Download, CmdGetFile, 50000, 100);
    timedOut("malformed frame", {"--malformed", "delete"}, Delete, CmdDeleteFile, 5000, 100);

    QTest::newRow("dropped in an upload")
        << QStringList{"--drop-after", "5000"} << int(Upload) << int(Dropped) << int(CmdWriteFile) << 15000
        << 0 << QStringList() << false;
    QTest::newRow("dropped in a download")
        << QStringList{"--drop-after", "5000"} << int(Download) << int(Dropped) << int(CmdGetFile) << 50000
        << 0 << QStringList() << false;
    // Killed while idle: no command is running, so the result names none.
    QTest::newRow("simulator killed and restarted")
        << QStringList() << int(KillSimulator) << int(Dropped) << 0 << 5000 << 0 << QStringList() << false;

    struct Status
    {
        const char *command;
        Action action;
        PcbCommand code;
        const char *window;
    };
    const Status statuses[] = {{"write", Upload, CmdWriteFile, "sent "},
                               {"delete", Delete, CmdDeleteFile, "deleted "},
                               {"get", Download, CmdGetFile, "received "}};
    for (const Status &s : statuses) {
        const PcbResult second = s.code == CmdWriteFile ? ResultNoMemory : ResultNoSuchFile;
        const QString secondText = s.code == CmdWriteFile ? kNoMemory : kMissing;
        const QString window = QLatin1String(s.window);
        const auto result = [&](PcbResult code, const QString &text) {
            return QStringLiteral("result %1 %2 %3").arg(int(s.code)).arg(int(code)).arg(text);
        };
        const QList<QPair<int, QStringList>> rows = {
            {0, {window + QStringLiteral("Ok"), result(ResultOk, QStringLiteral("Ok"))}},
            {1, {window + kNetwork, result(ResultNetworkError, kNetwork)}},
            {2, {window + secondText, result(second, secondText)}},
            // A status the link does not know tells the window nothing, yet ends the request.
            {7, {result(ResultNetworkError, kNetwork)}},
        };
        for (const auto &row : rows) {
            const QString option = QStringLiteral("%1=%2").arg(QLatin1String(s.command)).arg(row.first);
            QTest::newRow(qPrintable(QStringLiteral("status ") + option))
                << QStringList{"--status", option} << int(s.action) << int(Ended) << int(s.code) << 0 << 0
                << row.second << (s.code == CmdGetFile && row.first == 0);
        }
    }
}

void TestLinkFaults::faultEndsItsCommand()
{
    QFETCH(QStringList, options);
    QFETCH(int, action);
    QFETCH(int, outcome);
    QFETCH(int, command);
    QFETCH(int, limitMs);
    QFETCH(int, leadMs);
    QFETCH(QStringList, endedWith);
    QFETCH(bool, saved);

    TempCwd cwd;
    QVERIFY(cwd.isValid());
    const QString saveFolder = cwd.filePath(QStringLiteral("saved"));
    QVERIFY(QDir().mkpath(saveFolder));
    const QStringList simArguments =
        QStringList{"--file", QStringLiteral("x.bin=%1").arg(kFileSize)} + options;
    auto sim = std::make_unique<BoardSimProcess>(simArguments);
    QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));

    FsManager link;
    LinkRecorder rec(link);
    // A download that ends well is saved as the window saves it.
    QObject::connect(&link, &FsManager::filesRecievingIsFinished, &link,
                     [&saveFolder](const QMap<QString, QByteArray> &files, const QString &text) {
                         if (text == QLatin1String("Ok"))
                             ReceivedFiles::save(saveFolder, files);
                     });
    link.setPcbIp(sim->host());
    link.setPcbPort(sim->port());
    // Polls every 30 s: the kill finds the link idle after its opening list, with no poll under way.
    if (action == KillSimulator)
        link.setTimeScale(10);
    QStringList expected{QStringLiteral("state 1")};
    qint64 actionNs = rec.elapsedNs(); // limits are counted from here
    link.connectToPcb();
    if (action != Connect) {
        QTRY_COMPARE_WITH_TIMEOUT(rec.tables.size(), 1, kWaitMs);
        expected << QStringLiteral("result 1 0 Ok");
        QTRY_COMPARE(rec.outcomes(), expected);
        actionNs = rec.elapsedNs();
    }
    // The connect deadline already running keeps its end; what starts from here is scaled.
    if (outcome == TimedOut)
        link.setTimeScale(kTimedScale);

    switch (action) {
    case Upload: {
        const QString path = cwd.filePath(QStringLiteral("up.bin"));
        QVERIFY(writeFile(path, pattern(kFileSize)));
        link.writeFiles({path});
        break;
    }
    case Delete:
        link.deleteFiles({QStringLiteral("x.bin")});
        break;
    case Download:
        link.getFiles({{QStringLiteral("x.bin"), uint(kFileSize)}});
        break;
    case KillSimulator:
        sim->kill();
        break;
    case Connect:
    case Idle:
        break;
    }

    if (outcome == Ended) {
        // A success goes on with a list of its own; what follows the result is not this row's.
        expected << endedWith;
        QTRY_VERIFY_WITH_TIMEOUT(rec.outcomes().size() >= expected.size(), kWaitMs);
        QCOMPARE(rec.outcomes().mid(0, expected.size()), expected);
        QVERIFY(link.isConnected());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(endedOffline(rec), kWaitMs);
        QCOMPARE(rec.errors.size(), 1);
        const QString text = outcome == TimedOut ? kConnectionError : rec.errors.first();
        // State 0 once, then the message, then the result that names the command it ended.
        expected << QStringLiteral("state 0") << QStringLiteral("error ") + text
                 << QStringLiteral("result %1 %2 %3").arg(command).arg(int(ResultConnectionLost)).arg(text);
        QCOMPARE(rec.outcomes(), expected);
        QVERIFY(!link.isConnected());
        const qint64 offlineAtMs = (rec.firstNs(QStringLiteral("state 0")) - actionNs) / 1000000;
        if (outcome == TimedOut) {
            // Never before the command's own limit, and not long after it (coarse timers may
            // fire a little early).
            QVERIFY2(offlineAtMs >= qint64(limitMs * kTimedScale * 0.9),
                     qPrintable(QString::number(offlineAtMs)));
            QVERIFY2(offlineAtMs <= qint64((limitMs + leadMs) * kTimedScale) + kMarginMs,
                     qPrintable(QString::number(offlineAtMs)));
        } else {
            // The socket's own text, at once rather than at the command's limit.
            QVERIFY(!text.isEmpty() && text != kConnectionError);
            QVERIFY2(offlineAtMs < limitMs, qPrintable(QString::number(offlineAtMs)));
        }
    }

    // Nothing half-written: the chosen folder holds a download only when it came whole.
    if (saved) {
        QCOMPARE(entriesOf(saveFolder), QStringList{QStringLiteral("x.bin")});
        QCOMPARE(readAll(saveFolder + QStringLiteral("/x.bin")), demoContent("x.bin", kFileSize));
    } else {
        QCOMPARE(entriesOf(saveFolder), QStringList());
    }
    if (outcome == Ended || action == Connect)
        return;

    // A new connection lists again, on a clean link.
    if (action == KillSimulator) {
        sim = std::make_unique<BoardSimProcess>(simArguments);
        QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        link.setPcbPort(sim->port());
    }
    link.setTimeScale(1.0);
    const int lists = rec.tables.size();
    link.connectToPcb();
    QTRY_VERIFY_WITH_TIMEOUT(rec.tables.size() > lists, kWaitMs);
    QCOMPARE(rec.outcomes().mid(expected.size()),
             (QStringList{QStringLiteral("state 1"), QStringLiteral("result 1 0 Ok")}));
    // The board kept no part of an upload cut short.
    if (outcome == Dropped && action == Upload)
        QVERIFY(!rec.lastListed(QStringLiteral("up.bin")));
}

QTEST_GUILESS_MAIN(TestLinkFaults)
#include "tst_link_faults.moc"
