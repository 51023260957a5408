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
#include "benchkit.h"
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "linkrecorder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <malloc.h>
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

// Runs Start and waits for the result of Command; empty on success, else what went wrong. What
// the recorder held before is dropped first, so that nothing of one step is kept into the next;
// CommandNs gets the time from the command's start to its result.
QString runStep(LinkRecorder &rec, int command, const std::function<void()> &start, qint64 &commandNs)
{
    rec.clear();
    start();
    const QString ended = QStringLiteral("%1 ").arg(command);
    const auto result = [&] {
        for (const QString &line : qAsConst(rec.results)) {
            if (line.startsWith(ended))
                return line;
        }
        return QString();
    };
    rec.waitFor([&] { return !result().isEmpty() || rec.states.contains(0); }, kStepTimeoutMs);
    const QString line = result();
    if (line.isEmpty() && rec.states.contains(0))
        return QStringLiteral("the link went offline");
    if (line.isEmpty())
        return QStringLiteral("no result within %1 s").arg(kStepTimeoutMs / 1000);
    if (line.section(QLatin1Char(' '), 1, 1).toInt() != ResultOk)
        return QStringLiteral("result %1: %2")
            .arg(line.section(QLatin1Char(' '), 1, 1), line.section(QLatin1Char(' '), 2));
    const qint64 startedNs = rec.firstNs(QStringLiteral("started "));
    commandNs = startedNs < 0 ? 0 : rec.firstNs(QStringLiteral("result ") + ended) - startedNs;
    return QString();
}

struct Totals
{
    qint64 bytes = 0;
    qint64 ns = 0;
};

// One cycle; empty on success, else the step that failed and why.
QString runCycle(FsManager &link, LinkRecorder &rec, QRandomGenerator &random, int cycle, Totals &totals)
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

    qint64 commandNs = 0;
    QString failure = runStep(
        rec, CmdWriteFile, [&] { link.writeFiles({path}); }, commandNs);
    QFile::remove(path);
    if (!failure.isEmpty())
        return QStringLiteral("upload: ") + failure;
    totals.bytes += size;
    totals.ns += commandNs;

    failure = runStep(
        rec, CmdListFiles, [&] { link.getListFiles(); }, commandNs);
    if (!failure.isEmpty())
        return QStringLiteral("list: ") + failure;
    const QList<LinkRecorder::File> table =
        rec.tables.isEmpty() ? QList<LinkRecorder::File>() : rec.tables.last().files;
    if (table.size() != 1 || table.first().name != name || table.first().size != uint32_t(padded))
        return QStringLiteral("list: expected %1 alone at %2 bytes, got %3 entries")
            .arg(name)
            .arg(padded)
            .arg(table.size());

    failure = runStep(
        rec, CmdGetFile,
        [&] {
            link.getFiles({{name, uint(padded)}});
        },
        commandNs);
    if (!failure.isEmpty())
        return QStringLiteral("download: ") + failure;
    totals.bytes += padded;
    totals.ns += commandNs;
    const QMap<QString, QByteArray> received = rec.receivedFiles.value(0);
    const QByteArray got = received.value(name);
    if (received.size() != 1 || got.size() != padded || got.left(size) != content ||
        got.mid(size) != QByteArray(padded - size, '\0'))
        return QStringLiteral("download: %1 differs from its source (%2 bytes, expected %3)")
            .arg(name)
            .arg(got.size())
            .arg(padded);

    failure = runStep(
        rec, CmdDeleteFile, [&] { link.deleteFiles({name}); }, commandNs);
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

    const BenchKit::Workspace work("velmora-soak", true);
    if (!work.isValid())
        return 2;
    const std::unique_ptr<BoardSimProcess> simulator = BenchKit::startSimulator("velmora-soak", 4 * kMaxFileSize);
    if (!simulator)
        return 2;
    const BoardSimProcess &sim = *simulator;

    FsManager link;
    LinkRecorder rec(link);
    link.usePcbIp(sim.host());
    link.setPcbPort(sim.port());

    QRandomGenerator random(seed);
    Totals totals;
    int failures = 0;
    qint64 rssStart = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        if (!link.isConnected()) {
            // Connected once the opening list, in the big form, has come.
            qint64 commandNs = 0;
            const QString failure = runStep(
                rec, CmdListFiles, [&] { link.connectToPcb(); }, commandNs);
            if (!failure.isEmpty()) {
                std::fprintf(stderr, "cycle %d: connecting: %s\n", cycle, qPrintable(failure));
                ++failures;
                continue;
            }
        }
        const QString failure = runCycle(link, rec, random, cycle, totals);
        if (!failure.isEmpty()) {
            ++failures;
            std::fprintf(stderr, "cycle %d: %s\n", cycle, qPrintable(failure));
        }
        // Nothing of a cycle is kept into the next: what stays in memory is the link's.
        rec.clear();
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
