#include "fsmanager.h"

#include "addressstore.h"
#include "commandtable.h"
#include "pcbprotocol.h"
#include "uploadrecord.h"
#include "uploadrules.h"

#include <QTcpSocket>
#include <QTimerEvent>
#include <cmath>
#include <limits>
#include <utility>

using namespace PcbProtocol;

namespace {

// The link's own pace; each command's time limit is in its row of the command table.
constexpr int kQueueTickMs = 100;
constexpr int kKeepAliveMs = 3000;
constexpr int kConnectTimeoutMs = 5000;

} // namespace

FsManager::FsManager(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<QList<FstEntry>>("QList<FstEntry>");
    qRegisterMetaType<QList<FstEntry_big>>("QList<FstEntry_big>");
    qRegisterMetaType<uint32_t>("uint32_t");
    qRegisterMetaType<QMap<QString, QByteArray>>("QMap<QString,QByteArray>");
    qRegisterMetaType<QMap<QString, uint>>("QMap<QString,uint>");

    pcbAddress = AddressStore::load();
    // A downloaded file is handed on in the buffer it was received in.
    replies.setContentApart(true);
    responseClock.start();
}

FsManager::~FsManager()
{
    // The socket is a child and goes with the QObject base; its teardown must not call back
    // into a link whose members are already gone.
    if (socket)
        disconnect(socket, nullptr, this, nullptr);
}

bool FsManager::isConnected() const
{
    return socket && socket->isOpen();
}

void FsManager::setTimeScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    timeScaleFactor = scale;
    // The periodic timers take the new pace at once; a running deadline keeps its end.
    if (queueTimerId != -1) {
        stopTimer(queueTimerId);
        queueTimerId = startScaledTimer(kQueueTickMs);
    }
    if (keepAliveTimerId != -1) {
        stopTimer(keepAliveTimerId);
        keepAliveTimerId = startScaledTimer(kKeepAliveMs);
    }
}

QString FsManager::defaultPcbAddress()
{
    return AddressStore::defaultAddress();
}

QHostAddress FsManager::getPcbIp()
{
    return pcbAddress;
}

uint16_t FsManager::getPcbPort()
{
    return pcbPort;
}

void FsManager::setPcbIp(QHostAddress PcbIp)
{
    usePcbIp(PcbIp);
    AddressStore::save(PcbIp);
}

void FsManager::usePcbIp(QHostAddress PcbIp)
{
    pcbAddress = PcbIp;
}

void FsManager::setPcbPort(uint16_t PcbPort)
{
    pcbPort = PcbPort;
}

void FsManager::connectToPcb()
{
    if (socket)
        return;
    socket = new QTcpSocket(this);
    socketError = QAbstractSocket::UnknownSocketError;
    connectionEnded = ConnectionNotEnded;
    connect(socket, &QTcpSocket::connected, this, &FsManager::pcbConnected);
    connect(socket, &QTcpSocket::disconnected, this, &FsManager::pcbDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &FsManager::pcbConnectionError);
    connect(socket, &QTcpSocket::readyRead, this, &FsManager::readFromPcb);
    connect(socket, &QTcpSocket::bytesWritten, this, &FsManager::writtenBytes);
    startResponseTimer(kConnectTimeoutMs);
    // May report a failure synchronously, which already releases the socket.
    socket->connectToHost(pcbAddress, pcbPort, QIODevice::ReadWrite);
}

void FsManager::disconnectFromPcb()
{
    if (socket)
        socket->abort();
}

void FsManager::getListFiles()
{
    if (isConnected())
        enqueueOnce(CmdListFiles);
}

void FsManager::writeFiles(QStringList PathList)
{
    if (!isConnected() || PathList.isEmpty())
        return;
    const bool big = bigMode;
    QList<QByteArray> records;
    qint64 callTotal = 0;
    for (const QString &path : qAsConst(PathList)) {
        QByteArray record;
        const UploadRules::Refusal refusal = UploadRecord::read(path, big, record);
        if (refusal != UploadRules::Refusal::None) {
            // Nothing of this call goes out; records of earlier calls stay queued.
            const QString text =
                tr("%1 Передача отменена!").arg(UploadRules::refusalText(refusal, path, big));
            emit errorOccured(text);
            emit requestFinished(CmdWriteFile, ResultFileRefused, text);
            return;
        }
        callTotal += record.size();
        records.append(record);
    }
    batches.uploads().add(records, callTotal);
    enqueueBatchCommand(CmdWriteFile);
}

void FsManager::deleteFiles(QStringList FileNameList)
{
    if (isConnected() && batches.deletions().add(FileNameList))
        enqueueBatchCommand(CmdDeleteFile);
}

void FsManager::getFiles(QMap<QString, uint> FileNameList)
{
    if (isConnected() && batches.downloads().add(FileNameList))
        enqueueBatchCommand(CmdGetFile);
}

void FsManager::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == queueTimerId) {
        if (!commandRunning && !commandQueue.isEmpty())
            runNextCommand();
    } else if (id == responseTimerId) {
        responseTimerFired();
    } else if (id == keepAliveTimerId) {
        enqueueOnce(CmdKeepAlive);
    } else {
        QObject::timerEvent(event);
    }
}

void FsManager::pcbConnected()
{
    if (!socket || !isCurrentSocketSignal())
        return;
    stopResponseTimer();
    lowDelay = false; // the system's default for a new connection
    if (keepAliveTimerId == -1)
        keepAliveTimerId = startScaledTimer(kKeepAliveMs);
    if (queueTimerId == -1)
        queueTimerId = startScaledTimer(kQueueTickMs);
    emit connectionStateIsUpdated(1);
    // Read the file table first thing, whatever is queued already.
    commandQueue.append(CmdListFiles);
}

void FsManager::pcbDisconnected()
{
    bigMode = false;
    // A socket released earlier reports its end late: it must not tear down a newer one.
    if (!socket || !isCurrentSocketSignal())
        return;
    connectionEnded = ConnectionClosed;
    releaseSocket();
    emit connectionStateIsUpdated(0);
    resetState();
}

void FsManager::pcbConnectionError(QAbstractSocket::SocketError error)
{
    if (!socket || !isCurrentSocketSignal())
        return;
    socketError = error;
    endConnection(ConnectionBroken, socket->errorString());
}

void FsManager::endConnection(PcbConnectionEnd how, const QString &text)
{
    const int answered = commandRunning ? currentCommand : 0;
    const CommandRow *const last = CommandRow::find(currentCommand);
    const bool givenUp = how != ConnectionBroken;
    const bool told = givenUp || !(last && last->has(CommandRow::QuietBreak));
    connectionEnded = how;
    if (givenUp)
        bigMode = false;
    if (socket) {
        QTcpSocket *const ended = socket;
        releaseSocket();
        // Released first, so that the disconnected() an abort may send at once finds it no longer
        // the link's.
        if (givenUp)
            ended->abort();
        emit connectionStateIsUpdated(0);
        resetState();
    }
    if (told)
        emit errorOccured(text);
    emit requestFinished(answered, ResultConnectionLost, text);
}

void FsManager::readFromPcb()
{
    if (!socket || !isCurrentSocketSignal())
        return;
    feedReplies(*socket);
    dispatchReplies(socket);
}

void FsManager::feedReplies(QIODevice &source)
{
    // Straight from the socket's buffer into the collector's: a download is copied once here.
    for (qint64 available = source.bytesAvailable(); available > 0; available = source.bytesAvailable()) {
        // A header that waits tells the collector whether a small file can come in one read.
        char lead[kBigFileHeaderSize];
        const qint64 leadSize =
            replies.state() == ReplyCollector::State::WaitingForHeader ? source.peek(lead, sizeof lead) : 0;
        const qint64 room = replies.feedRoom(qMin(available, ReplyCollector::kFeedSlice), lead, leadSize);
        const qint64 got = source.read(replies.reserveFeed(room), room);
        replies.commitFeed(got);
        if (got <= 0)
            break;
    }
}

void FsManager::dispatchReplies(const QTcpSocket *current)
{
    ReplyCollector::Frame frame;
    // A handler's listeners may drop the link; then the remaining frames belong to nobody.
    while (socket == current && replies.takeFrame(frame))
        dispatchReply(frame);
    if (socket == current && replies.refusedFrames() > 0) {
        // Waiting would only end in the time limit, and skipping the rest of the frame would hold the
        // connection for as long as the board takes to send it: the link drops it at once instead.
        const QString text = tr("Ответ контроллера слишком велик: %1 байт, а принять можно не более %2 байт. "
                                "Соединение разорвано.")
                                 .arg(replies.refusedLength())
                                 .arg(ReplyCollector::kMaxFrameLength);
        replies.reset();
        endConnection(ConnectionReplyTooLong, text);
        return;
    }
    const CommandRow *const running = CommandRow::find(currentCommand);
    uint percent = 0;
    if (socket == current && running && running->has(CommandRow::ShowsArrival) && replies.progress(percent))
        emit progressUpdated(percent);
}

void FsManager::dispatchReply(ReplyCollector::Frame &frame)
{
    if (frame.bytes.size() < kReplyHeaderSize || frame.bytes.size() < frame.payloadOffset)
        return;
    uint8_t *const data = reinterpret_cast<uint8_t *>(frame.bytes.data());
    if (data[kReplyStartOffset] != uint8_t(kStartByte))
        return;
    const uint8_t form = data[kReplyFormOffset];
    if (form == uint8_t(kSmallForm))
        bigMode = false;
    else if (form == uint8_t(kBigForm))
        bigMode = true;
    else
        return;
    uint8_t *const payload = data + frame.payloadOffset;
    const uint size = static_cast<uint>(frame.bytes.size() - frame.payloadOffset);
    // The handler follows the reply's command byte, not the command that was sent.
    const CommandRow *const row = CommandRow::find(data[kReplyCommandOffset]);
    if (!row)
        return;
    dispatchedFrame = &frame;
    (this->*row->reply)(row->command, payload, size);
    dispatchedFrame = nullptr;
}

QByteArray FsManager::takeReplyTail(const uint8_t *begin, uint size)
{
    const char *const start = reinterpret_cast<const char *>(begin);
    if (dispatchedFrame && (size > 0 || !dispatchedFrame->content.isEmpty())) {
        QByteArray &bytes = dispatchedFrame->bytes;
        const qint64 offset = start - bytes.constData();
        if (offset >= 0 && offset + size == qint64(bytes.size())) {
            QByteArray tail;
            if (!dispatchedFrame->content.isEmpty()) {
                // The collector kept the frame's end apart: the file is that buffer as it is.
                tail = std::move(dispatchedFrame->content);
                if (size > 0)
                    tail.prepend(start, static_cast<int>(size));
            } else {
                // A downloaded file ends its reply frame: take the frame's buffer over and drop
                // the header in place rather than copying the whole file into a new one.
                tail = std::move(bytes);
                tail.remove(0, static_cast<int>(offset));
            }
            *dispatchedFrame = ReplyCollector::Frame();
            dispatchedFrame = nullptr;
            return tail;
        }
    }
    return QByteArray(start, static_cast<int>(size));
}

void FsManager::writtenBytes(qint64 count)
{
    Q_UNUSED(count)
    if (!socket || !isCurrentSocketSignal())
        return;
    const CommandRow *const running = CommandRow::find(currentCommand);
    UploadBatch &uploads = batches.uploads();
    if (!running || !running->has(CommandRow::SentInPieces) || !uploads.hasQueued())
        return;
    emitBatchProgress(uploads);
    if (uploads.recordSent())
        return; // the board's reply follows
    startResponseTimer(running->continueLimitMs);
    sendUploadPiece(QByteArray());
}

void FsManager::sendUploadPiece(QByteArray frame)
{
    bool endsRecord = false;
    const QByteArray piece = batches.uploads().nextPiece(endsRecord);
    paceUploadPiece(endsRecord);
    qint64 written = 0;
    if (frame.isEmpty()) {
        written = writeRequest(piece);
    } else {
        // The request header and its piece leave in one write.
        const int headerSize = frame.size();
        frame.append(piece);
        written = writeRequest(frame) - headerSize;
    }
    if (written > 0)
        batches.uploads().pieceWritten(written);
}

void FsManager::paceUploadPiece(bool endsRecord)
{
    // Pieces within a record may travel coalesced; the piece that ends one must leave at once,
    // as the board answers only after it (held back, it would cost a delay per record).
    if (endsRecord == lowDelay || !socket)
        return;
    lowDelay = endsRecord;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, endsRecord ? 1 : 0);
}

void FsManager::emitBatchProgress(const Batch &batch)
{
    uint percent = 0;
    if (batch.progress(percent))
        emit progressUpdated(percent);
}

void FsManager::readKeepAlive(PcbCommand command, uint8_t *RecvData, uint Size)
{
    Q_UNUSED(command)
    stopResponseTimer();
    commandRunning = false;
    if (Size >= 1 && RecvData[0] != 0)
        enqueueOnce(CmdListFiles);
}

void FsManager::readListFiles(PcbCommand command, uint8_t *RecvData, uint Size)
{
    Q_UNUSED(command)
    if (bigMode)
        readList(decodeBigList(RecvData, Size), &FsManager::listfilesReady_big);
    else
        readList(decodeSmallList(RecvData, Size), &FsManager::listfilesReady);
}

template <typename Entry>
void FsManager::readList(const ListReply<Entry> &reply,
                         void (FsManager::*ready)(QList<Entry>, uint32_t, uint32_t))
{
    stopResponseTimer();
    commandRunning = false;
    if (!reply.valid) {
        emit requestFinished(CmdListFiles, ResultNetworkError, CommandRow::networkErrorText());
        return;
    }
    if (reply.asksForBigForm) {
        bigMode = true;
        enqueueOnce(CmdListFiles);
    }
    emit(this->*ready)(reply.entries, reply.allMemory, reply.memoryUsed);
    // A table that asks for the big form is read again in it, and that reading ends the request.
    if (!reply.asksForBigForm)
        emit requestFinished(CmdListFiles, ResultOk, CommandRow::of(CmdListFiles).okText());
}

void FsManager::readItemStatus(PcbCommand command, uint8_t *RecvData, uint Size)
{
    readBatchReply(command, CommandRow::of(command).statusReply(RecvData, Size));
}

void FsManager::readRecievFile(PcbCommand command, uint8_t *RecvData, uint Size)
{
    Q_UNUSED(command)
    const FileReply reply = decodeFileReply(RecvData, Size);
    switch (reply.kind) {
    case FileReply::File:
        // RecvData may not be used after this: the content can take over the frame's buffer.
        readBatchReply(CmdGetFile, ItemReply::Done, reply.name,
                       reply.name.isEmpty()
                           ? QByteArray()
                           : takeReplyTail(RecvData + reply.contentOffset, reply.contentSize));
        return;
    case FileReply::Unusable:
    case FileReply::NetworkError:
        readBatchReply(CmdGetFile, ItemReply::NetworkError);
        return;
    case FileReply::NoSuchFile:
        readBatchReply(CmdGetFile, ItemReply::Refused);
        return;
    case FileReply::OtherStatus:
        readBatchReply(CmdGetFile, ItemReply::UnknownStatus);
        return;
    }
}

void FsManager::readBatchReply(PcbCommand command, ItemReply reply, const QString &name, QByteArray content)
{
    const CommandRow &row = CommandRow::of(command);
    Batch &batch = *batches.of(command);
    stopResponseTimer();
    if (reply == ItemReply::Done) {
        emitBatchProgress(batch);
        // The batch keeps the file as it came: the signal shares those bytes without looking them up.
        const QByteArray kept = content;
        if (batch.itemDone(name, std::move(content)))
            emit batchItemDone(command, name, kept);
        if (batch.hasQueued()) {
            // Also sends the rest of an upload record the board acknowledged early.
            startResponseTimer(row.continueLimitMs);
            sendCommand(command);
            return;
        }
        const QMap<QString, QByteArray> files = batch.files();
        batch.clear();
        enqueueOnce(CmdListFiles);
        const QString text = row.okText();
        row.finish(*this, text, files);
        commandRunning = false;
        emit requestFinished(command, ResultOk, text);
        return;
    }
    const CommandRow::Ending ending = row.ending(reply);
    if (ending.told) // the window is told nothing of a status it does not know
        row.finish(*this, ending.text, batch.files());
    batch.clear();
    commandRunning = false;
    emit requestFinished(command, ending.result, ending.text);
}

void FsManager::sendCommand(PcbCommand Command)
{
    (this->*CommandRow::of(Command).send)(Command, requestHeader(bigMode, Command));
}

void FsManager::sendHeader(PcbCommand command, QByteArray header)
{
    Q_UNUSED(command)
    writeRequest(header);
}

void FsManager::sendRecord(PcbCommand command, QByteArray header)
{
    Q_UNUSED(command)
    if (batches.uploads().hasQueued())
        sendUploadPiece(std::move(header));
}

void FsManager::sendName(PcbCommand command, QByteArray header)
{
    const QByteArray name = batches.of(command)->takeName();
    if (name.isEmpty())
        return;
    header.append(static_cast<char>(name.size()));
    header.append(name);
    writeRequest(header);
}

qint64 FsManager::writeRequest(const QByteArray &bytes)
{
    // Only a link driven through ReplyDriver runs commands without a socket (a dropped link clears
    // every queue): there each request counts as sent whole, so that the queues move on.
    return socket ? socket->write(bytes) : bytes.size();
}

void FsManager::runQueuedCommand()
{
    if (!commandRunning)
        runNextCommand();
}

void FsManager::runNextCommand()
{
    if (!socket || !socket->isOpen() || commandQueue.isEmpty())
        return;
    stopResponseTimer();
    commandRunning = true;
    const PcbCommand command = commandQueue.takeFirst();
    currentCommand = command;
    const CommandRow &row = CommandRow::of(command);
    startResponseTimer(row.limitMs);
    if (row.startedText)
        emit startedRunCommand(row.started());
    sendCommand(command);
}

void FsManager::resetState()
{
    stopTimer(responseTimerId);
    stopResponseTimer();
    stopTimer(keepAliveTimerId);
    stopTimer(queueTimerId);
    commandRunning = false;
    currentCommand = 0;
    commandQueue.clear();
    replies.reset();
    batches.clearAll();
}

void FsManager::enqueueOnce(PcbCommand command)
{
    if (!commandQueue.contains(command))
        commandQueue.append(command);
}

void FsManager::enqueueBatchCommand(PcbCommand command)
{
    // A running batch of the same kind picks the new items up itself.
    if (commandRunning && currentCommand == command)
        return;
    enqueueOnce(command);
}

int FsManager::scaledMs(int periodMs) const
{
    const double scaled = std::round(periodMs * timeScaleFactor);
    return static_cast<int>(qBound(1.0, scaled, double(std::numeric_limits<int>::max())));
}

int FsManager::startScaledTimer(int periodMs)
{
    return startTimer(scaledMs(periodMs), Qt::CoarseTimer);
}

void FsManager::startResponseTimer(int periodMs)
{
    const int limitMs = scaledMs(periodMs);
    responseDueNs = responseClock.nsecsElapsed() + qint64(limitMs) * 1000000;
    // A running timer fires within its period, so at the latest by the new deadline, unless that
    // period is the longer one.
    if (responseTimerId == -1 || responseTimerMs > limitMs)
        armResponseTimer(limitMs);
}

void FsManager::armResponseTimer(int limitMs)
{
    stopTimer(responseTimerId);
    responseTimerId = startTimer(limitMs, Qt::CoarseTimer);
    responseTimerMs = limitMs;
}

void FsManager::responseTimerFired()
{
    if (responseDueNs < 0) {
        stopTimer(responseTimerId); // the limit was stopped since
        return;
    }
    const qint64 leftNs = responseDueNs - responseClock.nsecsElapsed();
    if (leftNs > 0) {
        armResponseTimer(
            static_cast<int>(qMin<qint64>((leftNs + 999999) / 1000000, std::numeric_limits<int>::max())));
        return;
    }
    stopTimer(responseTimerId);
    responseDueNs = -1;
    endConnection(ConnectionTimedOut, tr("Ошибка подключения"));
}

void FsManager::stopTimer(int &timerId)
{
    if (timerId != -1) {
        killTimer(timerId);
        timerId = -1;
    }
}

bool FsManager::isCurrentSocketSignal() const
{
    const QObject *const origin = sender();
    return origin == nullptr || origin == socket;
}

void FsManager::releaseSocket()
{
    QTcpSocket *const released = socket;
    socket = nullptr;
    released->deleteLater();
}
