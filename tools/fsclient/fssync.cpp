// velmora-fs sync: the board's files made equal to the regular files at the top of a folder,
// sending only what differs.
#include "fsclient.h"

#include "clikit.h"
#include "fsmanager.h"
#include "pcbprotocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <algorithm>
#include <array>
#include <cstring>

namespace fsclient {

namespace {

// Whether the file at Path holds Stored as the board keeps it: the same bytes, then up to three
// zero bytes to the whole word. Read in pieces: a run on many boards compares every file once per
// board, and a buffer of the whole file each time costs more than the comparing.
bool sameBytes(const QString &path, const QByteArray &stored)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::array<char, 65536> piece;
    qint64 at = 0;
    for (;;) {
        const qint64 got = file.read(piece.data(), qint64(piece.size()));
        if (got < 0 || at + got > stored.size())
            return false;
        if (got == 0)
            break;
        if (std::memcmp(piece.data(), stored.constData() + at, size_t(got)) != 0)
            return false;
        at += got;
    }
    return stored.size() - at < 4 &&
           std::all_of(stored.constBegin() + at, stored.constEnd(), [](char c) { return c == 0; });
}

} // namespace

using clikit::kFailure;
using clikit::kSuccess;
using clikit::kUsage;

bool FsClient::listFolder()
{
    const QString folder = options.arguments.first();
    if (!QFileInfo(folder).isDir()) {
        fail(QStringLiteral("не папка: %1").arg(folder), kUsage);
        return false;
    }
    const QFileInfoList files =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &file : files) {
        Item item;
        item.argument = file.filePath();
        item.name = file.fileName();
        item.padded = PcbProtocol::paddedLength(file.size());
        items << item;
    }
    return true;
}

void FsClient::syncFolder()
{
    const QHash<QString, qint64> sizes = boardSizes();
    QSet<QString> inFolder;
    for (Item &item : items) {
        inFolder.insert(item.name);
        item.stored = sizes.value(item.name, -1);
        // Only a board file of the very size the local one takes can hold the same bytes.
        if (item.stored < 0)
            item.change = Change::New;
        else if (item.stored != item.padded)
            item.change = Change::Changed;
    }
    if (options.prune) {
        for (const FileTable::Row &row : qAsConst(rows)) {
            if (inFolder.contains(row.name))
                continue;
            Item item;
            item.argument = row.name;
            item.name = row.name;
            item.change = Change::Deleted;
            item.stored = row.size;
            items << item;
        }
    }
    const QStringList refusals = syncRefusals();
    if (!refusals.isEmpty()) {
        fail(refusals.join(QLatin1Char('\n')), kFailure);
        return;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).change == Change::Unknown)
            batch << i;
    }
    if (batch.isEmpty()) {
        planSync();
        return;
    }
    comparing = true;
    startBatch(CmdGetFile);
}

QStringList FsClient::syncRefusals() const
{
    QStringList refusals = sizeRefusals();
    // Only the end state is checked: the deletions go first and the uploads that shrink a file
    // before those that grow one, so the room never runs shorter on the way.
    qint64 room = qint64(totals.total) - qint64(totals.used);
    for (const Item &item : items)
        room += qMax<qint64>(item.stored, 0) - (item.change == Change::Deleted ? 0 : item.padded);
    if (room < 0)
        refusals << QStringLiteral("Файлы не поместятся в память платы, не хватает байт: %1.").arg(-room);
    if (!refusals.isEmpty())
        refusals << cancelledText();
    return refusals;
}

void FsClient::compareReceived(Item &item, const QByteArray &content) const
{
    item.change = sameBytes(item.argument, content) ? Change::Equal : Change::Changed;
}

void FsClient::planSync()
{
    planned = true;
    QList<int> deletions;
    QList<int> uploads;
    for (int i = 0; i < items.size(); ++i) {
        Item &item = items[i];
        item.outcome = Outcome::NotDone;
        if (item.change == Change::Equal)
            item.outcome = Outcome::Done;
        else if (item.change == Change::Deleted)
            deletions << i;
        else
            uploads << i;
    }
    std::stable_sort(uploads.begin(), uploads.end(), [this](int a, int b) {
        const auto growth = [this](int i) {
            return items.at(i).padded - qMax<qint64>(items.at(i).stored, 0);
        };
        return growth(a) < growth(b);
    });
    if (!deletions.isEmpty())
        queued.append({CmdDeleteFile, deletions});
    if (!uploads.isEmpty())
        queued.append({CmdWriteFile, uploads});
    if (options.dryRun) {
        endRun(kSuccess);
        return;
    }
    startNextBatch();
}

void FsClient::startNextBatch()
{
    if (queued.isEmpty()) {
        endRun(kSuccess);
        return;
    }
    const QPair<int, QList<int>> next = queued.takeFirst();
    batch = next.second;
    startBatch(next.first);
}

bool FsClient::boardMatches() const
{
    if (!planned)
        return false;
    if (options.dryRun)
        return true;
    return std::all_of(items.cbegin(), items.cend(),
                       [](const Item &item) { return item.outcome == Outcome::Done; });
}

namespace {

const char *changeMark(int change)
{
    static const char *const marks[] = {"?", "+", "~", "-", "="};
    return marks[change];
}

const char *changeWord(int change)
{
    static const char *const words[] = {"unknown", "new", "changed", "deleted", "equal"};
    return words[change];
}

} // namespace

void FsClient::printSync()
{
    // A dry run tells the plan; a run, what it changed. What it could not change goes to stderr.
    QString lines;
    QJsonArray files;
    QStringList differing;
    // A dry run's board matches when nothing is to change.
    bool matches = planned;
    for (const Item &item : qAsConst(items)) {
        const bool done = item.outcome == Outcome::Done && !options.dryRun;
        matches = matches && (options.dryRun ? item.change == Change::Equal : item.outcome == Outcome::Done);
        files.append(QJsonObject{{QStringLiteral("name"), item.name},
                                 {QStringLiteral("change"), QLatin1String(changeWord(int(item.change)))},
                                 {QStringLiteral("done"), done}});
        if (!planned)
            continue;
        if (!options.dryRun && item.outcome != Outcome::Done) {
            differing << quoted(item.name);
            continue;
        }
        if (item.change != Change::Equal || options.verbose)
            lines += QLatin1String(changeMark(int(item.change))) + QLatin1Char(' ') + item.name +
                     QLatin1Char('\n');
    }
    if (!differing.isEmpty())
        err.writeLines(QStringLiteral("Плата не совпадает с папкой, файлы: %1")
                           .arg(differing.join(QStringLiteral(", "))));
    if (options.json) {
        emitDocument(QJsonObject{{QStringLiteral("dryRun"), options.dryRun},
                                 {QStringLiteral("matches"), matches},
                                 {QStringLiteral("files"), files}});
        return;
    }
    out.write(lines);
}

void FsClient::emitDocument(const QJsonObject &document)
{
    if (options.oneOfMany)
        json = document;
    else
        out.write(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented)));
}

} // namespace fsclient
