#include "linkrecorder.h"

#include "fsmanager.h"

#include <QEventLoop>
#include <QTimer>

namespace {

template <typename Entry>
LinkRecorder::Table tableOf(const QList<Entry> &entries, bool big, quint32 all, quint32 used)
{
    LinkRecorder::Table table;
    table.big = big;
    table.allMemory = all;
    table.memoryUsed = used;
    for (const Entry &e : entries)
        table.files.append({QString::fromLatin1(e.name, int(qstrnlen(e.name, sizeof e.name))), e.modifyTime,
                            e.address, quint32(e.size), e.blockNumber});
    return table;
}

} // namespace

LinkRecorder::LinkRecorder(FsManager &link, Items itemsRecorded)
{
    clock.start();
    QObject::connect(&link, &FsManager::connectionStateIsUpdated, &context, [this](int state) {
        states << state;
        note(QStringLiteral("state %1").arg(state));
    });
    QObject::connect(&link, &FsManager::errorOccured, &context, [this](const QString &text) {
        errors << text;
        note(QStringLiteral("error ") + text);
    });
    QObject::connect(&link, &FsManager::startedRunCommand, &context, [this](const QString &text) {
        started << text;
        note(QStringLiteral("started ") + text);
    });
    QObject::connect(&link, &FsManager::progressUpdated, &context,
                     [this](uint percent) { progress << percent; });
    QObject::connect(&link, &FsManager::listfilesReady, &context,
                     [this](const QList<FstEntry> &files, uint32_t all, uint32_t used) {
                         tables << tableOf(files, false, all, used);
                         note(QStringLiteral("list small %1").arg(files.size()));
                     });
    QObject::connect(&link, &FsManager::listfilesReady_big, &context,
                     [this](const QList<FstEntry_big> &files, uint32_t all, uint32_t used) {
                         tables << tableOf(files, true, all, used);
                         note(QStringLiteral("list big %1").arg(files.size()));
                     });
    QObject::connect(&link, &FsManager::filesSendingIsFinished, &context, [this](const QString &text) {
        sent << text;
        note(QStringLiteral("sent ") + text);
    });
    QObject::connect(&link, &FsManager::fileDeletingIsFinished, &context, [this](const QString &text) {
        deleted << text;
        note(QStringLiteral("deleted ") + text);
    });
    QObject::connect(&link, &FsManager::filesRecievingIsFinished, &context,
                     [this](const QMap<QString, QByteArray> &files, const QString &text) {
                         receivedFiles << files;
                         received << text;
                         note(QStringLiteral("received ") + text);
                     });
    QObject::connect(&link, &FsManager::requestFinished, &context,
                     [this](int command, int result, const QString &text) {
                         results << QStringLiteral("%1 %2 %3").arg(command).arg(result).arg(text);
                         note(QStringLiteral("result ") + results.last());
                     });
    if (itemsRecorded == Items::Recorded) {
        QObject::connect(&link, &FsManager::batchItemDone, &context,
                         [this](int command, const QString &name, const QByteArray &content) {
                             items.append({command, name, content});
                             // Glued rather than formatted: a download of many files logs one per file.
                             note(QLatin1String("item ") + QString::number(command) + QLatin1Char(' ') +
                                  name);
                         });
    }
}

LinkRecorder::~LinkRecorder() = default;

void LinkRecorder::note(const QString &line)
{
    log << line;
    logNs << clock.nsecsElapsed();
    if (waiting)
        waiting->quit();
}

QStringList LinkRecorder::outcomes() const
{
    static const QStringList kinds{"state ", "error ", "sent ", "deleted ", "received ", "result "};
    QStringList lines;
    for (const QString &line : log) {
        for (const QString &kind : kinds) {
            if (line.startsWith(kind)) {
                lines << line;
                break;
            }
        }
    }
    return lines;
}

int LinkRecorder::smallLists() const
{
    int count = 0;
    for (const Table &table : tables)
        count += table.big ? 0 : 1;
    return count;
}

int LinkRecorder::bigLists() const
{
    return tables.size() - smallLists();
}

const LinkRecorder::File *LinkRecorder::lastListed(const QString &name) const
{
    if (tables.isEmpty())
        return nullptr;
    for (const File &file : tables.last().files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

qint64 LinkRecorder::firstNs(const QString &prefix) const
{
    for (int i = 0; i < log.size(); ++i) {
        if (log.at(i).startsWith(prefix))
            return logNs.at(i);
    }
    return -1;
}

bool LinkRecorder::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
    QEventLoop *const outer = waiting;
    waiting = &loop;
    while (!done() && limit.isActive())
        loop.exec();
    waiting = outer;
    return done();
}

void LinkRecorder::clear()
{
    states.clear();
    errors.clear();
    started.clear();
    progress.clear();
    tables.clear();
    sent.clear();
    deleted.clear();
    received.clear();
    receivedFiles.clear();
    results.clear();
    items.clear();
    log.clear();
    logNs.clear();
}
