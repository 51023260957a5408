// Soak run of the link against the board simulator on loopback.
//
//   velmora-soak [--cycles N] [--seed S]
//
// Starts the simulator (big form, port 0, 127.0.0.1) and, in a temporary working directory, runs N
// cycles through FsManager: upload a file of random length (0 bytes to 1 MiB) and content, read the
// file table (it must hold exactly that file, at its padded length), download the file and compare
// it byte for byte with its source (plus the zero bytes that pad it to a multiple of 4), delete
// it. A step that fails counts the cycle as failed, is told on stderr, and the next cycle starts
// on a fresh connection if the link went offline.
//
// Ends with one line:
//   cycles: N failures: F rss-start-kib: A rss-end-kib: B throughput-mib-s: T
// The resident memory of this process is read after the first cycle (so that code, the socket and
// the heap are warm) and after the last one, each time once glibc's heap has handed its free pages
// back; Linux only, 0 elsewhere. The throughput counts the
// bytes uploaded and downloaded over the time their commands ran, from the link's start of the
// command to its result (the wait for the link's next 100 ms queue tick is no part of a transfer).
// The exit code is 0 when no cycle failed.
#include "boardsimprocess.h"
#include "fsmanager.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <malloc.h>
#endif

#ifndef VELMORA_BOARDSIM_PATH
#define VELMORA_BOARDSIM_PATH ""
#endif

namespace {

constexpr int kMaxFileSize = 1024 * 1024;
constexpr int kStepTimeoutMs = 60000;
constexpr double kMiB = 1024.0 * 1024.0;

// Resident memory of this process in KiB, once the heap has handed its free pages back. Otherwise
// glibc keeps the freed pages of the last megabyte-sized buffers, and the figure swings by a few MiB
// from cycle to cycle with the sizes of the last files, hiding what is really held.
qint64 residentKib()
{
#ifdef Q_OS_LINUX
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
#endif
    return 0;
}

// What the link reports, kept for the step that waits for it.
struct Watch
{
    explicit Watch(FsManager &link)
    {
        QObject::connect(&link, &FsManager::startedRunCommand, &link, [this] { commandTimer.start(); });
        QObject::connect(&link, &FsManager::requestFinished, &link,
                         [this](int command, int result, const QString &text) {
                             if (command == awaited) {
                                 finished = true;
                                 this->result = result;
                                 this->text = text;
                                 commandNs = commandTimer.isValid() ? commandTimer.nsecsElapsed() : 0;
                             }
                             loop.quit();
                         });
        QObject::connect(&link, &FsManager::listfilesReady_big, &link,
                         [this](const QList<FstEntry_big> &files, uint32_t, uint32_t) { table = files; });
        QObject::connect(
            &link, &FsManager::filesRecievingIsFinished, &link,
            [this](const QMap<QString, QByteArray> &files, const QString &) { received = files; });
        QObject::connect(&link, &FsManager::connectionStateIsUpdated, &link, [this](int state) {
            if (state == 0)
                ++drops;
            loop.quit();
        });
    }

    // Runs Start and waits for the result of Command; empty on success, else what went wrong.
    QString run(int command, const std::function<void()> &start)
    {
        awaited = command;
        finished = false;
        commandTimer.invalidate();
        const int dropsBefore = drops;
        start();
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(kStepTimeoutMs);
        while (!finished && drops == dropsBefore && limit.isActive())
            loop.exec();
        awaited = -1;
        if (!finished && drops != dropsBefore)
            return QStringLiteral("the link went offline");
        if (!finished)
            return QStringLiteral("no result within %1 s").arg(kStepTimeoutMs / 1000);
        if (result != ResultOk)
            return QStringLiteral("result %1: %2").arg(result).arg(text);
        return QString();
    }

    QEventLoop loop;
    int awaited = -1;
    bool finished = false;
    int result = 0;
    QString text;
    QElapsedTimer commandTimer;
    qint64 commandNs = 0;
    int drops = 0; // connections lost so far
    QList<FstEntry_big> table;
    QMap<QString, QByteArray> received;
};

QString entryName(const FstEntry_big &entry)
{
    return QString::fromLatin1(entry.name, int(qstrnlen(entry.name, sizeof entry.name)));
}

struct Totals
{
    qint64 bytes = 0;
    qint64 ns = 0;
};

// One cycle; empty on success, else the step that failed and why.
QString runCycle(FsManager &link, Watch &watch, QRandomGenerator &random, int cycle, Totals &totals)
{
    const QString name = QStringLiteral("soak%1.bin").arg(cycle);
    const int size = int(random.bounded(kMaxFileSize + 1));
    QByteArray content(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        content[i] = char(random.bounded(256));
    const QString path = QDir::current().filePath(name);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != size)
            return QStringLiteral("cannot write %1").arg(path);
    }
    const int padded = (size + 3) & ~3;

    QString failure = watch.run(CmdWriteFile, [&] { link.writeFiles({path}); });
    QFile::remove(path);
    if (!failure.isEmpty())
        return QStringLiteral("upload: ") + failure;
    totals.bytes += size;
    totals.ns += watch.commandNs;

    watch.table.clear();
    failure = watch.run(CmdListFiles, [&] { link.getListFiles(); });
    if (!failure.isEmpty())
        return QStringLiteral("list: ") + failure;
    if (watch.table.size() != 1 || entryName(watch.table.first()) != name ||
        watch.table.first().size != uint32_t(padded))
        return QStringLiteral("list: expected %1 alone at %2 bytes, got %3 entries")
            .arg(name)
            .arg(padded)
            .arg(watch.table.size());

    watch.received.clear();
    failure = watch.run(CmdGetFile, [&] { link.getFiles({{name, uint(padded)}}); });
    if (!failure.isEmpty())
        return QStringLiteral("download: ") + failure;
    totals.bytes += padded;
    totals.ns += watch.commandNs;
    const QByteArray got = watch.received.value(name);
    if (watch.received.size() != 1 || got.size() != padded || got.left(size) != content ||
        got.mid(size) != QByteArray(padded - size, '\0'))
        return QStringLiteral("download: %1 differs from its source (%2 bytes, expected %3)")
            .arg(name)
            .arg(got.size())
            .arg(padded);

    failure = watch.run(CmdDeleteFile, [&] { link.deleteFiles({name}); });
    if (!failure.isEmpty())
        return QStringLiteral("delete: ") + failure;
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Soak run of the link against the board simulator."));
    parser.addHelpOption();
    const QCommandLineOption cyclesOption(QStringLiteral("cycles"),
                                          QStringLiteral("Cycles to run (default 100)."), QStringLiteral("n"),
                                          QStringLiteral("100"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the file sizes and contents."),
                                        QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({cyclesOption, seedOption});
    parser.process(app);
    bool cyclesOk = false;
    bool seedOk = false;
    const int cycles = parser.value(cyclesOption).toInt(&cyclesOk);
    const quint32 seed = parser.value(seedOption).toUInt(&seedOk);
    if (!cyclesOk || cycles < 1 || !seedOk) {
        std::fprintf(stderr, "velmora-soak: --cycles takes a count of at least 1, --seed a number\n");
        return 2;
    }

    if (qEnvironmentVariableIsEmpty("VELMORA_BOARDSIM"))
        qputenv("VELMORA_BOARDSIM", QByteArray(VELMORA_BOARDSIM_PATH));
    // The link reads "pcbSettings.ini" in the current directory: keep it in a temporary one.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "velmora-soak: no temporary working directory\n");
        return 2;
    }
    // Quiet: the simulator's log would pile up in this process, which reads its stderr.
    BoardSimProcess sim({QStringLiteral("--big"), QStringLiteral("--quiet"), QStringLiteral("--memory"),
                         QString::number(4 * kMaxFileSize)});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "velmora-soak: simulator: %s\n", qPrintable(sim.errorString()));
        return 2;
    }

    FsManager link;
    Watch watch(link);
    link.usePcbIp(sim.host());
    link.setPcbPort(sim.port());

    QRandomGenerator random(seed);
    Totals totals;
    int failures = 0;
    qint64 rssStart = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        if (!link.isConnected()) {
            // Connected once the opening list, in the big form, has come.
            const QString failure = watch.run(CmdListFiles, [&] { link.connectToPcb(); });
            if (!failure.isEmpty()) {
                std::fprintf(stderr, "cycle %d: connecting: %s\n", cycle, qPrintable(failure));
                ++failures;
                continue;
            }
        }
        const QString failure = runCycle(link, watch, random, cycle, totals);
        if (!failure.isEmpty()) {
            ++failures;
            std::fprintf(stderr, "cycle %d: %s\n", cycle, qPrintable(failure));
        }
        // Nothing of a cycle is kept into the next: what stays in memory is the link's.
        watch.received.clear();
        watch.table.clear();
        if (cycle == 1)
            rssStart = residentKib();
        if (cycle % 100 == 0)
            std::fprintf(stderr, "cycle %d: rss-kib %lld\n", cycle, static_cast<long long>(residentKib()));
    }
    const qint64 rssEnd = residentKib();
    const double seconds = double(totals.ns) / 1e9;
    const double throughput = seconds > 0 ? double(totals.bytes) / kMiB / seconds : 0;
    std::printf("cycles: %d failures: %d rss-start-kib: %lld rss-end-kib: %lld throughput-mib-s: %.1f\n",
                cycles, failures, static_cast<long long>(rssStart), static_cast<long long>(rssEnd),
                throughput);
    return failures == 0 ? 0 : 1;
}
