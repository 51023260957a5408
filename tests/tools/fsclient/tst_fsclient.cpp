// velmora-fs run as a user's script runs it: a separate process against the board simulator on
// 127.0.0.1, judged by its exit status, stdout, stderr and the files it leaves.
#include "boardsimprocess.h"
#include "clientrun.h"
#include "filesizecap.h"
#include "loopback.h"
#include "testfiles.h"

#include <QDateTime>
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
const QString kLongName(52, QLatin1Char('n'));

using Run = ToolRun;

// Runs velmora-fs in Folder, with a cache folder of this test's own.
Run runClient(const QString &folder, const QStringList &arguments)
{
    static const QTemporaryDir cache;
    return runClient(folder, cache.path(), arguments);
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

} // namespace

class TestFsClient : public QObject
{
    Q_OBJECT

private slots:
    void listsTheTableInEveryForm_data();
    void listsTheTableInEveryForm();
    void putGetRmRoundTrip();
    void batchesSayWhatBecameOfEachFile_data();
    void batchesSayWhatBecameOfEachFile();
    void stoppedBoardIsNamedAndExitsThree();
    void syncMakesTheBoardMatchTheFolder_data();
    void syncMakesTheBoardMatchTheFolder();
    void severalBoardsAtOnceOneStopped();
    void retriesTryAgainWhereNothingChanged_data();
    void retriesTryAgainWhereNothingChanged();
    void hostileNameStaysInsideTheFolder();
    void fullDiskKeepsTheOldFile();
    void settingsFileIsLeftAsItWas_data();
    void settingsFileIsLeftAsItWas();
    void usageVersionAndHelp_data();
    void usageVersionAndHelp();
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
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
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
    QCOMPARE(QString::fromUtf8(run.out), totalLines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
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

// Stderr lines as the client writes them: each one starts with its name.
QString errLines(const QStringList &lines, quint16 port)
{
    QString text;
    for (const QString &line : lines)
        text += QStringLiteral("velmora-fs: ") +
                QString(line).replace(QStringLiteral("PORT"), QString::number(port)) + QLatin1Char('\n');
    return text;
}

void TestFsClient::batchesSayWhatBecameOfEachFile_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("before"); // a command that must succeed first; empty: none
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");            // the -v lines
    QTest::addColumn<QStringList>("err");        // PORT stands for the simulator's port
    QTest::addColumn<QStringList>("boardAfter"); // the board's files afterwards
    QTest::addColumn<QStringList>("saved");      // the files in out/ afterwards
    const QStringList none;
    const QString noRoom =
        QStringLiteral("Файлы не помещаются в свободную память платы, не хватает байт: %1.");
    const QString nothingSent = QStringLiteral("Передача отменена: ничего не передано.");
    const QString lost = QStringLiteral("соединение с 127.0.0.1:PORT потеряно: плата закрыла соединение");

    QTest::newRow("rm a missing b") << QStringList{"--file", "a=4", "--file", "b=4", "--file", "keep=4"}
                                    << none << QStringList{"rm", "-v", "a", "missing", "b"} << 1
                                    << "удалён\ta\nнет на плате\tmissing\nудалён\tb\n"
                                    << QStringList{"«missing»: Файл не существует!"} << QStringList{"keep"}
                                    << none;
    // A name given twice is one file: deleted once, told once.
    QTest::newRow("rm a name twice") << QStringList{"--file", "a=4", "--file", "keep=4"} << none
                                     << QStringList{"rm", "-v", "a", "a"} << 0 << "удалён\ta\n"
                                     << QStringList() << QStringList{"keep"} << none;
    QTest::newRow("get a missing name") << QStringList{"--file", "here.bin=64"} << none
                                        << QStringList{"get", "-v", "zzz.bin", "here.bin", "-o", "out"} << 1
                                        << "нет на плате\tzzz.bin\nполучен\there.bin\n"
                                        << QStringList{"«zzz.bin»: Файл не существует!"}
                                        << QStringList{"here.bin"} << QStringList{"here.bin"};
    QTest::newRow("put more than the free memory")
        << QStringList{"--memory", "3000", "--file", "old.bin=1000"} << none
        << QStringList{"put", "fits.bin", "toomuch.bin"} << 1 << QString()
        << QStringList{noRoom.arg(2000), nothingSent} << QStringList{"old.bin"} << none;
    // 2000 bytes replace 1000, and 5 bytes take 8: one byte short, then none.
    QTest::newRow("put one byte short")
        << QStringList{"--memory", "2007", "--file", "fits.bin=1000"} << none
        << QStringList{"put", "-v", "fits.bin", "small.bin"} << 1
        << "не передан\tfits.bin\nне передан\tsmall.bin\n"
        << QStringList{noRoom.arg(1), nothingSent} << QStringList{"fits.bin"} << none;
    QTest::newRow("put that fits exactly")
        << QStringList{"--memory", "2008", "--file", "fits.bin=1000"} << none
        << QStringList{"put", "-v", "fits.bin", "small.bin"} << 0 << "передан\tfits.bin\nпередан\tsmall.bin\n"
        << QStringList() << QStringList{"fits.bin", "small.bin"} << none;
    QTest::newRow("put names and files the board cannot take")
        << QStringList() << none
        << QStringList{"put", "fits.bin", kLongName, "отчёт.vmc", "nothere.bin", "out"} << 1 << QString()
        << QStringList{"Файл: " + kLongName + " не удалось передать: имя файла длиннее 51 символа.",
                       "Файл: отчёт.vmc не удалось передать: имя файла содержит символы, которые "
                       "контроллер не поддерживает.",
                       "Файл: nothere.bin не найден или не является обычным файлом.",
                       "Файл: out не найден или не является обычным файлом.", nothingSent}
        << none << none;
    QTest::newRow("put beyond the small form")
        << QStringList() << none << QStringList{"put", "small.bin", "huge.bin"} << 1 << QString()
        << QStringList{"Файл: huge.bin не удалось передать: файл больше 65532 байт.", nothingSent} << none
        << none;
    QTest::newRow("put within the big form")
        << QStringList{"--big"} << none << QStringList{"put", "huge.bin"} << 0 << QString() << QStringList()
        << QStringList{"huge.bin"} << none;
    // The free memory is two gaps of 600 and 500 bytes: enough in sum, too little for y.bin.
    QTest::newRow("board memory full mid-batch")
        << QStringList{"--memory", "3500", "--file", "a=1000", "--file", "b=1000", "--file", "c=1000"}
        << QStringList{"rm", "b"} << QStringList{"put", "-v", "x.bin", "y.bin", "small.bin"} << 1
        << "передан\tx.bin\nотказ\ty.bin\nне передан\tsmall.bin\n"
        << QStringList{"«y.bin»: Не хватает памяти на контроллере!",
                       "Остальные файлы не переданы:", "«small.bin»"}
        << QStringList{"a", "c", "x.bin"} << none;
    QTest::newRow("rm refused by the board")
        << QStringList{"--file", "a=4", "--file", "b=4", "--status", "delete=1"} << none
        << QStringList{"rm", "-v", "a", "b"} << 1 << "отказ\ta\nне удалён\tb\n"
        << QStringList{"«a»: Ошибка сети!", "Остальные файлы не удалены:", "«b»"} << QStringList{"a", "b"}
        << none;
    // Files go by name: a arrives and is written, the connection drops during b.
    QTest::newRow("get cut off mid-batch")
        << QStringList{"--drop-after", "5000", "--file", "a=10", "--file", "b=20000", "--file", "c=30"}
        << none << QStringList{"get", "-v", "c", "b", "a", "-o", "out"} << 3
        << "не получен\tc\nпрерван\tb\nполучен\ta\n"
        << QStringList{lost, "«b»: получение прервано", "Остальные файлы не получены:", "«c»"}
        << QStringList{"a", "b", "c"} << QStringList{"a"};
    QTest::newRow("put cut off mid-batch")
        << QStringList{"--drop-after", "5000"} << none
        << QStringList{"put", "-v", "small.bin", "large.bin", "x.bin"} << 3
        << "передан\tsmall.bin\nпрерван\tlarge.bin\nне передан\tx.bin\n"
        << QStringList{lost, "«large.bin»: передача прервана; сохранила ли его плата, неизвестно",
                       "Остальные файлы не переданы:", "«x.bin»"}
        << QStringList{"small.bin"} << none;
    // The board deletes the file but never says so.
    QTest::newRow("no answer") << QStringList{"--file", "a=4", "--ignore", "delete"} << none
                               << QStringList{"rm", "a"} << 3 << QString()
                               << QStringList{"соединение с 127.0.0.1:PORT разорвано: плата не ответила в "
                                              "отведённое время",
                                              "«a»: удаление прервано; удалила ли его плата, неизвестно"}
                               << none << none;
}

void TestFsClient::batchesSayWhatBecameOfEachFile()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, before);
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QStringList, err);
    QFETCH(QStringList, boardAfter);
    QFETCH(QStringList, saved);
    QTemporaryDir folder;
    BoardSimProcess sim(simulator);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    const QList<QPair<QString, int>> files{{"fits.bin", 2000},  {"toomuch.bin", 2000}, {"small.bin", 5},
                                           {"x.bin", 400},      {"y.bin", 1000},       {"large.bin", 9000},
                                           {"huge.bin", 65533}, {"отчёт.vmc", 1},      {kLongName, 1}};
    for (const auto &file : files)
        QVERIFY(writeFile(folder.filePath(file.first), pattern(file.second, file.second)));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("out")));
    if (!before.isEmpty()) {
        const Run run = runClient(folder.path(), board(sim) + before);
        EXPECT_EXIT(run, 0);
    }
    const int logStart = sim.log().size();

    const Run run = runClient(folder.path(), board(sim) + command);
    EXPECT_EXIT(run, exitCode);
    QCOMPARE(QString::fromUtf8(run.out), out);
    QCOMPARE(run.err, errLines(err, sim.port()));
    QCOMPARE(names(listing(folder.path(), sim)), boardAfter);
    QCOMPARE(entriesOf(folder.filePath(QStringLiteral("out"))), saved);
    // A refused batch sends nothing.
    if (out.isEmpty() && exitCode == 1)
        QVERIFY2(!sim.log().mid(logStart).contains(QStringLiteral("recv write")), qPrintable(sim.log()));
}

void TestFsClient::stoppedBoardIsNamedAndExitsThree()
{
    QTemporaryDir folder;
    const quint16 closedPort = closedLoopbackPort();
    QVERIFY(closedPort != 0);
    const Run run = runClient(folder.path(),
                              {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--port"), QString::number(closedPort), QStringLiteral("ls")});
    EXPECT_EXIT(run, 3);
    QCOMPARE(run.err,
             errLines({QStringLiteral("не удалось подключиться к 127.0.0.1:PORT: в соединении отказано")},
                      closedPort));
    QVERIFY(run.out.isEmpty());
    // Refused at once, not at the end of the time limit.
    QVERIFY2(run.elapsedMs < kConnectLimitMs, qPrintable(QString::number(run.elapsedMs)));
}

// The files that Entries describe, each "NAME=CONTENT"; "NAME=#N" is N bytes of a pattern.
QMap<QString, QByteArray> files(const QStringList &entries)
{
    QMap<QString, QByteArray> result;
    for (const QString &entry : entries) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        const QString content = entry.section(QLatin1Char('='), 1);
        result.insert(name, content.startsWith(QLatin1Char('#'))
                                ? pattern(content.mid(1).toInt(), name.size())
                                : content.toUtf8());
    }
    return result;
}

bool fillFolder(const QString &path, const QMap<QString, QByteArray> &contents)
{
    QDir dir(path);
    if (!dir.removeRecursively() || !QDir().mkpath(path))
        return false;
    for (auto file = contents.cbegin(); file != contents.cend(); ++file) {
        if (!writeFile(dir.filePath(file.key()), file.value()))
            return false;
    }
    return true;
}

// Every file of the board with its content, as velmora-fs fetches it.
QMap<QString, QByteArray> boardFiles(const QString &folder, const BoardSimProcess &sim)
{
    const QStringList onBoard = names(listing(folder, sim));
    const QString into = folder + QStringLiteral("/fetched");
    QMap<QString, QByteArray> result;
    if (!fillFolder(into, {}) ||
        (!onBoard.isEmpty() &&
         runClient(folder, board(sim) << QStringLiteral("get") << onBoard << QStringLiteral("-o") << into)
                 .exitCode != 0))
        return {{QStringLiteral("<not fetched>"), QByteArray()}};
    for (const QString &name : onBoard)
        result.insert(name, readAll(into + QLatin1Char('/') + name));
    return result;
}

void TestFsClient::syncMakesTheBoardMatchTheFolder_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("before"); // the folder first synced with --delete; empty: none
    QTest::addColumn<QStringList>("folder"); // the folder then synced
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QStringList>("err");
    QTest::addColumn<int>("writes");        // uploads the simulator logged during that sync
    QTest::addColumn<QStringList>("board"); // the board's files afterwards, as the folder columns
    const QStringList none;
    const QStringList start{"keep=same bytes", "edit=old!", "grow=short", "gone=#3000"};
    const QStringList next{"add=#70000", "edit=new!", "grow=much longer", "keep=same bytes"};
    const QString cancelled = QStringLiteral("Синхронизация отменена: ничего не изменено.");

    QTest::newRow("new, equal, changed and deleted")
        << QStringList{"--big"} << start << next << QStringList{"--delete", "-v"} << 0
        << "+ add\n~ edit\n~ grow\n= keep\tпо записи\n- gone\n"
        << none << 3 << next;
    QTest::newRow("board files kept without --delete")
        << QStringList{"--big"} << start << next << none << 0 << "+ add\n~ edit\n~ grow\n"
        << none << 3 << next + QStringList{"gone=#3000"};
    QTest::newRow("second sync sends nothing")
        << QStringList{"--big"} << start << start << QStringList{"--delete"} << 0 << QString() << none << 0
        << start;
    // The memory is full before and after, and the board places files first fit by address: only
    // deleting first, then shrinking a before growing b, leaves room at every step.
    QTest::newRow("deletions first, then shrinking before growing")
        << QStringList{"--memory", "4000"} << QStringList{"a=#2000", "b=#1000", "gone=#1000"}
        << QStringList{"a=#1000", "b=#2000", "c=#1000"} << QStringList{"--delete"} << 0
        << "~ a\n~ b\n+ c\n- gone\n"
        << none << 3 << QStringList{"a=#1000", "b=#2000", "c=#1000"};
    QTest::newRow("dry run changes nothing")
        << QStringList{"--big"} << start << next << QStringList{"--delete", "--dry-run"} << 0
        << "+ add\n~ edit\n~ grow\n- gone\n"
        << none << 0 << start;
    // The folder takes 70028 bytes as the board stores them, of 7032.
    QTest::newRow("cannot fit changes nothing")
        << QStringList{"--big", "--memory", "7032"} << start << next << QStringList{"--delete"} << 1
        << QString() << QStringList{"Файлы не поместятся в память платы, не хватает байт: 62996.", cancelled}
        << 0 << start;
    QTest::newRow("beyond the small form")
        << none << start << QStringList{"big=#65533"} << none << 1 << QString()
        << QStringList{"Файл: cfg/big не удалось передать: файл больше 65532 байт.", cancelled} << 0 << start;
    QTest::newRow("a name that cannot be sent")
        << none << start << start + QStringList{kLongName + "=x", "пуск.vmc=x"} << none << 1 << QString()
        << QStringList{"Файл: cfg/" + kLongName + " не удалось передать: имя файла длиннее 51 символа.",
                       "Файл: cfg/пуск.vmc не удалось передать: имя файла содержит символы, которые "
                       "контроллер не поддерживает.",
                       cancelled}
        << 0 << start;
}

void TestFsClient::syncMakesTheBoardMatchTheFolder()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, before);
    QFETCH(QStringList, folder);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QStringList, err);
    QFETCH(int, writes);
    QFETCH(QStringList, board);
    QTemporaryDir work;
    BoardSimProcess sim(simulator);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    const QString cfg = work.filePath(QStringLiteral("cfg"));
    const QStringList sync = ::board(sim) << QStringLiteral("sync") << QStringLiteral("cfg");
    QVERIFY(fillFolder(cfg, files(before)));
    Run run = runClient(work.path(), QStringList(sync) << QStringLiteral("--delete"));
    EXPECT_EXIT(run, 0);
    QCOMPARE(boardFiles(work.path(), sim).keys(), files(before).keys());

    QVERIFY(fillFolder(cfg, files(folder)));
    run = runClient(work.path(), sync + options);
    EXPECT_EXIT(run, exitCode);
    QCOMPARE(QString::fromUtf8(run.out), out);
    QCOMPARE(run.err, errLines(err, sim.port()));
    // The log is whole once the clients so far (the first sync, the listing and the fetch of the
    // board's files, this sync unless it refused a name before connecting) have gone.
    const bool connects = !run.err.contains(QStringLiteral("имя файла"));
    QTRY_COMPARE_WITH_TIMEOUT(sim.log().count(QStringLiteral("disconnected")), connects ? 4 : 3, kWaitMs);
    QCOMPARE(sim.log().count(QStringLiteral("recv write")), files(before).size() + writes);
    QMap<QString, QByteArray> expected = files(board);
    for (QByteArray &content : expected)
        content = padded(content);
    QCOMPARE(boardFiles(work.path(), sim), expected);
}

void TestFsClient::severalBoardsAtOnceOneStopped()
{
    QTemporaryDir work;
    START_SIM(first, "--big");
    START_SIM(second, "--big", "--file", "old.bin=8");
    START_SIM(stopped);
    const QString gone = QStringLiteral("127.0.0.1:%1").arg(stopped.port());
    QVERIFY(stopped.stop());
    const QMap<QString, QByteArray> cfg = files({"a.vmc=one", "b.vmc=#70000"});
    QVERIFY(fillFolder(work.filePath(QStringLiteral("cfg")), cfg));
    const QStringList up{QStringLiteral("127.0.0.1:%1").arg(first.port()),
                         QStringLiteral("127.0.0.1:%1").arg(second.port())};
    QVERIFY(writeFile(
        work.filePath(QStringLiteral("boards.txt")),
        QStringLiteral("# line 1\n\n%1\n%2  # the second\n%3\n").arg(up.at(0), up.at(1), gone).toUtf8()));
    const QString summary =
        QStringLiteral("velmora-fs: плат: 3; успешно: 2; с ошибками: 0; недоступны: 1 (%1)\n").arg(gone);

    // One connection at a time: the boards after the stopped one are still synced.
    Run run = runClient(work.path(), {"--board", up.at(0), "--board", gone, "--board", up.at(1), "--jobs",
                                      "1", "sync", "--delete", "cfg"});
    EXPECT_EXIT(run, 3);
    QVERIFY2(run.err.endsWith(summary), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("velmora-fs: %1: не удалось подключиться к %1").arg(gone)),
             qPrintable(run.err));
    QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    QStringList want{up.at(0) + ": + a.vmc", up.at(0) + ": + b.vmc", up.at(1) + ": + a.vmc",
                     up.at(1) + ": + b.vmc", up.at(1) + ": - old.bin"};
    want.sort();
    QCOMPARE(lines, want);
    QMap<QString, QByteArray> expected = cfg;
    for (QByteArray &content : expected)
        content = padded(content);
    QCOMPARE(boardFiles(work.path(), first), expected);
    QCOMPARE(boardFiles(work.path(), second), expected);

    // --json: one document, a member per board; get: a folder per board.
    run = runClient(work.path(), {"--boards", "boards.txt", "--json", "df"});
    EXPECT_EXIT(run, 3);
    const QJsonObject document = QJsonDocument::fromJson(run.out).object();
    want = QStringList{up.at(0), up.at(1), gone};
    want.sort();
    QCOMPARE(document.keys(), want);
    QCOMPARE(document.value(gone).toObject(), (QJsonObject{{"exit", 3}}));
    QCOMPARE(document.value(up.at(1)).toObject().value(QStringLiteral("count")).toInt(), 2);
    QCOMPARE(document.value(up.at(1)).toObject().value(QStringLiteral("exit")).toInt(), 0);
    QVERIFY(QDir(work.path()).mkdir(QStringLiteral("out")));
    run = runClient(work.path(), {"--boards", "boards.txt", "get", "a.vmc", "-o", "out"});
    EXPECT_EXIT(run, 3);
    for (const QString &address : up)
        QCOMPARE(readAll(work.filePath("out/" + QString(address).replace(':', '_') + "/a.vmc")),
                 padded("one"));
    QCOMPARE(entriesOf(work.filePath(QStringLiteral("out"))).size(), 2);
}

void TestFsClient::retriesTryAgainWhereNothingChanged_data()
{
    QTest::addColumn<QStringList>("simulator"); // empty: a stopped board
    QTest::addColumn<QStringList>("command");   // after --retries N --retry-delay 0
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("errTail"); // the last lines of stderr
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<int>("connections"); // as many as the simulator accepted
    const QString unreachable =
        QStringLiteral("не удалось подключиться к 127.0.0.1:PORT: в соединении отказано");
    const QString lost = QStringLiteral("соединение с 127.0.0.1:PORT потеряно: плата закрыла соединение");

    QTest::newRow("unreachable every time")
        << QStringList() << QStringList{"--retries", "2", "ls"} << 3
        << QStringList{unreachable, "попытка 1 из 3: плата недоступна; следующая через 0 с",
                       unreachable, "попытка 2 из 3: плата недоступна; следующая через 0 с",
                       unreachable, "попытка 3 из 3: плата недоступна; попыток больше нет"}
        << QByteArray() << 0;
    QTest::newRow("sync lost once starts over")
        << QStringList{"--close-first", "1"} << QStringList{"--retries", "1", "sync", "cfg"} << 0
        << QStringList{lost, "попытка 1 из 2: соединение потеряно; следующая через 0 с"}
        << QByteArray("+ a.txt\n") << 2;
    QTest::newRow("stdout holds the last try's document alone")
        << QStringList{"--close-first", "1"} << QStringList{"--retries", "1", "sync", "--json", "cfg"} << 0
        << QStringList{lost, "попытка 1 из 2: соединение потеряно; следующая через 0 с"}
        << QByteArray(
               "{\n    \"dryRun\": false,\n    \"files\": [\n        {\n            \"change\": \"new\",\n"
               "            \"done\": true,\n            \"name\": \"a.txt\"\n        }\n    ],\n"
               "    \"matches\": true\n}\n")
        << 2;
    QTest::newRow("put lost after sending is not repeated")
        << QStringList{"--drop-after", "10"} << QStringList{"--retries", "2", "put", "cfg/a.txt"} << 3
        << QStringList{"попытка 1 из 3: соединение потеряно; не повторяется: файлы платы, возможно, уже "
                       "изменены"}
        << QByteArray() << 1;
    QTest::newRow("sync lost after sending starts over")
        << QStringList{"--drop-after", "10"} << QStringList{"--retries", "1", "sync", "cfg"} << 3
        << QStringList{"попытка 2 из 2: соединение потеряно; попыток больше нет"} << QByteArray() << 2;
    QTest::newRow("--json says a try before may have written")
        << QStringList{"--drop-after", "10"} << QStringList{"--retries", "1", "sync", "--json", "cfg"} << 3
        << QStringList{"попытка 2 из 2: соединение потеряно; попыток больше нет"}
        << QByteArray("{\n    \"changedByEarlierTry\": true,\n    \"dryRun\": false,\n    \"files\": [\n"
                      "        {\n            \"change\": \"new\",\n            \"done\": false,\n"
                      "            \"name\": \"a.txt\"\n        }\n    ],\n    \"matches\": false\n}\n")
        << 2;
    QTest::newRow("get changes nothing and is repeated")
        << QStringList{"--file", "d.bin=1000", "--drop-after", "100"}
        << QStringList{"--retries", "1", "get", "d.bin"} << 3
        << QStringList{"попытка 2 из 2: соединение потеряно; попыток больше нет"} << QByteArray() << 2;
    QTest::newRow("no retries: the failure alone") << QStringList{"--close-first", "1"} << QStringList{"ls"}
                                                   << 3 << QStringList{lost} << QByteArray() << 1;
}

void TestFsClient::retriesTryAgainWhereNothingChanged()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QStringList, errTail);
    QFETCH(QByteArray, out);
    QFETCH(int, connections);
    QTemporaryDir work;
    QVERIFY(fillFolder(work.filePath(QStringLiteral("cfg")), files({"a.txt=hi"})));
    START_SIM(sim, simulator);
    if (simulator.isEmpty())
        QVERIFY(sim.stop());
    const Run run = runClient(work.path(), board(sim) << QStringLiteral("--retry-delay")
                                                      << QStringLiteral("0") << command);
    EXPECT_EXIT(run, exitCode);
    const QString tail = errLines(errTail, sim.port());
    QVERIFY2(run.err.endsWith(tail), qPrintable(run.err));
    QCOMPARE(run.out, out);
    // Every connection was answered, so each is in the log by now; it only has to be read.
    QTRY_COMPARE(sim.log().count(QStringLiteral("connected from")), connections);
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
    QCOMPARE(run.err, errLines({QStringLiteral("Следующие файлы не сохранены: недопустимое имя файла:"),
                                QStringLiteral("«../evil.bin»")},
                               sim.port()));
    // The plain name is written; nothing lands beside the folder.
    QCOMPARE(entriesOf(out), QStringList{QStringLiteral("ok.bin")});
    QCOMPARE(entriesOf(root.path()), (QStringList{QStringLiteral("out"), QStringLiteral("pcbSettings.ini")}));
}

void TestFsClient::fullDiskKeepsTheOldFile()
{
#ifdef VELMORA_HAS_FILE_SIZE_CAP
    QTemporaryDir folder;
    START_SIM(sim, "--file", "data.bin=5000", "--file", "small.bin=10");
    const QByteArray old("the previous file");
    QVERIFY(writeFile(folder.filePath(QStringLiteral("data.bin")), old));
    writeFile(folder.filePath(QStringLiteral("pcbSettings.ini")), kLoopbackSettings);
    Run run;
    {
        // The client inherits the limit: no file it writes may grow beyond 2 KiB.
        FileSizeCap cap(2048);
        QVERIFY(cap.active);
        run = runClient(folder.path(), board(sim) << QStringLiteral("get") << QStringLiteral("data.bin")
                                                  << QStringLiteral("small.bin"));
    }
    EXPECT_EXIT(run, 1);
    QCOMPARE(run.err, errLines({QStringLiteral("Следующие файлы не сохранены: не удалось записать файл:"),
                                QStringLiteral("«data.bin»")},
                               sim.port()));
    QCOMPARE(readAll(folder.filePath(QStringLiteral("data.bin"))), old);
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("small.bin")))); // the rest is still written
#else
    QSKIP("needs a per-process file size limit");
#endif
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

void TestFsClient::usageVersionAndHelp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outStart");
    QTest::addColumn<QString>("errStart"); // the first stderr line without the program's name
    // Port 1 is closed: a usage error must be told before anything connects.
    const QStringList board{"--host", "127.0.0.1", "--port", "1"};
    QTest::newRow("put without files")
        << board + QStringList{"put"} << 2 << QString() << "put: не указано ни одного файла";
    QTest::newRow("-o not a folder") << board + QStringList{"get", "a", "-o", "nowhere"} << 2 << QString()
                                     << "-o: не папка: nowhere";
    QTest::newRow("-v with ls") << board + QStringList{"ls", "-v"} << 2 << QString()
                                << "-v — только для put, get, rm и sync";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "velmora-fs " VELMORA_VERSION "\n"
                               << QString();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Показывает," << QString();
}

void TestFsClient::usageVersionAndHelp()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outStart);
    QFETCH(QString, errStart);
    QTemporaryDir folder;
    const Run run = runClient(folder.path(), arguments);
    EXPECT_EXIT(run, exitCode);
    QVERIFY2(QString::fromUtf8(run.out).startsWith(outStart) && run.out.isEmpty() == outStart.isEmpty(),
             run.out.constData());
    QVERIFY2(run.err.startsWith(errLines({errStart}, 0)) == !errStart.isEmpty(), qPrintable(run.err));
    for (const QString &line : run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(QStringLiteral("velmora-fs: ")), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestFsClient)
#include "tst_fsclient.moc"
