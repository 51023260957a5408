#include "fsmanager.h"

#include "addressstore.h"
#include "pcbprotocol.h"
#include "uploadrecord.h"

#include <QTcpSocket>
#include <QTimerEvent>
#include <cmath>
#include <limits>
#include <utility>

using namespace PcbProtocol;

namespace {

constexpr int kQueueTickMs = 100;
constexpr int kKeepAliveMs = 3000;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kListTimeoutMs = 10000;
constexpr int kWriteTimeoutMs = 15000;
constexpr int kDeleteTimeoutMs = 5000;
constexpr int kKeepAliveTimeoutMs = 5000;
constexpr int kFirstFileTimeoutMs = 50000;
constexpr int kNextFileTimeoutMs = 20000;

// Time limit for the reply to each further item of a running batch.
int nextItemTimeout(PcbCommand command)
{
    switch (command) {
    case CmdWriteFile:
        return kWriteTimeoutMs;
    case CmdDeleteFile:
        return kDeleteTimeoutMs;
    default:
        return kNextFileTimeoutMs;
    }
}

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
        const QString refusal = UploadRecord::read(path, big, record);
        if (!refusal.isEmpty()) {
            // Nothing of this call goes out; records of earlier calls stay queued.
            const QString text = tr("Файл: ") + path + refusal;
            emit errorOccured(text);
            emit requestFinished(CmdWriteFile, ResultFileRefused, text);
            return;
        }
        callTotal += record.size();
        records.append(record);
    }
    batches.addRecords(records, callTotal);
    enqueueBatchCommand(CmdWriteFile);
}

void FsManager::deleteFiles(QStringList FileNameList)
{
    if (isConnected() && batches.addDeletions(FileNameList))
        enqueueBatchCommand(CmdDeleteFile);
}

void FsManager::getFiles(QMap<QString, uint> FileNameList)
{
    if (isConnected() && batches.addDownloads(FileNameList))
        enqueueBatchCommand(CmdGetFile);
}

void FsManager::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == queueTimerId) {
        if (!commandRunning && !commandQueue.isEmpty())
            runNextCommand();
    } else if (id == responseTimerId) {
        stopTimer(responseTimerId);
        const int answered = commandRunning ? currentCommand : 0;
        if (socket)
            socket->abort();
        // The abort may already have gone offline through disconnected(); then this does nothing.
        handleDisconnection();
        emit errorOccured(tr("Ошибка подключения"));
        emit requestFinished(answered, ResultConnectionLost, tr("Ошибка подключения"));
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
    stopTimer(responseTimerId);
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
    if (!isCurrentSocketSignal()) {
        // A socket released earlier reports its end late: it must not tear down a newer one.
        bigMode = false;
        return;
    }
    handleDisconnection();
}

void FsManager::handleDisconnection()
{
    bigMode = false;
    if (!socket)
        return;
    releaseSocket();
    emit connectionStateIsUpdated(0);
    resetState();
}

void FsManager::pcbConnectionError(QAbstractSocket::SocketError error)
{
    if (!socket || !isCurrentSocketSignal())
        return;
    socketError = error;
    const QString errorText = socket->errorString();
    const int answered = commandRunning ? currentCommand : 0;
    releaseSocket();
    emit connectionStateIsUpdated(0);
    // A link that breaks while merely polling goes offline quietly.
    if (currentCommand != CmdKeepAlive)
        emit errorOccured(errorText);
    resetState();
    emit requestFinished(answered, ResultConnectionLost, errorText);
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
        const qint64 room = replies.feedRoom(qMin(available, ReplyCollector::kFeedSlice));
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
        dropOversizedReply();
        return;
    }
    uint percent = 0;
    if (socket == current && currentCommand == CmdGetFile && replies.progress(percent))
        emit progressUpdated(percent);
}

void FsManager::dropOversizedReply()
{
    // Waiting would only end in the time limit, and skipping the rest of the frame would hold the
    // connection for as long as the board takes to send it: the link drops it at once instead.
    const QString text = tr("Ответ контроллера слишком велик: %1 байт, а принять можно не более %2 байт. "
                            "Соединение разорвано.")
                             .arg(replies.refusedLength())
                             .arg(ReplyCollector::kMaxFrameLength);
    const int answered = commandRunning ? currentCommand : 0;
    if (socket)
        socket->abort();
    handleDisconnection();
    replies.reset();
    emit errorOccured(text);
    emit requestFinished(answered, ResultConnectionLost, text);
}

int FsManager::responseTimeout(PcbCommand command)
{
    switch (command) {
    case CmdListFiles:
        return kListTimeoutMs;
    case CmdWriteFile:
        return kWriteTimeoutMs;
    case CmdDeleteFile:
        return kDeleteTimeoutMs;
    case CmdKeepAlive:
        return kKeepAliveTimeoutMs;
    case CmdGetFile:
        return kFirstFileTimeoutMs;
    }
    return kKeepAliveTimeoutMs;
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
    dispatchedFrame = &frame;
    // The handler follows the reply's command byte, not the command that was sent.
    switch (data[kReplyCommandOffset]) {
    case CmdListFiles:
        if (form == uint8_t(kBigForm))
            readListFiles_big(payload, size);
        else
            readListFiles(payload, size);
        break;
    case CmdWriteFile:
        readResponseOnWriteFile(payload, size);
        break;
    case CmdDeleteFile:
        readDeleteFile(payload, size);
        break;
    case CmdKeepAlive:
        readKeepAlive(payload, size);
        break;
    case CmdGetFile:
        readRecievFile(payload, size);
        break;
    default:
        break;
    }
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
    if (currentCommand != CmdWriteFile || !batches.hasQueued(CmdWriteFile))
        return;
    emitBatchProgress(CmdWriteFile);
    if (batches.recordSent())
        return; // the board's reply follows
    startResponseTimer(kWriteTimeoutMs);
    sendUploadPiece(QByteArray());
}

void FsManager::sendUploadPiece(QByteArray frame)
{
    bool endsRecord = false;
    const QByteArray piece = batches.nextPiece(endsRecord);
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
        batches.pieceWritten(written);
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

void FsManager::emitBatchProgress(PcbCommand command)
{
    uint percent = 0;
    if (batches.progress(command, percent))
        emit progressUpdated(percent);
}

void FsManager::readKeepAlive(uint8_t *RecvData, uint Size)
{
    stopTimer(responseTimerId);
    commandRunning = false;
    if (Size >= 1 && RecvData[0] != 0)
        enqueueOnce(CmdListFiles);
}

void FsManager::readListFiles(uint8_t *RecvData, uint Size)
{
    stopTimer(responseTimerId);
    commandRunning = false;
    const ListReply<FstEntry> reply = decodeSmallList(RecvData, Size);
    if (!reply.valid) {
        emit requestFinished(CmdListFiles, ResultNetworkError, tr("Ошибка сети!"));
        return;
    }
    if (reply.asksForBigForm) {
        bigMode = true;
        enqueueOnce(CmdListFiles);
    }
    emit listfilesReady(reply.entries, reply.allMemory, reply.memoryUsed);
    // A table that asks for the big form is read again in it, and that reading ends the request.
    if (!reply.asksForBigForm)
        emit requestFinished(CmdListFiles, ResultOk, QStringLiteral("Ok"));
}

void FsManager::readListFiles_big(uint8_t *RecvData, uint Size)
{
    stopTimer(responseTimerId);
    commandRunning = false;
    const ListReply<FstEntry_big> reply = decodeBigList(RecvData, Size);
    if (!reply.valid) {
        emit requestFinished(CmdListFiles, ResultNetworkError, tr("Ошибка сети!"));
        return;
    }
    emit listfilesReady_big(reply.entries, reply.allMemory, reply.memoryUsed);
    emit requestFinished(CmdListFiles, ResultOk, QStringLiteral("Ok"));
}

void FsManager::readResponseOnWriteFile(uint8_t *RecvData, uint Size)
{
    readBatchReply(CmdWriteFile, BatchBook::statusOutcome(RecvData, Size));
}

void FsManager::readDeleteFile(uint8_t *RecvData, uint Size)
{
    readBatchReply(CmdDeleteFile, BatchBook::statusOutcome(RecvData, Size));
}

void FsManager::readRecievFile(uint8_t *RecvData, uint Size)
{
    const FileReply reply = decodeFileReply(RecvData, Size);
    switch (reply.kind) {
    case FileReply::File:
        // RecvData may not be used after this: the content can take over the frame's buffer.
        readBatchReply(CmdGetFile, BatchBook::ItemDone, reply.name,
                       reply.name.isEmpty()
                           ? QByteArray()
                           : takeReplyTail(RecvData + reply.contentOffset, reply.contentSize));
        return;
    case FileReply::Unusable:
    case FileReply::NetworkError:
        readBatchReply(CmdGetFile, BatchBook::NetworkError);
        return;
    case FileReply::NoSuchFile:
        readBatchReply(CmdGetFile, BatchBook::SecondError);
        return;
    case FileReply::OtherStatus:
        readBatchReply(CmdGetFile, BatchBook::OtherStatus);
        return;
    }
}

void FsManager::readBatchReply(PcbCommand command, BatchBook::Outcome outcome, const QString &name,
                               QByteArray content)
{
    stopTimer(responseTimerId);
    if (outcome == BatchBook::ItemDone) {
        emitBatchProgress(command);
        if (batches.itemDone(command, name, std::move(content)))
            emit batchItemDone(command, name, batches.receivedFile(name));
        if (batches.hasQueued(command)) {
            // Also sends the rest of an upload record the board acknowledged early.
            startResponseTimer(nextItemTimeout(command));
            sendCommand(command);
            return;
        }
        const QMap<QString, QByteArray> files = batches.receivedFiles();
        batches.clear(command);
        enqueueOnce(CmdListFiles);
        const QString text = BatchBook::okText(command);
        emitBatchFinished(command, text, files);
        commandRunning = false;
        emit requestFinished(command, ResultOk, text);
        return;
    }
    const BatchBook::Failure failure = BatchBook::failure(command, outcome);
    if (failure.told) // the window is told nothing of a status it does not know
        emitBatchFinished(command, failure.text, batches.receivedFiles());
    batches.clear(command);
    commandRunning = false;
    emit requestFinished(command, failure.result, failure.text);
}

void FsManager::emitBatchFinished(PcbCommand command, const QString &text,
                                  const QMap<QString, QByteArray> &files)
{
    switch (command) {
    case CmdWriteFile:
        emit filesSendingIsFinished(text);
        break;
    case CmdDeleteFile:
        emit fileDeletingIsFinished(text);
        break;
    case CmdGetFile:
        emit filesRecievingIsFinished(files, text);
        break;
    case CmdListFiles:
    case CmdKeepAlive:
        break;
    }
}

void FsManager::sendCommand(PcbCommand Command)
{
    QByteArray frame = requestHeader(bigMode, Command);
    switch (Command) {
    case CmdListFiles:
    case CmdKeepAlive:
        writeRequest(frame);
        break;
    case CmdWriteFile:
        if (batches.hasQueued(CmdWriteFile))
            sendUploadPiece(std::move(frame));
        break;
    case CmdDeleteFile:
    case CmdGetFile: {
        // Every entry of a download's name goes: one reply serves them all.
        const QByteArray name = batches.takeName(Command);
        if (name.isEmpty())
            return;
        frame.append(static_cast<char>(name.size()));
        frame.append(name);
        writeRequest(frame);
        break;
    }
    }
}

qint64 FsManager::writeRequest(const QByteArray &bytes)
{
    // Only a link driven by FsManagerProbe runs commands without a socket (a dropped link clears
    // every queue): there each request counts as sent whole, so that the queues move on.
    return socket ? socket->write(bytes) : bytes.size();
}

void FsManager::runNextCommand()
{
    if (!socket || !socket->isOpen() || commandQueue.isEmpty())
        return;
    stopTimer(responseTimerId);
    commandRunning = true;
    const PcbCommand command = commandQueue.takeFirst();
    currentCommand = command;
    startResponseTimer(responseTimeout(command));
    const QString started = BatchBook::startedText(command);
    if (!started.isEmpty())
        emit startedRunCommand(started);
    sendCommand(command);
}

void FsManager::resetState()
{
    stopTimer(responseTimerId);
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

int FsManager::startScaledTimer(int periodMs)
{
    const double scaled = std::round(periodMs * timeScaleFactor);
    const double bounded = qBound(1.0, scaled, double(std::numeric_limits<int>::max()));
    return startTimer(static_cast<int>(bounded), Qt::CoarseTimer);
}

void FsManager::startResponseTimer(int periodMs)
{
    stopTimer(responseTimerId);
    responseTimerId = startScaledTimer(periodMs);
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
