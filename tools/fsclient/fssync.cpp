// velmora-fs sync: the board's files made equal to the regular files at the top of a folder,
// sending only what differs.
#include "fsrunner.h"

#include "clikit.h"
#include "fsclient.h"
#include "fstexts.h"
#include "syncstate.h"
#include "uploadchecks.h"
#include "uploadrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
#include <algorithm>

namespace fsclient {

namespace {

using clikit::kFailure;
using clikit::kSuccess;
using clikit::kUsage;

// What sync does to a file; Unknown until it was compared.
enum class Change
{
    Unknown,
    New,
    Changed,
    Deleted,
    Equal,
};

const char *changeMark(Change change)
{
    static const char *const marks[] = {"?", "+", "~", "-", "="};
    return marks[int(change)];
}

const char *changeWord(Change change)
{
    static const char *const words[] = {"unknown", "new", "changed", "deleted", "equal"};
    return words[int(change)];
}

// How an equal file was taken as equal: by the record of the last sync or by its bytes.
enum class EqualBy
{
    Record,
    Bytes,
};

class SyncRunner final : public Runner
{
public:
    using Runner::Runner;

    // The folder's files as the items, and their names and kinds checked before connecting.
    bool prepare() override
    {
        const QString folder = client.options().arguments.first();
        if (!QFileInfo(folder).isDir()) {
            client.fail(Texts::tr("не папка: %1").arg(folder), kUsage);
            return false;
        }
        const QFileInfoList found =
            QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &file : found) {
            add({file.filePath(), file.fileName()},
                {Change::Unknown, file.size(), -1, syncstate::localFile(file.filePath())});
        }
        return refuseAny(uploadchecks::localRefusals(client.items()));
    }

    // Tells each file's change where the sizes or the record of the last sync tell it, checks the
    // plan, and fetches the other board files of the same stored size to compare them.
    void run() override
    {
        if (!client.options().noState)
            statePath = syncstate::pathFor(client.boardAddress());
        firstRows = client.rows();
        const QHash<QString, qint64> sizes = client.boardSizes();
        QSet<QString> inFolder;
        for (int i = 0; i < entries.size(); ++i) {
            Entry &entry = entries[i];
            const QString &name = client.items().at(i).name;
            inFolder.insert(name);
            entry.stored = sizes.value(name, -1);
            // Only a board file of the very size the local one takes can hold the same bytes.
            if (entry.stored < 0)
                entry.change = Change::New;
            else if (entry.stored != UploadRules::storedSize(entry.size))
                entry.change = Change::Changed;
        }
        if (client.options().prune) {
            for (const FileTable::Row &row : client.rows()) {
                if (!inFolder.contains(row.name))
                    add({row.name, row.name}, {Change::Deleted, 0, qint64(row.size), {}, EqualBy::Bytes});
            }
        }
        judgeByRecord();
        if (!refuseAny(refusals()))
            return;
        QList<int> batch;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).change == Change::Unknown)
                batch << i;
        }
        if (batch.isEmpty()) {
            plan();
            return;
        }
        comparing = true;
        client.startBatch(CmdGetFile, batch);
    }

    void itemDone(int index, const QString &name, const QByteArray &content) override
    {
        if (!comparing) {
            Runner::itemDone(index, name, content);
            return;
        }
        Entry &entry = entries[index];
        entry.change = syncstate::sameBytes(client.items().at(index).argument, content, &entry.local.sha256)
                           ? Change::Equal
                           : Change::Changed;
    }

    void batchEnded(bool completed) override
    {
        if (relisting) {
            relisting = false;
            if (completed)
                record(client.rows());
            else
                stateNotSaved(Texts::tr("таблица файлов платы не прочитана"));
            client.endRun(kSuccess);
        } else if (!completed) {
            client.endRun(kFailure);
        } else if (comparing) {
            comparing = false;
            plan();
        } else {
            startNextBatch();
        }
    }

    // The writes are done when the table read to record them is cut off: the board matches.
    void connectionLost() override { listLost = relisting; }

    // The plan or the result, unless the folder could not be read; a failure unless the board
    // matches the folder.
    int finish(int exitCode) override
    {
        if (listLost)
            exitCode = kSuccess;
        if (exitCode != kUsage)
            print();
        if (exitCode == kSuccess && !boardMatches())
            exitCode = kFailure;
        return exitCode;
    }

private:
    // What sync alone knows of each item, at the same index.
    struct Entry
    {
        Change change = Change::Unknown;
        qint64 size = 0;            // the local file's size
        qint64 stored = -1;         // the size of the board's file of that name; -1: none
        syncstate::LocalFile local; // as found before connecting; the digest once known
        EqualBy by = EqualBy::Bytes;
    };

    void add(const FileItem &item, const Entry &entry)
    {
        client.items() << item;
        entries << entry;
    }

    bool refuseAny(const QStringList &refusals)
    {
        return Runner::refuseAny(refusals, Texts::tr("Синхронизация отменена: ничего не изменено."));
    }

    QStringList refusals()
    {
        QList<UploadRules::Change> changes;
        for (int i = 0; i < entries.size(); ++i)
            changes.append(
                {client.items().at(i).name, entries.at(i).size, entries.at(i).change == Change::Deleted});
        return uploadchecks::roomRefusals(client, changes, uploadchecks::RoomCheck::EndState);
    }

    void plan()
    {
        planned = true;
        QList<int> deletions;
        QList<int> uploads;
        QList<FileItem> &items = client.items();
        for (int i = 0; i < items.size(); ++i) {
            items[i].outcome = Outcome::NotDone;
            if (entries.at(i).change == Change::Equal)
                items[i].outcome = Outcome::Done;
            else if (entries.at(i).change == Change::Deleted)
                deletions << i;
            else
                uploads << i;
        }
        std::stable_sort(uploads.begin(), uploads.end(), [this](int a, int b) {
            const auto growth = [this](int i) {
                return UploadRules::storedSize(entries.at(i).size) - qMax<qint64>(entries.at(i).stored, 0);
            };
            return growth(a) < growth(b);
        });
        if (!deletions.isEmpty())
            queued.append({CmdDeleteFile, deletions});
        if (!uploads.isEmpty())
            queued.append({CmdWriteFile, uploads});
        if (client.options().dryRun) {
            client.endRun(kSuccess);
            return;
        }
        startNextBatch();
    }

    void startNextBatch()
    {
        if (queued.isEmpty()) {
            // The record is made from the table as the board lists it after the run's own writes.
            if (client.mayHaveChangedBoard() && recording()) {
                relisting = true;
                client.listAgain();
                return;
            }
            record(firstRows);
            client.endRun(kSuccess);
            return;
        }
        const QPair<int, QList<int>> next = queued.takeFirst();
        client.startBatch(next.first, next.second);
    }

    bool boardMatches() const
    {
        if (!planned)
            return false;
        if (client.options().dryRun)
            return true;
        return std::all_of(client.items().cbegin(), client.items().cend(),
                           [](const FileItem &item) { return item.outcome == Outcome::Done; });
    }

    // A dry run tells the plan; a run, what it changed. What it could not change goes to stderr.
    void print()
    {
        const ClientOptions &options = client.options();
        QString lines;
        QJsonArray files;
        QStringList differing;
        // A dry run's board matches when nothing is to change.
        bool matches = planned;
        for (int i = 0; i < entries.size(); ++i) {
            const FileItem &item = client.items().at(i);
            const Change change = entries.at(i).change;
            const bool done = item.outcome == Outcome::Done && !options.dryRun;
            matches = matches && (options.dryRun ? change == Change::Equal : item.outcome == Outcome::Done);
            const bool byRecord = entries.at(i).by == EqualBy::Record;
            QJsonObject file{{QStringLiteral("name"), item.name},
                             {QStringLiteral("change"), QLatin1String(changeWord(change))},
                             {QStringLiteral("done"), done}};
            if (change == Change::Equal)
                file.insert(QStringLiteral("by"),
                            byRecord ? QStringLiteral("record") : QStringLiteral("bytes"));
            files.append(file);
            if (!planned)
                continue;
            if (!options.dryRun && item.outcome != Outcome::Done) {
                differing << quoted(item.name);
                continue;
            }
            if (change == Change::Equal && options.verbose)
                lines += QStringLiteral("= %1\t%2\n")
                             .arg(item.name, byRecord ? Texts::tr("по записи") : Texts::tr("по содержимому"));
            else if (change != Change::Equal)
                lines += QLatin1String(changeMark(change)) + QLatin1Char(' ') + item.name + QLatin1Char('\n');
        }
        if (!differing.isEmpty())
            client.err().writeLines(Texts::tr("Плата не совпадает с папкой, файлы: %1")
                                        .arg(differing.join(QStringLiteral(", "))));
        if (options.json) {
            client.emitDocument(QJsonObject{{QStringLiteral("dryRun"), options.dryRun},
                                            {QStringLiteral("matches"), matches},
                                            {QStringLiteral("files"), files}});
            return;
        }
        client.out().write(lines);
    }

    // The record of the last sync decides the board files of the fitting size it can: equal or
    // changed without a download. --checksum and --no-state read none.
    void judgeByRecord()
    {
        const ClientOptions &options = client.options();
        if (statePath.isEmpty() || options.checksum)
            return;
        syncstate::State state;
        QString why;
        if (!syncstate::load(statePath, client.boardAddress(), &state, &why)) {
            client.err().writeLines(
                Texts::tr("запись о прошлой синхронизации не принята (%1: %2); файлы сравниваются "
                          "по содержимому")
                    .arg(statePath, why));
            return;
        }
        QHash<QString, syncstate::BoardEntry> listed;
        for (const FileTable::Row &row : qAsConst(firstRows))
            listed.insert(row.name, syncstate::entryOf(row));
        for (int i = 0; i < entries.size(); ++i) {
            Entry &entry = entries[i];
            const auto recorded = state.files.constFind(client.items().at(i).name);
            if (entry.change != Change::Unknown || recorded == state.files.constEnd())
                continue;
            const syncstate::Verdict verdict =
                syncstate::judge(&recorded.value(), listed.value(recorded.key()), entry.local,
                                 [&entry] { return entry.local.sha256 = syncstate::sha256Of(entry.local); });
            if (verdict == syncstate::Verdict::Changed) {
                entry.change = Change::Changed;
            } else if (verdict == syncstate::Verdict::Equal) {
                entry.change = Change::Equal;
                entry.by = EqualBy::Record;
                entry.local.sha256 = recorded.value().local.sha256;
            }
        }
    }

    // Whether the run, which leaves the board matching the folder, records it.
    bool recording() const { return !statePath.isEmpty() && boardMatches(); }

    // Records the folder's files with their entries in Rows.
    void record(const QList<FileTable::Row> &rows)
    {
        if (!recording())
            return;
        QHash<QString, syncstate::LocalFile> found;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).change != Change::Deleted)
                found.insert(client.items().at(i).name, entries.at(i).local);
        }
        const QString error =
            syncstate::save(statePath, syncstate::stateAfter(client.boardAddress(), rows, found));
        if (!error.isEmpty())
            stateNotSaved(QStringLiteral("%1: %2").arg(statePath, error));
    }

    void stateNotSaved(const QString &why)
    {
        client.err().writeLines(Texts::tr("запись о синхронизации не сохранена: %1").arg(why));
    }

    QList<Entry> entries;                 // one per item
    bool planned = false;                 // every file compared and the plan made
    bool comparing = false;               // the batch under way fetches board files to compare
    QList<QPair<int, QList<int>>> queued; // the batches still to run, each the link's command and its items
    QString statePath;                    // the board's state file; empty: none read or written
    QList<FileTable::Row> firstRows;      // the board's table as the run found it
    bool relisting = false;               // the table is read again after the writes, to record it
    bool listLost = false;                // the connection ended while it was
};

} // namespace

std::unique_ptr<Runner> makeSyncRunner(FsClient &client)
{
    return std::make_unique<SyncRunner>(client);
}

} // namespace fsclient
