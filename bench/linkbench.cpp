// Link throughput against the board simulator on loopback.
//
//   velmora-linkbench [--quick]
//
// --quick runs each case fewer times. Build it optimised (Release) for meaningful figures.
//
// Starts the simulator (big form, port 0) and, in a temporary working directory, uploads and
// downloads files of 1, 16 and 64 MiB and a batch of 200 files of 4 KiB through FsManager. Each
// figure stands beside a minimal socket loop that moves the same bytes against the same simulator:
// uploads in 1380-byte pieces paced by bytesWritten, downloads as one reply per file collected in
// one buffer. The minimal upload loop runs twice, with Nagle's algorithm on (the socket's default)
// and off, and the faster counts: pieces paced by bytesWritten gain nothing from being held back.
// Goals checked and printed (exit code 1 if one is missed):
//   - the link reaches at least 80% of the minimal loop's throughput;
//   - the link's time per MiB does not grow from 1 to 64 MiB (25% allowed for noise); the minimal
//     loop's own growth is printed beside it, as first touching a fresh 64 MiB buffer costs time;
//   - the process's peak memory during the link's transfers stays under 3 times the largest file.
// Times are best of several runs. A link transfer is timed from the writeFiles call (which reads
// the files) plus from the command's start to its result; the wait for the link's next 100 ms
// queue tick before the command starts is left out, as it is no part of the transfer. The two
// sides take turns going first from run to run (see the main loop).
#include "boardsimprocess.h"
#include "fsmanager.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <functional>

#ifndef VELMORA_BOARDSIM_PATH
#define VELMORA_BOARDSIM_PATH ""
#endif

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr int kPiece = 1380;
constexpr int kBigRecordHeader = 66;
constexpr int kBigReplyHeader = 10;
constexpr int kTimeoutMs = 120000;
constexpr double kMinRatio = 0.80;
constexpr double kMaxGrowth = 1.25;
constexpr double kMaxPeakFactor = 3.0;

QElapsedTimer clock_;

qint64 now()
{
    return clock_.nsecsElapsed();
}

// Runs the event loop until `done` holds (checked after every event batch that quit the loop).
bool waitUntil(const std::function<bool()> &done, QEventLoop &loop, int timeoutMs = kTimeoutMs)
{
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    limit.start(timeoutMs);
    while (!done() && !timedOut)
        loop.exec();
    return done();
}

// Peak resident memory of this process in bytes, and its reset (Linux only; -1 elsewhere).
qint64 peakRss()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

void resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct BenchFile
{
    QString name;
    QString path;
    qint64 size;
    QByteArray sha1;
};

// Writes a file with content of its own, in chunks (the benchmark never holds it whole).
BenchFile makeFile(const QString &name, qint64 size, int seed)
{
    BenchFile f{name, QDir::current().filePath(name), size, {}};
    QFile out(f.path);
    if (!out.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(f.path));
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray chunk(int(qMin<qint64>(size, kMiB)), Qt::Uninitialized);
    for (qint64 at = 0; at < size; at += chunk.size()) {
        const int n = int(qMin<qint64>(chunk.size(), size - at));
        char *p = chunk.data();
        for (int i = 0; i < n; ++i)
            p[i] = char(((at + i) * 131 + seed + ((at + i) >> 12)) & 0xFF);
        out.write(chunk.constData(), n);
        hash.addData(chunk.constData(), n);
    }
    f.sha1 = hash.result();
    return f;
}

QByteArray sha1(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// Everything the link reports that the benchmark needs, with the time it came.
class LinkWatch
{
public:
    explicit LinkWatch(FsManager *link)
    {
        QObject::connect(link, &FsManager::startedRunCommand, link, [this](const QString &) {
            startedAt = now();
            loop.quit();
        });
        QObject::connect(link, &FsManager::filesSendingIsFinished, link, [this](const QString &code) {
            finishedAt = now();
            result = code;
            loop.quit();
        });
        QObject::connect(link, &FsManager::filesRecievingIsFinished, link,
                         [this](const QMap<QString, QByteArray> &files, const QString &code) {
                             finishedAt = now();
                             result = code;
                             // Checked here so that no copy outlives the signal.
                             verified = 0;
                             for (auto it = files.cbegin(); it != files.cend(); ++it) {
                                 if (expected.value(it.key()) == sha1(it.value()))
                                     ++verified;
                             }
                             loop.quit();
                         });
        QObject::connect(link, &FsManager::listfilesReady_big, link,
                         [this](const QList<FstEntry_big> &, uint32_t, uint32_t) {
                             ++bigLists;
                             loop.quit();
                         });
        QObject::connect(link, &FsManager::listfilesReady, link,
                         [this](const QList<FstEntry> &, uint32_t, uint32_t) {
                             ++smallLists;
                             loop.quit();
                         });
        QObject::connect(link, &FsManager::connectionStateIsUpdated, link, [this](int state) {
            connected = state == 1;
            loop.quit();
        });
        QObject::connect(link, &FsManager::errorOccured, link, [this](const QString &text) {
            std::fprintf(stderr, "link error: %s\n", qPrintable(text));
            loop.quit();
        });
    }

    void arm()
    {
        startedAt = finishedAt = -1;
        result.clear();
        verified = 0;
    }

    QEventLoop loop;
    qint64 startedAt = -1;
    qint64 finishedAt = -1;
    QString result;
    int verified = 0;
    int bigLists = 0;
    int smallLists = 0;
    bool connected = false;
    QMap<QString, QByteArray> expected; // name to SHA-1
};

// The minimal loop: one socket, the same bytes as the link, nothing else.
class RawLoop
{
public:
    RawLoop(quint16 port, bool noDelay)
    {
        QObject::connect(&socket, &QTcpSocket::bytesWritten, &loop, [this](qint64) { onWritten(); });
        QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [this] { onReadable(); });
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        if (!socket.waitForConnected(10000))
            qFatal("minimal loop: cannot connect");
        // Only takes effect on a connected socket.
        if (noDelay)
            socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    // Time to upload the files one record each, from reading the file to the board's reply.
    qint64 upload(const QList<BenchFile> &files)
    {
        qint64 total = 0;
        for (const BenchFile &f : files) {
            const qint64 start = now();
            QFile in(f.path);
            if (!in.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(f.path));
            // Frame header and record header, then the content: what the link sends.
            char header[3 + kBigRecordHeader] = {0x0B, 0x0D, 0x02};
            const QByteArray name = f.name.toLatin1().left(51);
            std::memcpy(header + 3, name.constData(), size_t(name.size()));
            qToLittleEndian(quint32(f.size), header + 3 + 60);
            qToLittleEndian(quint16(name.size() + 1), header + 3 + 64);
            record.reserve(int(sizeof header + f.size));
            record.append(header, int(sizeof header));
            record.append(in.readAll());
            in.close();
            sent = qMin<qint64>(record.size(), 3 + kPiece);
            reply.clear();
            expectedReply = 6;
            socket.write(record.constData(), sent);
            if (!waitUntil([this] { return reply.size() >= expectedReply; }, loop))
                qFatal("minimal upload: no reply");
            total += now() - start;
            if (reply.at(5) != 0)
                qFatal("minimal upload: status %d", int(reply.at(5)));
            record = QByteArray();
        }
        return total;
    }

    // Time to fetch the files, one request and one collected reply each.
    qint64 download(const QList<BenchFile> &files)
    {
        qint64 total = 0;
        for (const BenchFile &f : files) {
            const qint64 start = now();
            const QByteArray name = f.name.toLatin1();
            QByteArray request("\x0B\x0D\x05", 3);
            request.append(char(name.size() + 1)).append(name).append('\0');
            reply.clear();
            expectedReply = kBigReplyHeader;
            socket.write(request);
            if (!waitUntil([this] { return reply.size() >= expectedReply; }, loop))
                qFatal("minimal download: no reply");
            total += now() - start;
            const int contentAt = kBigReplyHeader + 2 + name.size() + 1;
            QCryptographicHash hash(QCryptographicHash::Sha1);
            if (reply.size() >= contentAt)
                hash.addData(reply.constData() + contentAt, reply.size() - contentAt);
            if (reply.size() < contentAt || hash.result() != f.sha1)
                qFatal("minimal download: content of %s differs", qPrintable(f.name));
            reply = QByteArray();
        }
        return total;
    }

private:
    void onWritten()
    {
        if (sent >= record.size())
            return;
        const qint64 n = qMin<qint64>(kPiece, record.size() - sent);
        socket.write(record.constData() + sent, n);
        sent += n;
    }

    void onReadable()
    {
        // Straight from the socket's buffer into the reply, as the link reads. readAll() would
        // first build an array of its own and grow it to twice the size while looking for more;
        // freeing that hands heap pages back to the system, which the side measured next then
        // pays a page fault per 4 KiB to take back.
        const int at = reply.size();
        const qint64 available = socket.bytesAvailable();
        reply.resize(int(at + available));
        const qint64 got = socket.read(reply.data() + at, available);
        reply.resize(int(at + qMax<qint64>(got, 0)));
        // A download reply announces its length in its 10-byte header.
        if (expectedReply == kBigReplyHeader && reply.size() >= kBigReplyHeader && reply.at(4) == 5) {
            expectedReply = qFromLittleEndian<quint32>(reply.constData() + 6);
            reply.reserve(int(expectedReply));
        }
        if (reply.size() >= expectedReply)
            loop.quit();
    }

    QEventLoop loop;
    QTcpSocket socket;
    QByteArray record;
    qint64 sent = 0;
    QByteArray reply;
    qint64 expectedReply = 0;
};

struct Case
{
    QString label;
    qint64 fileSize;
    int count;
    int runs;
    QList<BenchFile> files;
    qint64 linkUp = -1, loopUp = -1, linkDown = -1, loopDown = -1; // best times, ns
    qint64 peakUp = 0, peakDown = 0;                               // bytes
};

qint64 best(qint64 current, qint64 sample)
{
    return current < 0 || sample < current ? sample : current;
}

// One upload batch through the link: writeFiles' own time plus command start to result.
qint64 linkUpload(FsManager &link, LinkWatch &watch, const QList<BenchFile> &files)
{
    QStringList paths;
    for (const BenchFile &f : files)
        paths << f.path;
    watch.arm();
    const int lists = watch.bigLists;
    const qint64 callStart = now();
    link.writeFiles(paths);
    const qint64 callTime = now() - callStart;
    if (!waitUntil([&] { return watch.finishedAt >= 0 || !watch.connected; }, watch.loop) ||
        watch.result != QLatin1String("Ok"))
        qFatal("link upload failed: %s", qPrintable(watch.result));
    const qint64 elapsed = callTime + (watch.finishedAt - watch.startedAt);
    // Let the list that follows every batch pass before the next measurement.
    waitUntil([&] { return watch.bigLists > lists; }, watch.loop);
    return elapsed;
}

qint64 linkDownload(FsManager &link, LinkWatch &watch, const QList<BenchFile> &files)
{
    QMap<QString, uint> names;
    for (const BenchFile &f : files)
        names.insert(f.name, uint(f.size));
    watch.arm();
    const int lists = watch.bigLists;
    link.getFiles(names);
    if (!waitUntil([&] { return watch.finishedAt >= 0 || !watch.connected; }, watch.loop) ||
        watch.result != QLatin1String("Ok"))
        qFatal("link download failed: %s", qPrintable(watch.result));
    if (watch.verified != files.size())
        qFatal("link download: %d of %d files arrived intact", watch.verified, int(files.size()));
    const qint64 elapsed = watch.finishedAt - watch.startedAt;
    waitUntil([&] { return watch.bigLists > lists; }, watch.loop);
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    clock_.start();

    if (qEnvironmentVariableIsEmpty("VELMORA_BOARDSIM"))
        qputenv("VELMORA_BOARDSIM", QByteArray(VELMORA_BOARDSIM_PATH));

    // The link reads and writes "pcbSettings.ini" in the current directory: keep it in a temporary one.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        qFatal("no temporary working directory");

    QList<Case> cases{
        // Best of several runs: page faults and scheduling on a small shared machine throw single runs.
        {QStringLiteral("1 MiB"), kMiB, 1, quick ? 2 : 9, {}},
        {QStringLiteral("16 MiB"), 16 * kMiB, 1, quick ? 1 : 6, {}},
        {QStringLiteral("64 MiB"), 64 * kMiB, 1, quick ? 1 : 3, {}},
        {QStringLiteral("200 x 4 KiB"), 4096, 200, quick ? 1 : 6, {}},
    };
    qint64 largest = 0;
    int seed = 1;
    for (Case &c : cases) {
        for (int i = 0; i < c.count; ++i) {
            const QString name = c.count == 1
                                     ? QStringLiteral("bench_%1.bin").arg(c.fileSize / kMiB)
                                     : QStringLiteral("small_%1.bin").arg(i, 3, 10, QLatin1Char('0'));
            c.files << makeFile(name, c.fileSize, seed++);
        }
        largest = qMax(largest, c.fileSize);
    }

    BoardSimProcess sim({QStringLiteral("--big"), QStringLiteral("--quiet"), QStringLiteral("--memory"),
                         QString::number(512 * kMiB)});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorString()));
        return 2;
    }
    std::printf("simulator on %s port %u; working directory %s\n", qPrintable(sim.host().toString()),
                unsigned(sim.port()), qPrintable(work.path()));

    FsManager link;
    LinkWatch watch(&link);
    for (const Case &c : cases) {
        for (const BenchFile &f : c.files)
            watch.expected.insert(f.name, f.sha1);
    }
    link.setPcbIp(sim.host());
    link.setPcbPort(sim.port());
    link.connectToPcb();
    if (!waitUntil([&] { return watch.bigLists > 0; }, watch.loop, 20000)) {
        std::fprintf(stderr, "the link did not connect in the big form\n");
        return 2;
    }
    RawLoop raw(sim.port(), false);
    RawLoop rawNoDelay(sim.port(), true);

    for (Case &c : cases) {
        for (int run = 0; run < c.runs; ++run) {
            // Whichever side runs second finds the heap as the first left it: freeing a whole
            // file's buffer can hand its pages back to the system, and the next side then pays a
            // page fault per 4 KiB to take them again. Taking turns gives both sides both places.
            const bool loopFirst = run % 2 == 0;
            const auto loopUp = [&] {
                c.loopUp = best(c.loopUp, raw.upload(c.files));
                c.loopUp = best(c.loopUp, rawNoDelay.upload(c.files));
            };
            const auto linkUp = [&] {
                resetPeakRss();
                c.linkUp = best(c.linkUp, linkUpload(link, watch, c.files));
                c.peakUp = qMax(c.peakUp, peakRss());
            };
            const auto loopDown = [&] { c.loopDown = best(c.loopDown, raw.download(c.files)); };
            const auto linkDown = [&] {
                resetPeakRss();
                c.linkDown = best(c.linkDown, linkDownload(link, watch, c.files));
                c.peakDown = qMax(c.peakDown, peakRss());
            };
            // The board must hold the files before either side downloads them.
            if (loopFirst) {
                loopUp();
                linkUp();
                loopDown();
                linkDown();
            } else {
                linkUp();
                loopUp();
                linkDown();
                loopDown();
            }
        }
    }

    std::printf("\n%-12s %-5s %11s %11s %7s %12s %12s %9s\n", "case", "dir", "link MiB/s", "loop MiB/s",
                "ratio", "link ms/MiB", "loop ms/MiB", "peak MiB");
    bool ratiosMet = true;
    for (const Case &c : cases) {
        const double mib = double(c.fileSize * c.count) / kMiB;
        const struct
        {
            const char *dir;
            qint64 link, loop, peak;
        } rows[] = {{"up", c.linkUp, c.loopUp, c.peakUp}, {"down", c.linkDown, c.loopDown, c.peakDown}};
        for (const auto &row : rows) {
            const double ratio = double(row.loop) / double(row.link);
            ratiosMet = ratiosMet && ratio >= kMinRatio;
            std::printf("%-12s %-5s %11.1f %11.1f %6.0f%% %12.3f %12.3f %9.1f\n", qPrintable(c.label),
                        row.dir, mib / (double(row.link) / 1e9), mib / (double(row.loop) / 1e9), ratio * 100,
                        double(row.link) / 1e6 / mib, double(row.loop) / 1e6 / mib, double(row.peak) / kMiB);
        }
    }

    const Case &one = cases[0];
    const Case &big = cases[2];
    const auto growth = [&](qint64 Case::*time) { return (double(big.*time) / 64) / double(one.*time); };
    const double upGrowth = growth(&Case::linkUp);
    const double downGrowth = growth(&Case::linkDown);
    const qint64 peak = qMax(big.peakUp, big.peakDown);
    const bool growthMet = upGrowth <= kMaxGrowth && downGrowth <= kMaxGrowth;
    const bool peakMet = peak >= 0 && double(peak) < kMaxPeakFactor * double(largest);

    std::printf("\ngoal: link >= %.0f%% of the minimal loop in every row: %s\n", kMinRatio * 100,
                ratiosMet ? "met" : "MISSED");
    std::printf("goal: link time per MiB, 64 MiB against 1 MiB: up x%.2f, down x%.2f (<= x%.2f): %s\n",
                upGrowth, downGrowth, kMaxGrowth, growthMet ? "met" : "MISSED");
    std::printf("      minimal loop for comparison: up x%.2f, down x%.2f\n", growth(&Case::loopUp),
                growth(&Case::loopDown));
    std::printf("goal: peak memory during the 64 MiB transfers %.1f MiB < %.0f x %lld MiB: %s\n",
                double(peak) / kMiB, kMaxPeakFactor, largest / kMiB, peakMet ? "met" : "MISSED");
    return ratiosMet && growthMet && peakMet ? 0 : 1;
}
