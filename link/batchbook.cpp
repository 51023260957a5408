#include "batchbook.h"

#include "commandtable.h"
#include "pcbprotocol.h"

#include <utility>

using namespace PcbProtocol;

bool Batch::progress(uint &percent) const
{
    if (total == 0)
        return false;
    const qint64 done = qint64(total) - left();
    percent = static_cast<uint>(qMax<qint64>(done, 0) * 100 / total);
    return true;
}

bool Batch::itemDone(const QString &name, QByteArray content)
{
    Q_UNUSED(name)
    Q_UNUSED(content)
    return true;
}

void UploadBatch::add(const QList<QByteArray> &added, qint64 bytes)
{
    records.append(added);
    total += static_cast<uint32_t>(bytes);
    pending += bytes;
}

QByteArray UploadBatch::nextPiece(bool &endsRecord) const
{
    const QByteArray &record = records.first();
    const int size = qMin(kUploadPieceSize, record.size() - offset);
    endsRecord = offset + size >= record.size();
    return QByteArray::fromRawData(record.constData() + offset, size);
}

void UploadBatch::pieceWritten(qint64 bytes)
{
    offset += static_cast<int>(bytes);
    pending -= bytes;
}

bool UploadBatch::recordSent() const
{
    return offset >= records.first().size();
}

bool UploadBatch::itemDone(const QString &name, QByteArray content)
{
    Q_UNUSED(name)
    Q_UNUSED(content)
    if (records.isEmpty() || !recordSent())
        return false;
    records.removeFirst();
    offset = 0;
    return true;
}

void UploadBatch::clear()
{
    records.clear();
    offset = 0;
    pending = 0;
    total = 0;
}

bool DeleteBatch::add(const QStringList &added)
{
    QList<QByteArray> call;
    for (const QString &name : added) {
        const QByteArray bytes = boardFileName(name);
        if (!bytes.isEmpty())
            call.append(bytes);
    }
    if (call.isEmpty())
        return false;
    names.append(call);
    total += static_cast<uint32_t>(call.size());
    return true;
}

QByteArray DeleteBatch::takeName()
{
    return names.isEmpty() ? QByteArray() : names.takeFirst();
}

void DeleteBatch::clear()
{
    names.clear();
    total = 0;
}

bool DownloadBatch::add(const QMap<QString, uint> &sizes)
{
    QMap<QByteArray, uint> call;
    uint32_t callTotal = 0;
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it) {
        const QByteArray bytes = boardFileName(it.key());
        if (bytes.isEmpty())
            continue;
        call.insert(bytes, it.value());
        callTotal += it.value();
    }
    if (call.isEmpty())
        return false;
    for (auto it = call.cbegin(); it != call.cend(); ++it) {
        names.insert(it.key(), it.value());
        sizesLeft += it.value();
    }
    total += callTotal;
    return true;
}

QByteArray DownloadBatch::takeName()
{
    if (names.isEmpty())
        return QByteArray();
    // The first name's entries lead the queue.
    const QByteArray name = names.firstKey();
    for (auto it = names.begin(); it != names.end() && it.key() == name;) {
        sizesLeft -= it.value();
        it = names.erase(it);
    }
    return name;
}

bool DownloadBatch::itemDone(const QString &name, QByteArray content)
{
    // Files are asked for smallest name first, so each one goes at the end, unless the board
    // answered with another name: the hint is then ignored.
    if (!name.isEmpty())
        received.insert(received.constEnd(), name, content);
    return true;
}

void DownloadBatch::clear()
{
    names.clear();
    sizesLeft = 0;
    received.clear();
    total = 0;
}

qint64 DownloadBatch::left() const
{
    return sizesLeft;
}

Batch *BatchBook::of(int command)
{
    const CommandRow *row = CommandRow::find(command);
    Batch *const kinds[] = {&upload, &deletion, &download};
    return row && row->batch != NoBatch ? kinds[row->batch] : nullptr;
}

void BatchBook::clearAll()
{
    upload.clear();
    deletion.clear();
    download.clear();
}
