// velmora-fs sync on many boards against one, on loopback.
//
//   velmora-syncbench [--boards N] [--runs N]
//
// Starts N + 1 board simulators (default 32 + 1, big form) on 127.0.0.1 and a folder of 20 files
// of 4 KiB to 256 KiB, then runs velmora-fs as a user would, one process each time:
//   - one: sync of the folder to a board that holds none of it;
//   - all: the same sync to the N other boards at once (--jobs N);
//   - again: a second sync of the unchanged folder to the N boards, which sends no file.
// Between runs the boards are emptied (sync of an empty folder with --delete, not timed). Times are
// best of --runs (default 3) and include the process's start. Goals, checked and printed (exit
// code 1 if one is missed): all <= 2 x one; again <= one.
#include "benchkit.h"
#include "boardsimprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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
        sims.push_back(BenchKit::startSimulator("velmora-syncbench", 16777216));
        if (!sims.back())
            return 2;
    }
    std::printf("%d files, %lld bytes; %d boards and one more on 127.0.0.1\n", kFiles, total, boards);

    const QStringList one = boardOptions(sims, size_t(boards), size_t(boards) + 1);
    const QStringList all = boardOptions(sims, 0, size_t(boards));
    const QStringList sync{QStringLiteral("sync"), QStringLiteral("--delete"), QStringLiteral("cfg")};
    const QStringList clear{QStringLiteral("sync"), QStringLiteral("--delete"), QStringLiteral("empty")};
    qint64 bestOne = -1, bestAll = -1, bestAgain = -1;
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
        best(bestAgain, runClient(work.path(), all + sync));
    }
    const bool allOk = bestAll <= 2 * bestOne;
    const bool againOk = bestAgain <= bestOne;
    std::printf("sync to 1 board:              %6lld ms\n", bestOne);
    std::printf("sync to %2d boards at once:    %6lld ms  (%.2f x one; goal <= 2) %s\n", boards, bestAll,
                double(bestAll) / double(bestOne), allOk ? "ok" : "MISSED");
    std::printf("second sync to %2d, unchanged: %6lld ms  (%.2f x one; goal <= 1) %s\n", boards, bestAgain,
                double(bestAgain) / double(bestOne), againOk ? "ok" : "MISSED");
    return allOk && againOk ? 0 : 1;
}
