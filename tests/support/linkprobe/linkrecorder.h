#pragma once

#include "pcbtypes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class FsManager;
class QEventLoop;

// Records everything a link tells, for tests and benchmarks:
//
//   LinkRecorder rec(link);
//   link.deleteFiles({"a.bin"});
//   QTRY_COMPARE(rec.deleted, QStringList{"Ok"});
//   QCOMPARE(rec.outcomes(), (QStringList{"deleted Ok", "result 3 0 Ok"}));
//
// Each signal lands in a list of its own. Every signal but progressUpdated also adds a line to
// one log, with the time it came, so that a test can check the order and a benchmark the timing;
// progress only costs an append, as an upload reports it for every piece.
class LinkRecorder
{
public:
    struct File
    {
        QString name; // up to the first zero byte of the 52-byte field
        quint32 modifyTime = 0;
        quint32 address = 0;
        quint32 size = 0;
        quint16 blockNumber = 0;
    };
    struct Table
    {
        bool big = false; // came through listfilesReady_big
        quint32 allMemory = 0;
        quint32 memoryUsed = 0;
        QList<File> files;
    };
    struct Item
    {
        int command = 0;
        QString name;
        QByteArray content;
    };

    // Whether each batchItemDone is recorded. A benchmark that times whole batches ignores them:
    // recording one costs the link's side a log line and a turn of the waiting loop per file,
    // work that the link itself does not do.
    enum class Items
    {
        Recorded,
        Ignored
    };

    explicit LinkRecorder(FsManager &link, Items items = Items::Recorded);
    ~LinkRecorder();
    LinkRecorder(const LinkRecorder &) = delete;
    LinkRecorder &operator=(const LinkRecorder &) = delete;

    QList<int> states;
    QStringList errors;
    QStringList started;
    QList<uint> progress;
    QList<Table> tables;  // small and big form, in the order they came
    QStringList sent;     // texts of filesSendingIsFinished
    QStringList deleted;  // of fileDeletingIsFinished
    QStringList received; // of filesRecievingIsFinished, whose files go to receivedFiles
    QList<QMap<QString, QByteArray>> receivedFiles;
    QStringList results; // requestFinished as "command result text"
    QList<Item> items;   // batchItemDone, unless ignored

    // One line per signal: "state 1", "error T", "started T", "list small N" or "list big N" (N
    // files), "sent T", "deleted T", "received T", "result C R T", "item C NAME".
    QStringList log;
    // The lines of the log that tell how things ended: state, error, the three batch ends, result.
    QStringList outcomes() const;

    int smallLists() const;
    int bigLists() const;
    // The file of that name in the last table; null when there is none.
    const File *lastListed(const QString &name) const;

    // Nanoseconds since the recorder was made: now, and when the first log line since the last
    // clear() that starts with Prefix came (-1 if none did).
    qint64 elapsedNs() const { return clock.nsecsElapsed(); }
    qint64 firstNs(const QString &prefix) const;

    // Runs the event loop until Done holds or TimeoutMs have passed; Done is checked again after
    // every signal but progress. Returns Done. Unlike QTest's waits it never sleeps, so a benchmark
    // can wait on the link without slowing it down.
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    // Forgets everything recorded, so that nothing is held from one step to the next; the clock
    // runs on.
    void clear();

private:
    void note(const QString &line);

    QObject context; // the connections end with the recorder
    QList<qint64> logNs;
    QElapsedTimer clock;
    QEventLoop *waiting = nullptr;
};
