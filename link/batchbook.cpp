#include "batchbook.h"

#include "pcbprotocol.h"

#include <QCoreApplication>
#include <utility>

using namespace PcbProtocol;

namespace {

// The texts are the link's own, shown by the window as they come.
QString linkText(const char *text)
{
    return QCoreApplication::translate("FsManager", text);
}

uint percentOf(qint64 done, qint64 total)
{
    return static_cast<uint>(qMax<qint64>(done, 0) * 100 / total);
}

} // namespace

BatchBook::Outcome BatchBook::statusOutcome(const uint8_t *payload, uint size)
{
    // An empty reply counts as a network error.
    if (size == 0)
        return NetworkError;
    switch (payload[0]) {
    case kStatusOk:
        return ItemDone;
    case kStatusNetworkError:
        return NetworkError;
    case kStatusSecondError:
        return SecondError;
    default:
        return OtherStatus;
    }
}

QString BatchBook::startedText(int command)
{
    switch (command) {
    case CmdWriteFile:
        return linkText("Отправка файлов...");
    case CmdDeleteFile:
        return linkText("Удаление файла...");
    case CmdGetFile:
        return linkText("Получение файлов...");
    default:
        return QString();
    }
}

QString BatchBook::okText(int command)
{
    // Only the download's passes through translation.
    return command == CmdGetFile ? linkText("Ok") : QStringLiteral("Ok");
}

BatchBook::Failure BatchBook::failure(int command, Outcome outcome)
{
    if (outcome == SecondError) {
        if (command == CmdWriteFile)
            return {true, ResultNoMemory, linkText("Не хватает памяти на контроллере!")};
        return {true, ResultNoSuchFile, linkText("Файл не существует!")};
    }
    return {outcome != OtherStatus, ResultNetworkError, linkText("Ошибка сети!")};
}

void BatchBook::addRecords(const QList<QByteArray> &records, qint64 bytes)
{
    uploadQueue.append(records);
    uploadTotal += static_cast<uint32_t>(bytes);
    uploadPending += bytes;
}

bool BatchBook::addDeletions(const QStringList &names)
{
    QList<QByteArray> call;
    for (const QString &name : names) {
        const QByteArray bytes = boardFileName(name);
        if (!bytes.isEmpty())
            call.append(bytes);
    }
    if (call.isEmpty())
        return false;
    deleteQueue.append(call);
    deleteTotal += static_cast<uint32_t>(call.size());
    return true;
}

bool BatchBook::addDownloads(const QMap<QString, uint> &names)
{
    QMap<QByteArray, uint> call;
    uint32_t callTotal = 0;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        const QByteArray bytes = boardFileName(it.key());
        if (bytes.isEmpty())
            continue;
        call.insert(bytes, it.value());
        callTotal += it.value();
    }
    if (call.isEmpty())
        return false;
    for (auto it = call.cbegin(); it != call.cend(); ++it) {
        downloadQueue.insert(it.key(), it.value());
        downloadLeft += it.value();
    }
    downloadTotal += callTotal;
    return true;
}

bool BatchBook::hasQueued(int command) const
{
    switch (command) {
    case CmdWriteFile:
        return !uploadQueue.isEmpty();
    case CmdDeleteFile:
        return !deleteQueue.isEmpty();
    case CmdGetFile:
        return !downloadQueue.isEmpty();
    default:
        return false;
    }
}

bool BatchBook::progress(int command, uint &percent) const
{
    uint32_t total = 0;
    qint64 left = 0;
    switch (command) {
    case CmdWriteFile:
        total = uploadTotal;
        left = uploadPending;
        break;
    case CmdDeleteFile:
        total = deleteTotal;
        left = deleteQueue.size();
        break;
    case CmdGetFile:
        total = downloadTotal;
        left = downloadLeft;
        break;
    default:
        break;
    }
    if (total == 0)
        return false;
    percent = percentOf(qint64(total) - left, total);
    return true;
}

QByteArray BatchBook::nextPiece(bool &endsRecord) const
{
    const QByteArray &record = uploadQueue.first();
    const int size = qMin(kUploadPieceSize, record.size() - uploadOffset);
    endsRecord = uploadOffset + size >= record.size();
    return QByteArray::fromRawData(record.constData() + uploadOffset, size);
}

void BatchBook::pieceWritten(qint64 bytes)
{
    uploadOffset += static_cast<int>(bytes);
    uploadPending -= bytes;
}

bool BatchBook::recordSent() const
{
    return uploadOffset >= uploadQueue.first().size();
}

QByteArray BatchBook::takeName(int command)
{
    if (command == CmdDeleteFile && !deleteQueue.isEmpty())
        return deleteQueue.takeFirst();
    if (command == CmdGetFile && !downloadQueue.isEmpty()) {
        // The first name's entries lead the queue.
        const QByteArray name = downloadQueue.firstKey();
        for (auto it = downloadQueue.begin(); it != downloadQueue.end() && it.key() == name;) {
            downloadLeft -= it.value();
            it = downloadQueue.erase(it);
        }
        return name;
    }
    return QByteArray();
}

bool BatchBook::itemDone(int command, const QString &name, QByteArray content)
{
    if (command == CmdWriteFile) {
        if (uploadQueue.isEmpty() || !recordSent())
            return false;
        uploadQueue.removeFirst();
        uploadOffset = 0;
    } else if (command == CmdGetFile && !name.isEmpty()) {
        received.insert(name, std::move(content));
    }
    return true;
}

void BatchBook::clear(int command)
{
    switch (command) {
    case CmdWriteFile:
        uploadQueue.clear();
        uploadOffset = 0;
        uploadPending = 0;
        uploadTotal = 0;
        break;
    case CmdDeleteFile:
        deleteQueue.clear();
        deleteTotal = 0;
        break;
    case CmdGetFile:
        downloadQueue.clear();
        downloadLeft = 0;
        received.clear();
        downloadTotal = 0;
        break;
    default:
        break;
    }
}

void BatchBook::clearAll()
{
    clear(CmdWriteFile);
    clear(CmdDeleteFile);
    clear(CmdGetFile);
}
