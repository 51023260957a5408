#pragma once

#include "flashstore.h"
#include "options.h"
#include "wire.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;

namespace boardsim {

// One connection of the simulated board. Requests are parsed as a state machine straight from
// the socket's buffer (they may arrive split across segments or glued together); each request
// gets its reply before the next one is parsed, so replies keep the order of the requests even
// when delayed or streamed in chunks.
class BoardSession final : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of `socket`. `store` and `options` must outlive the session.
    BoardSession(QTcpSocket *socket, FlashStore *store, const SimOptions *options, int id,
                 QObject *parent = nullptr);
    ~BoardSession() override;
    BoardSession(const BoardSession &) = delete;
    BoardSession &operator=(const BoardSession &) = delete;

signals:
    void closed();

private:
    enum class RxState
    {
        Command,      // waiting for start, form and command bytes
        NameLength,   // delete/get: waiting for the name length byte
        Name,         // delete/get: waiting for the name bytes
        RecordHeader, // write: waiting for the upload record header
        RecordBody,   // write: receiving the record's content
        Closed,       // protocol error or deliberate drop: nothing more is read
    };

    // A reply being handed to the socket: a small head, then a body written in chunks.
    struct Outgoing
    {
        QByteArray head;
        QByteArray body;
        qint64 sent = 0;
        bool isDownload = false;
        bool active = false;
    };

    void pump();
    bool step();
    bool readCommand();
    bool readRecordHeader();
    bool readRecordBody();
    void finishUpload();
    void answerList();
    void answerKeepAlive();
    void answerDelete(const QByteArray &name);
    void answerGet(const QByteArray &name);

    void sendReply(int command, const QByteArray &payload, const QString &details);
    void sendDownload(QByteArray head, QByteArray body, const QString &details);
    void queueOutgoing(Outgoing outgoing, const QString &logLine);
    void startOutgoing(const QString &logLine);
    void feedOutgoing();
    void replyDone();

    void protocolError(const QString &reason);
    void log(const QString &text) const;
    char replyForm() const { return bigReplies ? wire::kFormBig : wire::kFormSmall; }
    char startByteFor(int command) const;
    QString formName(char form) const;

    QTcpSocket *socket;
    FlashStore *store;
    const SimOptions *options;
    const int id;

    RxState rx = RxState::Command;
    char requestForm = wire::kFormSmall;
    int requestCommand = 0;
    int nameLength = 0;
    bool bigReplies = false;
    quint64 listedVersion = 0;

    // Upload record being received.
    wire::UploadHeader upload;
    bool uploadBig = false;
    QByteArray uploadContent; // receives the content in place; empty when discarding
    bool uploadDiscard = false;
    quint8 uploadRefusal = 0; // status to answer when the record is discarded
    quint32 uploadReceived = 0;
    qint64 recordBytes = 0; // header and content received, for --drop-after

    Outgoing out;
    bool replyPending = false;
    bool pumping = false;
};

} // namespace boardsim
