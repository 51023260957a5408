#include "fsmanager.h"

#include "pcbprotocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
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

const char kSettingsFileName[] = "/pcbSettings.ini";
const char kAddressKey[] = "IP_ADDRESS";
const char kDefaultAddress[] = "192.168.0.10";

QString settingsPath()
{
    return QDir::currentPath() + QLatin1String(kSettingsFileName);
}

uint percentOf(qint64 done, qint64 total)
{
    return static_cast<uint>(qMax<qint64>(done, 0) * 100 / total);
}

} // namespace

FsManager::FsManager(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<QList<FstEntry>>("QList<FstEntry>");
    qRegisterMetaType<QList<FstEntry_big>>("QList<FstEntry_big>");
    qRegisterMetaType<uint32_t>("uint32_t");
    qRegisterMetaType<QMap<QString, QByteArray>>("QMap<QString,QByteArray>");
    qRegisterMetaType<QMap<QString, uint>>("QMap<QString,uint>");

    pcbAddress.setAddress(defaultPcbAddress());
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    const QString stored = settings.value(QLatin1String(kAddressKey), defaultPcbAddress()).toString();
    // A damaged settings file must not leave the link without an address to connect to.
    QHostAddress address;
    if (address.setAddress(stored))
        pcbAddress = address;
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
    return QString::fromLatin1(kDefaultAddress);
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
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(kAddressKey), PcbIp.toString());
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
        const QString refusal = buildUploadRecord(path, big, record);
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
    uploadQueue.append(records);
    uploadTotal += static_cast<uint32_t>(callTotal);
    uploadPending += callTotal;
    enqueueBatchCommand(CmdWriteFile);
}

QString FsManager::buildUploadRecord(const QString &path, bool big, QByteArray &record)
{
    const QString fileName = QFileInfo(path).fileName();
    // The board stores Latin-1 names; anything else would arrive as question marks, and two
    // such names would overwrite each other there.
    if (!isLatin1(fileName))
        return tr(" не удалось передать: имя файла содержит символы, которые контроллер не поддерживает. "
                  "Передача отменена!");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tr(" не удалось открыть. Передача отменена!");

    // The small form announces the content in 16 bits; a longer file would be stored cut short.
    const qint64 maxContent = big ? kBigFormMaxContent : qint64(kSmallFormMaxContent);
    const QString tooBig =
        tr(" не удалось передать: файл больше %1 байт. Передача отменена!").arg(maxContent);
    const int headerSize = uploadHeaderSize(big);
    record = QByteArray(headerSize, '\0');
    if (!file.isSequential()) {
        const qint64 size = file.size();
        if (paddedLength(size) > maxContent)
            return tooBig;
        record.reserve(static_cast<int>(headerSize + paddedLength(size)));
        record.resize(static_cast<int>(headerSize + size));
        const qint64 got = file.read(record.data() + headerSize, size);
        if (got < 0)
            return tr(" не удалось открыть. Передача отменена!");
        record.resize(static_cast<int>(headerSize + got));
    }
    // Picks up the content of a sequential file, or what a regular one grew by meanwhile.
    const QByteArray rest = file.readAll();
    if (paddedLength(qint64(record.size()) + rest.size() - headerSize) > maxContent)
        return tooBig;
    record.append(rest);

    const qint64 contentSize = record.size() - headerSize;
    const qint64 padded = paddedLength(contentSize);
    record.append(static_cast<int>(padded - contentSize), '\0');
    writeUploadHeader(record.data(), fileName, static_cast<quint32>(padded), big);
    return QString();
}

void FsManager::deleteFiles(QStringList FileNameList)
{
    if (!isConnected() || FileNameList.isEmpty())
        return;
    QList<QByteArray> names;
    for (const QString &name : qAsConst(FileNameList)) {
        const QByteArray bytes = boardFileName(name);
        if (!bytes.isEmpty())
            names.append(bytes);
    }
    if (names.isEmpty())
        return;
    deleteQueue.append(names);
    deleteTotal += static_cast<uint32_t>(names.size());
    enqueueBatchCommand(CmdDeleteFile);
}

void FsManager::getFiles(QMap<QString, uint> FileNameList)
{
    if (!isConnected() || FileNameList.isEmpty())
        return;
    QMap<QByteArray, uint> names;
    uint32_t callTotal = 0;
    for (auto it = FileNameList.cbegin(); it != FileNameList.cend(); ++it) {
        const QByteArray bytes = boardFileName(it.key());
        if (bytes.isEmpty())
            continue;
        names.insert(bytes, it.value());
        callTotal += it.value();
    }
    if (names.isEmpty())
        return;
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        downloadQueue.insert(it.key(), it.value());
    downloadTotal += callTotal;
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
        const qint64 room = qMin(available, ReplyCollector::kFeedSlice);
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
    dispatchedFrame = &frame.bytes;
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
    if (dispatchedFrame && size > 0) {
        const char *const frameData = dispatchedFrame->constData();
        const qint64 offset = start - frameData;
        if (offset >= 0 && offset + size == qint64(dispatchedFrame->size())) {
            // A downloaded file ends its reply frame: take the frame's buffer over and drop the
            // header in place rather than copying the whole file into a new one.
            QByteArray tail = std::move(*dispatchedFrame);
            *dispatchedFrame = QByteArray();
            dispatchedFrame = nullptr;
            tail.remove(0, static_cast<int>(offset));
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
    if (currentCommand != CmdWriteFile || uploadQueue.isEmpty())
        return;
    emitUploadProgress();
    if (uploadOffset >= uploadQueue.first().size())
        return; // record complete: the board's reply follows
    startResponseTimer(kWriteTimeoutMs);
    sendUploadPiece(QByteArray());
}

void FsManager::sendUploadPiece(QByteArray frame)
{
    const QByteArray &record = uploadQueue.first();
    const char *const piece = record.constData() + uploadOffset;
    const int pieceSize = qMin(kUploadPieceSize, record.size() - uploadOffset);
    paceUploadPiece(uploadOffset + pieceSize >= record.size());
    qint64 written = 0;
    if (frame.isEmpty()) {
        written = writeRequest(QByteArray::fromRawData(piece, pieceSize));
    } else {
        // The request header and its piece leave in one write.
        const int headerSize = frame.size();
        frame.append(piece, pieceSize);
        written = writeRequest(frame) - headerSize;
    }
    if (written > 0) {
        uploadOffset += static_cast<int>(written);
        uploadPending -= written;
    }
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

void FsManager::emitUploadProgress()
{
    if (uploadTotal == 0)
        return;
    emit progressUpdated(percentOf(qint64(uploadTotal) - uploadPending, uploadTotal));
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
    stopTimer(responseTimerId);
    // An empty reply counts as a network error.
    const quint8 status = Size == 0 ? kStatusNetworkError : RecvData[0];
    PcbResult result = ResultNetworkError;
    QString text = tr("Ошибка сети!");
    switch (status) {
    case kStatusOk: {
        const bool stored = !uploadQueue.isEmpty() && uploadOffset >= uploadQueue.first().size();
        if (stored) {
            uploadQueue.removeFirst();
            uploadOffset = 0;
        }
        emitUploadProgress();
        if (stored)
            emit batchItemDone(CmdWriteFile, QString(), QByteArray());
        if (!uploadQueue.isEmpty()) {
            // Also sends the rest of a record the board acknowledged early.
            startResponseTimer(kWriteTimeoutMs);
            sendCommand(CmdWriteFile);
            return;
        }
        uploadTotal = 0;
        enqueueOnce(CmdListFiles);
        emit filesSendingIsFinished(QStringLiteral("Ok"));
        commandRunning = false;
        emit requestFinished(CmdWriteFile, ResultOk, QStringLiteral("Ok"));
        return;
    }
    case kStatusNetworkError:
        emit filesSendingIsFinished(text);
        break;
    case kStatusSecondError:
        result = ResultNoMemory;
        text = tr("Не хватает памяти на контроллере!");
        emit filesSendingIsFinished(text);
        break;
    default:
        break; // the window is told nothing of a status it does not know
    }
    clearUploads();
    uploadTotal = 0;
    commandRunning = false;
    emit requestFinished(CmdWriteFile, result, text);
}

void FsManager::readDeleteFile(uint8_t *RecvData, uint Size)
{
    stopTimer(responseTimerId);
    // An empty reply counts as a network error.
    const quint8 status = Size == 0 ? kStatusNetworkError : RecvData[0];
    PcbResult result = ResultNetworkError;
    QString text = tr("Ошибка сети!");
    switch (status) {
    case kStatusOk:
        if (deleteTotal > 0)
            emit progressUpdated(percentOf(qint64(deleteTotal) - deleteQueue.size(), deleteTotal));
        emit batchItemDone(CmdDeleteFile, QString(), QByteArray());
        if (!deleteQueue.isEmpty()) {
            startResponseTimer(kDeleteTimeoutMs);
            sendCommand(CmdDeleteFile);
            return;
        }
        deleteTotal = 0;
        enqueueOnce(CmdListFiles);
        emit fileDeletingIsFinished(QStringLiteral("Ok"));
        commandRunning = false;
        emit requestFinished(CmdDeleteFile, ResultOk, QStringLiteral("Ok"));
        return;
    case kStatusNetworkError:
        emit fileDeletingIsFinished(text);
        break;
    case kStatusSecondError:
        result = ResultNoSuchFile;
        text = tr("Файл не существует!");
        emit fileDeletingIsFinished(text);
        break;
    default:
        break; // the window is told nothing of a status it does not know
    }
    deleteTotal = 0;
    deleteQueue.clear();
    commandRunning = false;
    emit requestFinished(CmdDeleteFile, result, text);
}

void FsManager::readRecievFile(uint8_t *RecvData, uint Size)
{
    stopTimer(responseTimerId);
    const FileReply reply = decodeFileReply(RecvData, Size);
    switch (reply.kind) {
    case FileReply::File: {
        if (downloadTotal > 0) {
            qint64 left = 0;
            for (const uint size : qAsConst(downloadQueue))
                left += size;
            emit progressUpdated(percentOf(qint64(downloadTotal) - left, downloadTotal));
        }
        // RecvData may not be used after this: the content can take over the frame's buffer.
        if (!reply.name.isEmpty())
            receivedFiles.insert(reply.name,
                                 takeReplyTail(RecvData + reply.contentOffset, reply.contentSize));
        emit batchItemDone(CmdGetFile, reply.name, receivedFiles.value(reply.name));
        if (!downloadQueue.isEmpty()) {
            startResponseTimer(kNextFileTimeoutMs);
            sendCommand(CmdGetFile);
            return;
        }
        enqueueOnce(CmdListFiles);
        emit filesRecievingIsFinished(receivedFiles, tr("Ok"));
        receivedFiles.clear();
        downloadTotal = 0;
        commandRunning = false;
        emit requestFinished(CmdGetFile, ResultOk, tr("Ok"));
        return;
    }
    case FileReply::Unusable:
    case FileReply::NetworkError:
        emit filesRecievingIsFinished(receivedFiles, tr("Ошибка сети!"));
        break;
    case FileReply::NoSuchFile:
        emit filesRecievingIsFinished(receivedFiles, tr("Файл не существует!"));
        break;
    case FileReply::OtherStatus:
        break; // the window is told nothing of a status it does not know
    }
    downloadQueue.clear();
    receivedFiles.clear();
    downloadTotal = 0;
    commandRunning = false;
    if (reply.kind == FileReply::NoSuchFile)
        emit requestFinished(CmdGetFile, ResultNoSuchFile, tr("Файл не существует!"));
    else
        emit requestFinished(CmdGetFile, ResultNetworkError, tr("Ошибка сети!"));
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
        if (!uploadQueue.isEmpty())
            sendUploadPiece(std::move(frame));
        break;
    case CmdDeleteFile: {
        if (deleteQueue.isEmpty())
            return;
        const QByteArray name = deleteQueue.takeFirst();
        frame.append(static_cast<char>(name.size()));
        frame.append(name);
        writeRequest(frame);
        break;
    }
    case CmdGetFile: {
        if (downloadQueue.isEmpty())
            return;
        const QByteArray name = downloadQueue.firstKey();
        downloadQueue.remove(name); // every entry of that name: one reply serves them all
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
    switch (command) {
    case CmdWriteFile:
        emit startedRunCommand(tr("Отправка файлов..."));
        break;
    case CmdDeleteFile:
        emit startedRunCommand(tr("Удаление файла..."));
        break;
    case CmdGetFile:
        emit startedRunCommand(tr("Получение файлов..."));
        break;
    case CmdListFiles:
    case CmdKeepAlive:
        break;
    }
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
    uploadTotal = 0;
    deleteTotal = 0;
    downloadTotal = 0;
    clearUploads();
    deleteQueue.clear();
    downloadQueue.clear();
    receivedFiles.clear();
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

void FsManager::clearUploads()
{
    uploadQueue.clear();
    uploadOffset = 0;
    uploadPending = 0;
}
