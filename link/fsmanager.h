#pragma once

#include "batchbook.h"
#include "pcbprotocol.h"
#include "pcbtypes.h"
#include "replycollector.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

class QIODevice;
class QTcpSocket;
class QTimerEvent;
struct CommandRow;

// The one link to the controller board: connection, keep-alive, the command queue and
// every request/reply of the board's file protocol. Talks to the window only through signals.
class FsManager : public QObject
{
    Q_OBJECT
    friend struct CommandRow; // the command table names each command's request writer and reply handler

public:
    // Drives the command and reply path from bytes, without a socket (replydriver.h): what feeds the
    // link replies by hand, a fuzzer say, goes through it. The program itself never uses it.
    class ReplyDriver;

    explicit FsManager(QObject *parent = nullptr);
    ~FsManager() override;

    int getCurrentCommand() const { return currentCommand; }
    bool isCommandRunning() const { return commandRunning; }
    bool isConnected() const;
    // How the last connection ended: set before connectionStateIsUpdated(0) and the
    // requestFinished(..., ResultConnectionLost, ...) that tell it, ConnectionNotEnded again from
    // connectToPcb on.
    PcbConnectionEnd connectionEnd() const { return connectionEnded; }
    // The error the last connection ended with; UnknownSocketError when it ended without one
    // (a time limit, an oversized reply) or none has ended since connectToPcb.
    QAbstractSocket::SocketError lastSocketError() const { return socketError; }

    // Multiplies every timer period (queue tick, keep-alive, connect and reply limits).
    // 1.0 is the normal pace; tests shrink it so that time limits can be waited for quickly.
    void setTimeScale(double scale);

    // Sends the next queued command now when none is under way, instead of at the next tick of the
    // queue. The tick paces a window that queues as a user clicks; a caller that queues one command
    // and then only waits for its result (the command-line client) need not wait for it.
    void runQueuedCommand();

    // Default board address used when the settings file holds none (or an unusable one).
    static QString defaultPcbAddress();

signals:
    void connectionStateIsUpdated(int State);
    void errorOccured(QString ErrorDesc);
    void startedRunCommand(QString CommandDesc);
    void progressUpdated(uint Progress);
    void listfilesReady(QList<FstEntry> ListFiles, uint32_t AllMemory, uint32_t MemoryUsed);
    void listfilesReady_big(QList<FstEntry_big> ListFiles, uint32_t AllMemory, uint32_t MemoryUsed);
    void filesSendingIsFinished(QString CodeDesc);
    void fileDeletingIsFinished(QString CodeDesc);
    void filesRecievingIsFinished(QMap<QString, QByteArray> FilesList, QString CodeDesc);
    // Follows every result above that ends a request, once the link has settled: Command is the
    // PcbCommand answered, or 0 when no command was running (a connection refused or timed out
    // while connecting, or broken while idle); Result a PcbResult; Text the text of that result.
    // A list request ends with the table in its final form. A connection that ends also drops
    // every queued request: connectionStateIsUpdated(0) tells that.
    void requestFinished(int Command, int Result, QString Text);
    // Follows each item of an upload, delete or download batch that the board carried out (a
    // record stored, a file deleted, a file received), in the order the batch sends them. For a
    // download, Name and Content are the file as the board sent it; otherwise both are empty.
    // The window needs only the batch's end; a caller that must tell what became of each file
    // when a batch breaks off counts these.
    void batchItemDone(int Command, QString Name, QByteArray Content);

public slots:
    QHostAddress getPcbIp();
    uint16_t getPcbPort();
    // Points the link at PcbIp and remembers it in the settings file of the current directory.
    void setPcbIp(QHostAddress PcbIp);
    // Points the link at PcbIp for this object only; the settings file keeps what it holds.
    void usePcbIp(QHostAddress PcbIp);
    void setPcbPort(uint16_t PcbPort);
    void connectToPcb();
    void disconnectFromPcb();
    void getListFiles();
    void writeFiles(QStringList PathList);
    void deleteFiles(QStringList FileNameList);
    void getFiles(QMap<QString, uint> FileNameList);

protected:
    void timerEvent(QTimerEvent *event) override;

private slots:
    void pcbConnected();
    void pcbDisconnected();
    void pcbConnectionError(QAbstractSocket::SocketError);
    void readFromPcb();
    void writtenBytes(qint64 count);

private:
    // The reply handlers of the command table, each given the reply's command and its payload.
    void readKeepAlive(PcbCommand command, uint8_t *RecvData, uint Size);
    // A list reply in the form the reply came in.
    void readListFiles(PcbCommand command, uint8_t *RecvData, uint Size);
    // A write or delete reply: a status byte.
    void readItemStatus(PcbCommand command, uint8_t *RecvData, uint Size);
    void readRecievFile(PcbCommand command, uint8_t *RecvData, uint Size);

    void sendCommand(PcbCommand Command);
    // The request writers of the command table: the header alone (list, keep-alive), with the first
    // piece of the first upload record, or with the next name of a deletion or download.
    void sendHeader(PcbCommand command, QByteArray header);
    void sendRecord(PcbCommand command, QByteArray header);
    void sendName(PcbCommand command, QByteArray header);
    qint64 writeRequest(const QByteArray &bytes);
    void runNextCommand();
    void resetState();
    // The reply path of a socket read: Source's bytes into the collector, then every complete
    // frame to its handler, as long as the link still has the socket Current it had before.
    void feedReplies(QIODevice &source);
    void dispatchReplies(const QTcpSocket *current);
    void dispatchReply(ReplyCollector::Frame &frame);
    // The bytes from Begin to the end of the frame being dispatched, moved out of it if possible.
    QByteArray takeReplyTail(const uint8_t *begin, uint size);
    // A list reply of either form, told through Ready (listfilesReady or listfilesReady_big).
    template <typename Entry>
    void readList(const PcbProtocol::ListReply<Entry> &reply,
                  void (FsManager::*ready)(QList<Entry>, uint32_t, uint32_t));
    void enqueueOnce(PcbCommand command);
    void enqueueBatchCommand(PcbCommand command);
    // The response limit is a deadline: starting it again for every file or piece only moves the
    // deadline, and the one timer behind it, when it fires before the deadline, is set for what is
    // left. A batch of many small files then registers no timer per file.
    void startResponseTimer(int periodMs);
    void stopResponseTimer() { responseDueNs = -1; }
    void armResponseTimer(int limitMs);
    void responseTimerFired();
    int scaledMs(int periodMs) const;
    int startScaledTimer(int periodMs);
    void stopTimer(int &timerId);
    bool isCurrentSocketSignal() const;
    void releaseSocket();
    // The one ending of a connection that fails: offline (state 0, once), every queue dropped, Text
    // told as an error (not for a socket that broke while merely polling) and the command that was
    // running ended as ResultConnectionLost with it. A socket that failed has ended by itself; one
    // the link gives up on (a time limit, an oversized reply) it aborts.
    void endConnection(PcbConnectionEnd how, const QString &text);
    // Writes Frame (a request header, or empty while a record continues) and the next piece of
    // the first queued record.
    void sendUploadPiece(QByteArray frame);
    void paceUploadPiece(bool endsRecord);
    void emitBatchProgress(const Batch &batch);
    // The one path of every upload, delete and download reply: the item booked, the next one sent
    // or the batch ended. Name and Content are a downloaded file's.
    void readBatchReply(PcbCommand command, ItemReply reply, const QString &name = QString(),
                        QByteArray content = QByteArray());

    QTcpSocket *socket = nullptr;
    QHostAddress pcbAddress;
    uint16_t pcbPort = 2502;
    // Cuts the reply stream into frames; holds the announced length and the bytes so far.
    ReplyCollector replies;
    ReplyCollector::Frame *dispatchedFrame = nullptr; // the frame whose handler runs now
    int queueTimerId = -1;
    int responseTimerId = -1;
    int responseTimerMs = 0;   // the period it was set with
    qint64 responseDueNs = -1; // on responseClock; -1: no limit runs
    QElapsedTimer responseClock;
    int keepAliveTimerId = -1;
    QList<PcbCommand> commandQueue;
    bool commandRunning = false;
    int currentCommand = 0;
    BatchBook batches;
    bool lowDelay = false; // the socket sends small writes at once instead of coalescing them
    bool bigMode = false;
    QAbstractSocket::SocketError socketError = QAbstractSocket::UnknownSocketError;
    PcbConnectionEnd connectionEnded = ConnectionNotEnded;

    double timeScaleFactor = 1.0;
};
