// velmora-fs sync on many boards against one, on loopback.
//
//   velmora-syncbench [--boards N] [--runs N]
//
// Starts N + 1 board simulators (default 32 + 1, big form) on 127.0.0.1 and a folder of 20 files
// of 4 KiB to 256 KiB, then runs velmora-fs as a user would, one process each time:
//   - one: sync of the folder to a board that holds none of it;
//   - all: the same sync to the N other boards at once (--jobs N);
//   - again: a second sync of the unchanged folder to the N boards with --checksum, which sends no
//     file but fetches every one to compare it;
//   - recorded: the same second sync taking the record the first one left, which needs no file;
//     judged against the first sync to the same N boards (all), the run it saves repeating;
//   - df on the N boards, no goal: connecting and reading each table, the least any run takes.
// Between runs the boards are emptied (sync of an empty folder with --delete, not timed). Times are
// best of --runs (default 3) and include the process's start. The bytes a second sync read from
// the boards are the sum of the simulators' logged get replies, the most of any run. The records
// go into a temporary cache folder (XDG_CACHE_HOME). Goals, checked and printed (exit code 1 if
// one is missed): all <= 2 x one; again <= one; recorded <= 0.25 x all, reading 0 bytes.
#include "benchkit.h"
#include "boardsimprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#ifndef VELMORA_FS_PATH
#define VELMORA_FS_PATH ""
#endif

namespace {

constexpr int kFiles = 20;
constexpr int kTimeoutMs = 600000;

// Runs velmora-fs in Folder; returns the milliseconds it took, or -1 when it did not exit 0.
qint64 runClient(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(VELMORA_FS_PATH), arguments);
    if (!process.waitForFinished(kTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return clock.elapsed();
}

// The bytes the simulators' logs show sent in get replies since Offsets, which it moves on.
qint64 bytesRead(const std::vector<std::unique_ptr<BoardSimProcess>> &sims, std::vector<int> &offsets)
{
    static const QRegularExpression reply(QStringLiteral("send get bytes=(\\d+)"));
    // The logs reach this process through the event loop; each line was written before its reply.
    QCoreApplication::processEvents();
    qint64 bytes = 0;
    for (size_t i = 0; i < sims.size(); ++i) {
        const QString log = sims.at(i)->log();
        auto match = reply.globalMatch(log, offsets.at(i));
        while (match.hasNext())
            bytes += match.next().captured(1).toLongLong();
        offsets.at(i) = log.size();
    }
    return bytes;
}

QStringList boardOptions(const std::vector<std::unique_ptr<BoardSimProcess>> &sims, size_t from, size_t to)
{
    QStringList options;
    for (size_t i = from; i < to; ++i)
        options << QStringLiteral("--board") << QStringLiteral("127.0.0.1:%1").arg(sims.at(i)->port());
    return options << QStringLiteral("--jobs") << QString::number(to - from);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int boards = BenchKit::intOption(args, QStringLiteral("--boards"), 32);
    const int runs = BenchKit::intOption(args, QStringLiteral("--runs"), 3);
    if (boards < 1 || runs < 1) {
        std::fprintf(stderr, "usage: velmora-syncbench [--boards N] [--runs N]\n");
        return 2;
    }

    // velmora-fs reads "pcbSettings.ini" of its working folder: one that names 127.0.0.1.
    const BenchKit::Workspace work("velmora-syncbench", false);
    // velmora-fs keeps its record of each board under the user's cache folder: one of the run's own.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(work.filePath(QStringLiteral("cache"))));
    QFile settings(work.filePath(QStringLiteral("pcbSettings.ini")));
    if (!work.isValid() || !settings.open(QIODevice::WriteOnly) ||
        settings.write("[General]\nIP_ADDRESS=127.0.0.1\n") < 0)
        qFatal("no temporary working folder");
    settings.close();
    QDir(work.path()).mkdir(QStringLiteral("cfg"));
    QDir(work.path()).mkdir(QStringLiteral("empty"));
    // From 4 KiB to 256 KiB in even steps of the logarithm.
    qint64 total = 0;
    for (int i = 0; i < kFiles; ++i) {
        const int size = int(4096 * std::pow(64.0, double(i) / (kFiles - 1)));
        QByteArray bytes(size, Qt::Uninitialized);
        for (int b = 0; b < size; ++b)
            bytes[b] = char((b * 31 + i * 7 + (b >> 11)) & 0xFF);
        QFile file(work.filePath(QStringLiteral("cfg/config_%1.vmc").arg(i, 2, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
            qFatal("cannot write the folder");
        total += size;
    }

    std::vector<std::unique_ptr<BoardSimProcess>> sims;
    for (int i = 0; i <= boards; ++i) {
        sims.push_back(BenchKit::startSimulator("velmora-syncbench", 16777216, true));
        if (!sims.back())
            return 2;
    }
    std::printf("%d files, %lld bytes; %d boards and one more on 127.0.0.1\n", kFiles, total, boards);

    const QStringList one = boardOptions(sims, size_t(boards), size_t(boards) + 1);
    const QStringList all = boardOptions(sims, 0, size_t(boards));
    const QStringList sync{QStringLiteral("sync"), QStringLiteral("--delete"), QStringLiteral("cfg")};
    const QStringList clear{QStringLiteral("sync"), QStringLiteral("--delete"), QStringLiteral("empty")};
    const QStringList checksum = sync + QStringList{QStringLiteral("--checksum")};
    qint64 bestOne = -1, bestAll = -1, bestAgain = -1, bestRecorded = -1, bestFloor = -1;
    qint64 againBytes = 0, recordedBytes = 0;
    std::vector<int> offsets(sims.size(), 0);
    const auto best = [](qint64 &best, qint64 time) {
        if (time < 0)
            qFatal("velmora-fs failed");
        best = best < 0 ? time : qMin(best, time);
    };
    for (int run = 0; run < runs; ++run) {
        if (runClient(work.path(), one + clear) < 0 || runClient(work.path(), all + clear) < 0)
            qFatal("cannot empty the boards");
        best(bestOne, runClient(work.path(), one + sync));
        best(bestAll, runClient(work.path(), all + sync));
        bytesRead(sims, offsets);
        best(bestAgain, runClient(work.path(), all + checksum));
        againBytes = qMax(againBytes, bytesRead(sims, offsets));
        best(bestRecorded, runClient(work.path(), all + sync));
        recordedBytes = qMax(recordedBytes, bytesRead(sims, offsets));
        best(bestFloor, runClient(work.path(), all + QStringList{QStringLiteral("df")}));
    }
    const bool allOk = bestAll <= 2 * bestOne;
    const bool againOk = bestAgain <= bestOne;
    const bool recordedOk = 4 * bestRecorded <= bestAll;
    std::printf("sync to 1 board:              %6lld ms\n", bestOne);
    std::printf("sync to %2d boards at once:    %6lld ms  (%.2f x one; goal <= 2) %s\n", boards, bestAll,
                double(bestAll) / double(bestOne), allOk ? "ok" : "MISSED");
    std::printf("second sync to %2d, unchanged, --checksum: %6lld ms  (%.2f x one; goal <= 1) %s; "
                "%lld bytes read\n",
                boards, bestAgain, double(bestAgain) / double(bestOne), againOk ? "ok" : "MISSED",
                againBytes);
    std::printf(
        "second sync to %2d, unchanged, recorded: %6lld ms  (%.2f x the first to %d; goal <= 0.25) %s; "
        "%.2f x one\n",
        boards, bestRecorded, double(bestRecorded) / double(bestAll), boards, recordedOk ? "ok" : "MISSED",
        double(bestRecorded) / double(bestOne));
    std::printf("df on %2d (connect and list, no goal):   %6lld ms  (%.2f x one)\n", boards, bestFloor,
                double(bestFloor) / double(bestOne));
    std::printf("bytes read from the boards by it:        %6lld     (goal 0) %s\n", recordedBytes,
                recordedBytes == 0 ? "ok" : "MISSED");
    return allOk && againOk && recordedOk && recordedBytes == 0 ? 0 : 1;
}
