// Link throughput against the board simulator on loopback, beside a minimal loop.
//
//   velmora-linkbench [--rounds N]
//
// Build it optimised (RelWithDebInfo or Release). Starts the simulator (big form, port 0) and, in a
// temporary working directory, uploads and downloads files of 1, 16 and 64 MiB and a batch of 200
// files of 4 KiB through FsManager, and the same files through a minimal loop: one socket to the
// same simulator that writes the frames the link writes (the header with the first 1380-byte
// piece, then one piece per bytesWritten, the piece that ends a record without delay) and collects
// each reply in a buffer of its own, with nothing else: no queue, no timers, no signals. Before each
// command it idles 50 ms, as the link idles until its next 100 ms queue tick starts the command
// (that wait is no part of a link transfer's time). Every transfer is checked: downloads byte for
// byte, the link's uploads by the board's table.
//
// Rounds: each round visits every case, and in each case's turns the two sides move the same files
// one right after the other, which side first changing from turn to turn: a machine that slows
// down for a while slows both, and the link's share of the loop's throughput is taken turn by turn.
// A transfer of a few tens of milliseconds (downloads, 1 MiB uploads) is tried three times in a
// turn, the sides alternating, and each side keeps its best: on a busy machine one preemption would
// otherwise decide the sample, and the medians of two runs would differ by a third.
// N rounds (default 15, at least 6; 2 to 4 turns per case and round) give per row the median and
// its spread: the range that holds the median with at least 95% confidence, from the order of the
// samples whatever their distribution. A goal is judged only where that range lies wholly on one
// side of it; otherwise the row cannot be judged.
//
// The sender: the simulator sends with the congestion control "reno" (on Linux). A board's own
// stack sends as fast as the window allows; a system default that paces each connection by what it
// has measured on that connection (BBR) made the simulator send the same 16 MiB to the link's
// connection at a third of the rate it used for the loop's in the same run (ss: 34 against 104
// Gbit/s), and the link's share of the loop then ranged from 83% at 16 MiB to 146% at 64 MiB, for
// reasons of the two connections' histories, not of either reader.
//
// The link's side records no signal per file: the loop has no listener either.
//
// Memory: the peak is read first, with the allocator as the program has it. For the rounds, the
// allocator then keeps what is freed (glibc): otherwise each download either reuses freed pages or
// faults in fresh ones, a lottery that costs a 64 MiB file several times its transfer on a virtual
// machine and made single samples of either side differ by ten times. One round without samples
// warms that memory up.
//
// Goals (exit code 1 if one is missed):
//   - the link reaches at least 80% of the minimal loop's throughput, taken round by round, and
//     downloads at least 95%: a download only copies the bytes from the socket's buffer, as the
//     loop does;
//   - from 1 to 64 MiB the link's time per MiB grows no more than the minimal loop's in the same
//     round (25% allowed): the loop's own time per MiB changes with the machine, not with the link;
//   - the process's peak memory during the link's 64 MiB transfers stays under 3 times the file.
// A link transfer is timed from the writeFiles call (which reads the files) plus from the command's
// start to its result; the wait for the link's next 100 ms queue tick before the command starts is
// no part of the transfer.
#include "benchkit.h"
#include "boardsimprocess.h"
#include "fsmanager.h"
#include "linkrecorder.h"

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
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr int kPiece = 1380;
constexpr int kBigRecordHeader = 66;
constexpr int kBigReplyHeader = 10;
constexpr int kTimeoutMs = 120000;
constexpr int kPauseMs = 50; // half the link's queue tick
constexpr int kDefaultRounds = 15;
constexpr int kMinRounds = 6; // fewer cannot bound a median with 95% confidence
constexpr int kMemoryRuns = 5;
constexpr double kConfidence = 0.95;
#ifdef Q_OS_LINUX
const QStringList kSenderOptions{QStringLiteral("--tcp-congestion"), QStringLiteral("reno")};
#else
const QStringList kSenderOptions;
#endif
constexpr double kMinRatio = 0.80;
constexpr double kMinDownRatio = 0.95;
constexpr double kMaxGrowth = 1.25;
constexpr double kMaxPeakFactor = 3.0;

QElapsedTimer clock_;

qint64 now()
{
    return clock_.nsecsElapsed();
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

// From here on freed memory stays with the process, so that no transfer pays for fresh pages.
void keepFreedMemory()
{
#if defined(Q_OS_LINUX) && defined(__GLIBC__)
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
#endif
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

QByteArray sha1(const char *data, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(data, int(size));
    return hash.result();
}

// The minimal loop: one socket, the same bytes as the link, nothing else.
class RawLoop
{
public:
    explicit RawLoop(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::bytesWritten, &loop, [this](qint64) { onWritten(); });
        QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [this] { onReadable(); });
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
        if (!socket.waitForConnected(10000))
            qFatal("minimal loop: cannot connect");
    }

    // Time to upload the files one record each, from reading the file to the board's reply.
    qint64 upload(const QList<BenchFile> &files)
    {
        pause();
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
            reply.clear();
            expectedReply = 6;
            sent = 0;
            writePiece(3 + kPiece);
            if (!wait())
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
        pause();
        qint64 total = 0;
        for (const BenchFile &f : files) {
            const qint64 start = now();
            const QByteArray name = f.name.toLatin1();
            QByteArray request("\x0B\x0D\x05", 3);
            request.append(char(name.size() + 1)).append(name).append('\0');
            reply.clear();
            expectedReply = kBigReplyHeader;
            socket.write(request);
            if (!wait())
                qFatal("minimal download: no reply");
            total += now() - start;
            const int contentAt = kBigReplyHeader + 2 + name.size() + 1;
            if (reply.size() < contentAt ||
                sha1(reply.constData() + contentAt, reply.size() - contentAt) != f.sha1)
                qFatal("minimal download: content of %s differs", qPrintable(f.name));
            reply = QByteArray();
        }
        return total;
    }

private:
    // Lets the process idle before a transfer, as the link does until its queue tick starts the
    // command: a transfer that starts while everything is still running finds caches and processors
    // awake, which on a virtual machine made the loop's 1 MiB download twice as fast as after a pause.
    void pause()
    {
        QTimer::singleShot(kPauseMs, &loop, &QEventLoop::quit);
        loop.exec();
    }

    bool wait()
    {
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(kTimeoutMs);
        while (reply.size() < expectedReply && limit.isActive())
            loop.exec();
        return reply.size() >= expectedReply;
    }

    void writePiece(qint64 maxSize)
    {
        const qint64 n = qMin<qint64>(maxSize, record.size() - sent);
        // The piece that ends a record leaves at once: the board answers only after it.
        const bool endsRecord = sent + n >= record.size();
        if (endsRecord != lowDelay) {
            lowDelay = endsRecord;
            socket.setSocketOption(QAbstractSocket::LowDelayOption, endsRecord ? 1 : 0);
        }
        socket.write(record.constData() + sent, n);
        sent += n;
    }

    void onWritten()
    {
        if (sent < record.size())
            writePiece(kPiece);
    }

    void onReadable()
    {
        // Straight from the socket's buffer into the reply, as the link reads.
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
    bool lowDelay = false;
    QByteArray record;
    qint64 sent = 0;
    QByteArray reply;
    qint64 expectedReply = 0;
};

// The link's side: one batch through FsManager, watched by a recorder.
class LinkSide
{
public:
    LinkSide(FsManager &link, LinkRecorder &rec) : link(link), rec(rec) {}

    // writeFiles' own time plus command start to result; the files must then be in the table.
    qint64 upload(const QList<BenchFile> &files)
    {
        QStringList paths;
        for (const BenchFile &f : files)
            paths << f.path;
        rec.clear();
        const qint64 callStart = rec.elapsedNs();
        link.writeFiles(paths);
        const qint64 callTime = rec.elapsedNs() - callStart;
        const qint64 elapsed = callTime + finish(rec.sent, QStringLiteral("sent "));
        if (rec.sent != QStringList{QStringLiteral("Ok")})
            qFatal("link upload failed: %s", qPrintable(rec.sent.join(QLatin1Char(' '))));
        for (const BenchFile &f : files) {
            const LinkRecorder::File *listed = rec.lastListed(f.name);
            if (!listed || listed->size != quint32(f.size))
                qFatal("link upload: %s is not on the board at its size", qPrintable(f.name));
        }
        rec.clear();
        return elapsed;
    }

    // Command start to result; every file must have come intact.
    qint64 download(const QList<BenchFile> &files)
    {
        QMap<QString, uint> names;
        for (const BenchFile &f : files)
            names.insert(f.name, uint(f.size));
        rec.clear();
        link.getFiles(names);
        const qint64 elapsed = finish(rec.received, QStringLiteral("received "));
        if (rec.received != QStringList{QStringLiteral("Ok")})
            qFatal("link download failed: %s", qPrintable(rec.received.join(QLatin1Char(' '))));
        const QMap<QString, QByteArray> got = rec.receivedFiles.first();
        for (const BenchFile &f : files) {
            const QByteArray content = got.value(f.name);
            if (sha1(content.constData(), content.size()) != f.sha1)
                qFatal("link download: %s did not arrive intact", qPrintable(f.name));
        }
        // Nothing of the files is held into the next measurement.
        rec.clear();
        return elapsed;
    }

private:
    // Waits for the batch's end (Ends, whose log lines start with End) and for the list that
    // follows it, so that the next measurement finds the link idle; returns the time from the
    // command's start to the batch's end. The check after every signal looks at lists, never
    // through the growing log.
    qint64 finish(const QStringList &ends, const QString &end)
    {
        const auto ended = [&] { return !ends.isEmpty() || !rec.states.isEmpty(); };
        if (!rec.waitFor(ended, kTimeoutMs) || !rec.states.isEmpty())
            qFatal("the link did not end its batch: %s", qPrintable(rec.log.join(QLatin1String("; "))));
        const qint64 elapsed = rec.firstNs(end) - rec.firstNs(QStringLiteral("started "));
        rec.waitFor([&] { return rec.results.contains(QStringLiteral("1 0 Ok")); }, kTimeoutMs);
        return elapsed;
    }

    FsManager &link;
    LinkRecorder &rec;
};

// Each side's best of Tries transfers, the two sides alternating, LoopFirst telling which starts.
struct Best
{
    qint64 loop = std::numeric_limits<qint64>::max();
    qint64 link = std::numeric_limits<qint64>::max();
};

Best race(int tries, bool loopFirst, const std::function<qint64()> &loopRun,
          const std::function<qint64()> &linkRun)
{
    Best best;
    for (int i = 0; i < tries; ++i) {
        if (loopFirst)
            best.loop = qMin(best.loop, loopRun());
        best.link = qMin(best.link, linkRun());
        if (!loopFirst)
            best.loop = qMin(best.loop, loopRun());
    }
    return best;
}

// A median and the range that holds it with at least kConfidence, from order statistics: with n
// samples the k-th smallest lies below the median with the probability that a fair coin shows
// heads fewer than k times in n throws.
struct Spread
{
    double median = 0;
    double low = 0;
    double high = 0;
};

Spread spreadOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    Spread s;
    s.median = n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
    // Largest k with 2 P(heads < k) <= 1 - confidence; from 6 samples on there is one.
    int k = 1;
    double coefficient = 1; // C(n, j)
    double below = 0;       // P(heads < k), in units of 2^-n
    const double allowed = (1 - kConfidence) / 2 * std::pow(2.0, n);
    for (int j = 0; j + 1 < n / 2; ++j) {
        below += coefficient;
        coefficient = coefficient * (n - j) / (j + 1);
        if (below + coefficient > allowed)
            break;
        k = j + 2;
    }
    s.low = values.at(k - 1);
    s.high = values.at(n - k);
    return s;
}

enum class Verdict
{
    Met,
    Missed,
    Unjudged
};

// For a goal "at least Goal" (or "at most Goal" when AtMost).
Verdict judge(const Spread &s, double goal, bool atMost = false)
{
    if (atMost ? s.high <= goal : s.low >= goal)
        return Verdict::Met;
    if (atMost ? s.low > goal : s.high < goal)
        return Verdict::Missed;
    return Verdict::Unjudged;
}

const char *verdictText(Verdict v)
{
    switch (v) {
    case Verdict::Met:
        return "met";
    case Verdict::Missed:
        return "MISSED";
    case Verdict::Unjudged:
        return "cannot be judged";
    }
    return "";
}

QString spreadText(const Spread &s, double scale, int decimals, const char *unit = "")
{
    return QStringLiteral("%1%4 [%2-%3]")
        .arg(s.median * scale, 0, 'f', decimals)
        .arg(s.low * scale, 0, 'f', decimals)
        .arg(s.high * scale, 0, 'f', decimals)
        .arg(QLatin1String(unit));
}

struct Case
{
    QString label;
    qint64 fileSize;
    int count;
    int turns;              // per round
    int upTries, downTries; // per side and turn, the best kept
    QList<BenchFile> files;
    QList<double> linkUp, loopUp, linkDown, loopDown; // ns, turn by turn
};

Spread throughput(const Case &c, const QList<double> &times)
{
    QList<double> mibPerS;
    for (const double ns : times)
        mibPerS << double(c.fileSize * c.count) / kMiB / (ns / 1e9);
    return spreadOf(mibPerS);
}

// Turn by turn, the loop's time over the link's: the link's share of the loop's throughput, each
// side measured right beside the other.
Spread share(const QList<double> &link, const QList<double> &loop)
{
    QList<double> ratios;
    for (int i = 0; i < link.size(); ++i)
        ratios << loop.at(i) / link.at(i);
    return spreadOf(ratios);
}

// A side's time per byte in each round.
QList<double> perByte(const Case &c, QList<double> Case::*side)
{
    QList<double> values;
    for (int at = 0; at < (c.*side).size(); at += c.turns) {
        double sum = 0;
        for (int i = at; i < at + c.turns; ++i)
            sum += (c.*side).at(i);
        values << sum / double(c.fileSize * c.count * c.turns);
    }
    return values;
}

// Round by round, how the time per MiB grows from the small to the large case; with Base, over
// Base's own growth in the same round.
Spread growth(const Case &small, const Case &large, QList<double> Case::*side,
              QList<double> Case::*base = nullptr)
{
    const QList<double> smallSide = perByte(small, side), largeSide = perByte(large, side);
    QList<double> values;
    for (int i = 0; i < smallSide.size(); ++i) {
        double g = largeSide.at(i) / smallSide.at(i);
        if (base)
            g /= perByte(large, base).at(i) / perByte(small, base).at(i);
        values << g;
    }
    return spreadOf(values);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = BenchKit::intOption(app.arguments(), QStringLiteral("--rounds"), kDefaultRounds);
    if (rounds < kMinRounds) {
        std::fprintf(stderr, "velmora-linkbench: --rounds takes a count of at least %d\n", kMinRounds);
        return 2;
    }
    clock_.start();

    const BenchKit::Workspace work("velmora-linkbench", true);
    if (!work.isValid())
        return 2;

    QList<Case> cases{
        // Turns per round: short transfers take more, as one preemption can spoil a few milliseconds.
        {QStringLiteral("1 MiB"), kMiB, 1, 4, 3, 3, {}, {}, {}, {}, {}},
        {QStringLiteral("16 MiB"), 16 * kMiB, 1, 2, 1, 3, {}, {}, {}, {}, {}},
        {QStringLiteral("64 MiB"), 64 * kMiB, 1, 2, 1, 3, {}, {}, {}, {}, {}},
        {QStringLiteral("200 x 4 KiB"), 4096, 200, 3, 1, 3, {}, {}, {}, {}, {}},
    };
    int seed = 1;
    for (Case &c : cases) {
        for (int i = 0; i < c.count; ++i) {
            const QString name = c.count == 1
                                     ? QStringLiteral("bench_%1.bin").arg(c.fileSize / kMiB)
                                     : QStringLiteral("small_%1.bin").arg(i, 3, 10, QLatin1Char('0'));
            c.files << makeFile(name, c.fileSize, seed++);
        }
    }
    const Case &one = cases[0];
    const Case &largest = cases[2];

    const std::unique_ptr<BoardSimProcess> simulator =
        BenchKit::startSimulator("velmora-linkbench", 512 * kMiB, false, kSenderOptions);
    if (!simulator)
        return 2;
    const BoardSimProcess &sim = *simulator;
    std::printf("simulator on %s port %u%s; %d rounds; working directory %s\n",
                qPrintable(sim.host().toString()), unsigned(sim.port()),
                qPrintable(kSenderOptions.isEmpty()
                               ? QString()
                               : QLatin1Char(' ') + kSenderOptions.join(QLatin1Char(' '))),
                rounds, qPrintable(work.path()));

    FsManager link;
    LinkRecorder rec(link, LinkRecorder::Items::Ignored);
    link.usePcbIp(sim.host());
    link.setPcbPort(sim.port());
    link.connectToPcb();
    if (!rec.waitFor([&] { return rec.bigLists() > 0; }, 20000)) {
        std::fprintf(stderr, "the link did not connect in the big form\n");
        return 2;
    }
    LinkSide linkSide(link, rec);
    RawLoop loop(sim.port());

    // The peak memory of the link's largest transfers, with the allocator as the program has it.
    QList<qint64> peaks;
    for (int run = 0; run < kMemoryRuns; ++run) {
        qint64 peak = -1; // stays so where the peak cannot be read
        resetPeakRss();
        linkSide.upload(largest.files);
        peak = qMax(peak, peakRss());
        resetPeakRss();
        linkSide.download(largest.files);
        peaks << qMax(peak, peakRss());
    }

    keepFreedMemory();
    for (int round = -1; round < rounds; ++round) { // round -1 warms up
        for (Case &c : cases) {
            for (int turn = 0; turn < c.turns; ++turn) {
                const bool loopFirst = ((round + turn) & 1) == 0;
                // The board must hold the files before either side downloads them.
                const Best up = race(
                    c.upTries, loopFirst, [&] { return loop.upload(c.files); },
                    [&] { return linkSide.upload(c.files); });
                const Best down = race(
                    c.downTries, loopFirst, [&] { return loop.download(c.files); },
                    [&] { return linkSide.download(c.files); });
                const qint64 linkUp = up.link, loopUp = up.loop, linkDown = down.link, loopDown = down.loop;
                if (round >= 0) {
                    c.linkUp << double(linkUp);
                    c.loopUp << double(loopUp);
                    c.linkDown << double(linkDown);
                    c.loopDown << double(loopDown);
                }
            }
        }
        if (round >= 0)
            std::fprintf(stderr, "round %d of %d done\n", round + 1, rounds);
    }

    std::printf("\nMiB/s: median [spread, the range that holds the median with %.0f%% confidence]\n",
                kConfidence * 100);
    std::printf("%-17s %-5s %-24s %-24s %-20s %-20s %s\n", "case", "dir", "link", "loop", "link/loop",
                "link >= 80% of loop", "down link >= 95% of loop");
    // A goal's tally over the rows it judges.
    struct Goal
    {
        double ratio;
        bool missed = false;
        int judged = 0;
        int rows = 0;

        Verdict add(const Spread &linkShare)
        {
            const Verdict v = judge(linkShare, ratio);
            missed = missed || v == Verdict::Missed;
            judged += v == Verdict::Unjudged ? 0 : 1;
            ++rows;
            return v;
        }
        void print(const char *what) const
        {
            std::printf("goal: %s >= %.0f%% of the minimal loop: judged in %d of %d rows, %s\n", what,
                        ratio * 100, judged, rows, missed ? "MISSED in a row" : "missed in none");
        }
    };
    Goal every{kMinRatio};
    Goal downs{kMinDownRatio};
    for (const Case &c : cases) {
        const struct
        {
            const char *dir;
            const QList<double> &link, &loop;
            Goal *own; // the goal of this direction alone, if any
        } sides[] = {{"up", c.linkUp, c.loopUp, nullptr}, {"down", c.linkDown, c.loopDown, &downs}};
        for (const auto &side : sides) {
            const Spread linkShare = share(side.link, side.loop);
            const Verdict v = every.add(linkShare);
            std::printf("%-17s %-5s %-24s %-24s %-20s %-20s %s\n", qPrintable(c.label), side.dir,
                        qPrintable(spreadText(throughput(c, side.link), 1, 1)),
                        qPrintable(spreadText(throughput(c, side.loop), 1, 1)),
                        qPrintable(spreadText(linkShare, 100, 0, "%")), verdictText(v),
                        side.own ? verdictText(side.own->add(linkShare)) : "-");
        }
    }
    std::printf("\n");
    every.print("link");
    downs.print("down link");
    bool missed = every.missed || downs.missed;

    const struct
    {
        const char *dir;
        QList<double> Case::*link;
        QList<double> Case::*loop;
    } directions[] = {{"up", &Case::linkUp, &Case::loopUp}, {"down", &Case::linkDown, &Case::loopDown}};
    for (const auto &d : directions) {
        const Spread relative = growth(one, largest, d.link, d.loop);
        const Verdict v = judge(relative, kMaxGrowth, true);
        missed = missed || v == Verdict::Missed;
        std::printf("goal: %-4s link's time per MiB, 64 MiB against 1 MiB, over the loop's: x%s (<= x%.2f): "
                    "%s\n",
                    d.dir, qPrintable(spreadText(relative, 1, 2)), kMaxGrowth, verdictText(v));
        std::printf("      the link's own growth x%s, the loop's x%s\n",
                    qPrintable(spreadText(growth(one, largest, d.link), 1, 2)),
                    qPrintable(spreadText(growth(one, largest, d.loop), 1, 2)));
    }

    // Memory is a worst case: judged on every run, not on a median.
    const auto range = std::minmax_element(peaks.cbegin(), peaks.cend());
    const qint64 limit = qint64(kMaxPeakFactor * double(largest.fileSize));
    const Verdict peakVerdict = *range.first < 0        ? Verdict::Unjudged
                                : *range.second < limit ? Verdict::Met
                                : *range.first >= limit ? Verdict::Missed
                                                        : Verdict::Unjudged;
    missed = missed || peakVerdict == Verdict::Missed;
    std::printf(
        "goal: peak memory during the link's 64 MiB transfers %.1f-%.1f MiB in %d runs < %.0f x %lld MiB: "
        "%s\n",
        double(*range.first) / kMiB, double(*range.second) / kMiB, int(peaks.size()), kMaxPeakFactor,
        largest.fileSize / kMiB, verdictText(peakVerdict));
    return missed ? 1 : 0;
}
