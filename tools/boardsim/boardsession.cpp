#include "boardsession.h"

#include "logline.h"

#include <QDateTime>
#include <QTcpSocket>
#include <QTimer>

namespace boardsim {

namespace {

// Replies are handed to the socket in chunks of this size, the next one once the socket's
// buffer has drained below it: a 64 MiB download never sits in the socket buffer twice.
constexpr qint64 kOutputChunk = 256 * 1024;
// Discarded upload content is read through a scratch buffer of this size.
constexpr qint64 kDiscardChunk = 64 * 1024;

constexpr char kCorruptStartByte = 0x0A;

constexpr quint8 kStatusOk = 0;
constexpr quint8 kStatusNetworkError = 1;
constexpr quint8 kStatusNoSpaceOrMissing = 2;

quint32 nowSeconds()
{
    return quint32(qBound<qint64>(0, QDateTime::currentSecsSinceEpoch(), 0xFFFFFFFF));
}

QString printable(const QByteArray &name)
{
    return QString::fromLatin1(name.toPercentEncoding(" !#$&'()+,;=@[]^_`{}~"));
}

} // namespace

BoardSession::BoardSession(QTcpSocket *socket, FlashStore *store, const SimOptions *options, int id,
                           QObject *parent)
    : QObject(parent), socket(socket), store(store), options(options), id(id),
      bigReplies(options->form == FormMode::Big), listedVersion(store->version())
{
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &BoardSession::pump);
    connect(socket, &QTcpSocket::bytesWritten, this, &BoardSession::feedOutgoing);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        log(QStringLiteral("disconnected"));
        rx = RxState::Closed;
        emit closed();
    });
    log(QStringLiteral("connected from %1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()));
}

BoardSession::~BoardSession() = default;

void BoardSession::log(const QString &text) const
{
    if (!options->quiet)
        writeLogLine(QStringLiteral("[%1] %2").arg(id).arg(text));
}

QString BoardSession::formName(char form) const
{
    return form == wire::kFormBig ? QStringLiteral("big") : QStringLiteral("small");
}

char BoardSession::startByteFor(int command) const
{
    return options->malformed.contains(command) ? kCorruptStartByte : wire::kStartByte;
}

void BoardSession::protocolError(const QString &reason)
{
    log(QStringLiteral("protocol error: %1; closing").arg(reason));
    rx = RxState::Closed;
    socket->abort();
}

void BoardSession::pump()
{
    if (pumping)
        return;
    pumping = true;
    while (rx != RxState::Closed && !replyPending && step()) {
    }
    pumping = false;
}

// Consumes one piece of the request stream; false when it needs more bytes.
bool BoardSession::step()
{
    switch (rx) {
    case RxState::Command:
        return readCommand();
    case RxState::NameLength: {
        if (socket->bytesAvailable() < 1)
            return false;
        char length = 0;
        socket->getChar(&length);
        nameLength = static_cast<unsigned char>(length);
        rx = RxState::Name;
        return true;
    }
    case RxState::Name: {
        if (socket->bytesAvailable() < nameLength)
            return false;
        QByteArray field = socket->read(nameLength);
        // The name ends at its zero byte; a missing zero byte leaves the field as the name.
        const int zero = field.indexOf('\0');
        if (zero >= 0)
            field.truncate(zero);
        rx = RxState::Command;
        if (requestCommand == wire::kCmdDelete)
            answerDelete(field);
        else
            answerGet(field);
        return true;
    }
    case RxState::RecordHeader:
        return readRecordHeader();
    case RxState::RecordBody:
        return readRecordBody();
    case RxState::Closed:
        return false;
    }
    return false;
}

bool BoardSession::readCommand()
{
    if (socket->bytesAvailable() < wire::kRequestHeaderSize)
        return false;
    char header[wire::kRequestHeaderSize];
    if (socket->read(header, wire::kRequestHeaderSize) != wire::kRequestHeaderSize) {
        protocolError(QStringLiteral("short read"));
        return false;
    }
    if (header[0] != wire::kStartByte) {
        protocolError(QStringLiteral("start byte 0x%1").arg(quint8(header[0]), 2, 16, QLatin1Char('0')));
        return false;
    }
    if (header[1] != wire::kFormSmall && header[1] != wire::kFormBig) {
        protocolError(QStringLiteral("form byte 0x%1").arg(quint8(header[1]), 2, 16, QLatin1Char('0')));
        return false;
    }
    requestForm = header[1];
    requestCommand = static_cast<unsigned char>(header[2]);
    // Once asked for the big form, a board that asked for it answers in it.
    if (options->form == FormMode::AskBig && requestForm == wire::kFormBig)
        bigReplies = true;

    switch (requestCommand) {
    case wire::kCmdList:
        log(QStringLiteral("recv list form=%1 bytes=3").arg(formName(requestForm)));
        answerList();
        return true;
    case wire::kCmdKeepAlive:
        log(QStringLiteral("recv keepalive form=%1 bytes=3").arg(formName(requestForm)));
        answerKeepAlive();
        return true;
    case wire::kCmdDelete:
    case wire::kCmdGet:
        rx = RxState::NameLength;
        return true;
    case wire::kCmdWrite:
        rx = RxState::RecordHeader;
        return true;
    default:
        protocolError(QStringLiteral("unknown command %1").arg(requestCommand));
        return false;
    }
}

bool BoardSession::readRecordHeader()
{
    uploadBig = requestForm == wire::kFormBig;
    const int headerSize = wire::recordSize(uploadBig);
    if (socket->bytesAvailable() < headerSize)
        return false;
    const QByteArray header = socket->read(headerSize);
    if (header.size() != headerSize) {
        protocolError(QStringLiteral("short read"));
        return false;
    }
    upload = wire::decodeUploadHeader(header.constData(), uploadBig);
    uploadReceived = 0;
    recordBytes = headerSize;
    uploadContent.clear();
    uploadDiscard = false;
    uploadRefusal = 0;

    const auto overridden = options->statusOverride.constFind(wire::kCmdWrite);
    QString refusal;
    if (!upload.nameTerminated || upload.name.isEmpty() ||
        (store->hasFolder() && !FlashStore::isSafeFileName(upload.name))) {
        uploadRefusal = kStatusNetworkError;
        refusal = QStringLiteral(" refused=name");
    } else if (overridden != options->statusOverride.constEnd() && overridden.value() != kStatusOk) {
        uploadRefusal = overridden.value();
        refusal = QStringLiteral(" refused=forced");
    } else if (!store->fits(upload.name, upload.size)) {
        // Known before the content arrives: the record is read and dropped, never buffered.
        uploadRefusal = kStatusNoSpaceOrMissing;
        refusal = QStringLiteral(" refused=memory");
    }
    uploadDiscard = uploadRefusal != 0;
    if (!uploadDiscard)
        uploadContent = QByteArray(int(upload.size), Qt::Uninitialized);
    log(QStringLiteral("recv write form=%1 name=%2 size=%3 bytes=%4%5")
            .arg(formName(requestForm), printable(upload.name))
            .arg(upload.size)
            .arg(qint64(wire::kRequestHeaderSize) + headerSize + upload.size)
            .arg(refusal));
    rx = RxState::RecordBody;
    return true;
}

bool BoardSession::readRecordBody()
{
    qint64 wanted = qint64(upload.size) - uploadReceived;
    if (options->dropAfter >= 0) {
        const qint64 allowed = options->dropAfter - recordBytes;
        if (allowed <= 0 && wanted > 0) {
            log(QStringLiteral("dropping the connection after %1 bytes of the upload").arg(recordBytes));
            rx = RxState::Closed;
            socket->abort();
            return false;
        }
        wanted = qMin(wanted, allowed);
    }
    const qint64 n = qMin(wanted, socket->bytesAvailable());
    if (wanted > 0 && n <= 0)
        return false;
    qint64 got = 0;
    if (n > 0) {
        if (uploadDiscard) {
            char scratch[kDiscardChunk];
            while (got < n) {
                const qint64 r = socket->read(scratch, qMin(n - got, kDiscardChunk));
                if (r <= 0)
                    break;
                got += r;
            }
        } else {
            got = socket->read(uploadContent.data() + uploadReceived, n);
        }
        if (got <= 0) {
            protocolError(QStringLiteral("read failed"));
            return false;
        }
    }
    uploadReceived += quint32(got);
    recordBytes += got;
    if (uploadReceived < upload.size)
        return true;
    rx = RxState::Command;
    finishUpload();
    return true;
}

void BoardSession::finishUpload()
{
    quint8 status = uploadRefusal;
    QString outcome;
    if (!uploadDiscard) {
        switch (store->store(upload.name, uploadContent, nowSeconds())) {
        case FlashStore::StoreResult::Stored:
            status = kStatusOk;
            outcome = QStringLiteral("stored");
            break;
        case FlashStore::StoreResult::NoSpace: // another connection took the room meanwhile
            status = kStatusNoSpaceOrMissing;
            outcome = QStringLiteral("no-space");
            break;
        case FlashStore::StoreResult::BadName:
        case FlashStore::StoreResult::IoError:
            status = kStatusNetworkError;
            outcome = QStringLiteral("failed");
            break;
        }
        const auto overridden = options->statusOverride.constFind(wire::kCmdWrite);
        if (overridden != options->statusOverride.constEnd())
            status = overridden.value();
    } else {
        outcome = QStringLiteral("discarded");
    }
    uploadContent = QByteArray();
    sendReply(wire::kCmdWrite, QByteArray(1, char(status)),
              QStringLiteral("status=%1 %2").arg(status).arg(outcome));
}

void BoardSession::answerList()
{
    store->rescan();
    const bool big = bigReplies;
    const bool askForBig = options->form == FormMode::AskBig && !big;
    const int recordSize = wire::recordSize(big);
    const int room =
        wire::kMaxSmallFrame - wire::kReplyHeaderSize - wire::kListPrefixSize - (askForBig ? 1 : 0);
    const auto &files = store->files();
    const int count = qMin(int(files.size()), room / recordSize);
    if (count < int(files.size()))
        log(QStringLiteral("list holds only %1 of %2 files").arg(count).arg(files.size()));

    QByteArray payload(wire::kListPrefixSize, '\0');
    wire::putU32(payload.data(), store->totalMemory());
    wire::putU16(payload.data() + 4, quint16(count));
    payload.reserve(wire::kListPrefixSize + count * recordSize + 1);
    for (int i = 0; i < count; ++i) {
        const StoredFile &file = files[size_t(i)];
        payload.append(
            wire::encodeRecord({file.name, file.modifyTime, file.address, file.size, file.blockNumber}, big));
    }
    if (askForBig)
        payload.append(char(1));
    listedVersion = store->version();
    sendReply(wire::kCmdList, payload,
              QStringLiteral("files=%1 memory=%2%3")
                  .arg(count)
                  .arg(store->totalMemory())
                  .arg(askForBig ? QStringLiteral(" ask-big") : QString()));
}

void BoardSession::answerKeepAlive()
{
    store->rescan();
    quint8 flag = store->version() != listedVersion ? 1 : 0;
    const auto overridden = options->statusOverride.constFind(wire::kCmdKeepAlive);
    if (overridden != options->statusOverride.constEnd())
        flag = overridden.value();
    sendReply(wire::kCmdKeepAlive, QByteArray(1, char(flag)), QStringLiteral("status=%1").arg(flag));
}

void BoardSession::answerDelete(const QByteArray &name)
{
    log(QStringLiteral("recv delete form=%1 name=%2 bytes=%3")
            .arg(formName(requestForm), printable(name))
            .arg(wire::kRequestHeaderSize + 1 + nameLength));
    const auto overridden = options->statusOverride.constFind(wire::kCmdDelete);
    quint8 status = kStatusOk;
    if (overridden != options->statusOverride.constEnd() && overridden.value() != kStatusOk) {
        status = overridden.value();
    } else {
        switch (store->remove(name)) {
        case FlashStore::RemoveResult::Removed:
            status = kStatusOk;
            break;
        case FlashStore::RemoveResult::Missing:
            status = kStatusNoSpaceOrMissing;
            break;
        case FlashStore::RemoveResult::IoError:
            status = kStatusNetworkError;
            break;
        }
        if (overridden != options->statusOverride.constEnd())
            status = overridden.value();
    }
    sendReply(wire::kCmdDelete, QByteArray(1, char(status)), QStringLiteral("status=%1").arg(status));
}

void BoardSession::answerGet(const QByteArray &name)
{
    log(QStringLiteral("recv get form=%1 name=%2 bytes=%3")
            .arg(formName(requestForm), printable(name))
            .arg(wire::kRequestHeaderSize + 1 + nameLength));
    const auto overridden = options->statusOverride.constFind(wire::kCmdGet);
    quint8 status = kStatusOk;
    QByteArray content;
    if (overridden != options->statusOverride.constEnd() && overridden.value() != kStatusOk)
        status = overridden.value();
    else if (name.isEmpty() || !store->readContent(name, &content))
        status = kStatusNoSpaceOrMissing;

    if (status != kStatusOk) {
        // The link needs two payload bytes to read the status; --status-only sends the bare byte.
        QByteArray payload(1, char(status));
        if (!options->statusOnly)
            payload.append(char(0));
        if (bigReplies) {
            const quint32 total = quint32(wire::kBigReplyHeaderSize + payload.size());
            sendDownload(wire::bigDownloadHeader(total, startByteFor(wire::kCmdGet)) + payload, QByteArray(),
                         QStringLiteral("form=big status=%1").arg(status));
        } else {
            sendReply(wire::kCmdGet, payload, QStringLiteral("status=%1").arg(status));
        }
        return;
    }

    // Payload: status, name length counting its zero byte, the name, the zero byte, the content.
    QByteArray namePart(2, '\0');
    namePart[0] = char(kStatusOk);
    namePart[1] = char(name.size() + 1);
    namePart.append(name).append('\0');
    const quint64 smallTotal =
        quint64(wire::kReplyHeaderSize) + quint64(namePart.size()) + quint64(content.size());
    QByteArray head;
    QString form;
    if (bigReplies || smallTotal > quint64(wire::kMaxSmallFrame)) {
        // The big header also carries replies too long for the 16-bit length in the small form.
        const quint32 total = quint32(wire::kBigReplyHeaderSize + namePart.size() + content.size());
        head = wire::bigDownloadHeader(total, startByteFor(wire::kCmdGet)) + namePart;
        form = bigReplies ? QStringLiteral("big") : QStringLiteral("big(oversize)");
    } else {
        head = QByteArray(wire::kReplyHeaderSize, '\0');
        wire::putU16(head.data(), quint16(smallTotal));
        head[2] = startByteFor(wire::kCmdGet);
        head[3] = wire::kFormSmall;
        head[4] = char(wire::kCmdGet);
        head.append(namePart);
        form = QStringLiteral("small");
    }
    const qint64 contentSize = content.size();
    sendDownload(
        std::move(head), std::move(content),
        QStringLiteral("form=%1 status=0 name=%2 size=%3").arg(form, printable(name)).arg(contentSize));
}

void BoardSession::sendReply(int command, const QByteArray &payload, const QString &details)
{
    Outgoing outgoing;
    outgoing.head = wire::replyFrame(replyForm(), command, payload, startByteFor(command));
    const QString line =
        QStringLiteral("send %1 form=%2 bytes=%3 %4%5")
            .arg(commandName(command), formName(replyForm()))
            .arg(outgoing.head.size())
            .arg(details, options->malformed.contains(command) ? QStringLiteral(" malformed") : QString());
    if (options->ignored.contains(command)) {
        log(QStringLiteral("ignoring %1").arg(commandName(command)));
        return;
    }
    queueOutgoing(std::move(outgoing), line);
}

void BoardSession::sendDownload(QByteArray head, QByteArray body, const QString &details)
{
    Outgoing outgoing;
    outgoing.isDownload = true;
    const qint64 total = head.size() + body.size();
    outgoing.head = std::move(head);
    outgoing.body = std::move(body);
    const QString line =
        QStringLiteral("send get bytes=%1 %2%3")
            .arg(total)
            .arg(details,
                 options->malformed.contains(wire::kCmdGet) ? QStringLiteral(" malformed") : QString());
    if (options->ignored.contains(wire::kCmdGet)) {
        log(QStringLiteral("ignoring get"));
        return;
    }
    queueOutgoing(std::move(outgoing), line);
}

void BoardSession::queueOutgoing(Outgoing outgoing, const QString &logLine)
{
    out = std::move(outgoing);
    replyPending = true;
    if (options->delayMs > 0)
        QTimer::singleShot(options->delayMs, this, [this, logLine] { startOutgoing(logLine); });
    else
        startOutgoing(logLine);
}

void BoardSession::startOutgoing(const QString &logLine)
{
    if (rx == RxState::Closed)
        return;
    log(logLine);
    out.active = true;
    feedOutgoing();
}

void BoardSession::feedOutgoing()
{
    if (!out.active || rx == RxState::Closed)
        return;
    const qint64 total = out.head.size() + out.body.size();
    const qint64 limit = out.isDownload && options->dropAfter >= 0 ? qMin(total, options->dropAfter) : total;
    if (out.sent == 0) {
        const qint64 n = qMin<qint64>(out.head.size(), limit);
        socket->write(out.head.constData(), n);
        out.sent = n;
    }
    // Once the loop runs the head is out whole, so the body continues at sent - head size.
    while (out.sent < limit && socket->bytesToWrite() < kOutputChunk) {
        const qint64 n = qMin(kOutputChunk, limit - out.sent);
        socket->write(out.body.constData() + (out.sent - out.head.size()), n);
        out.sent += n;
    }
    if (out.sent < limit)
        return; // the rest follows on bytesWritten
    if (limit < total) {
        log(QStringLiteral("dropping the connection after %1 bytes of the download").arg(limit));
        rx = RxState::Closed;
        out = Outgoing();
        socket->disconnectFromHost(); // sends what is buffered, then closes
        return;
    }
    replyDone();
}

void BoardSession::replyDone()
{
    out = Outgoing();
    replyPending = false;
    // Requests that arrived meanwhile are still in the socket's buffer (pump ignores re-entry).
    pump();
}

} // namespace boardsim
