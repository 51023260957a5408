#pragma once

#include "pcbtypes.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>

class QTcpSocket;
class QTimerEvent;

// The one link to the controller board: connection, keep-alive, the command queue and
// every request/reply of the board's file protocol. Talks to the window only through signals.
class FsManager : public QObject
{
    Q_OBJECT

public:
    explicit FsManager(QObject *parent = nullptr);
    ~FsManager() override;

    int getCurrentCommand() const { return currentCommand; }
    bool isCommandRunning() const { return commandRunning; }
    bool isConnected() const;

    // Multiplies every timer period (queue tick, keep-alive, connect and reply limits).
    // 1.0 is the normal pace; tests shrink it so that time limits can be waited for quickly.
    void setTimeScale(double scale);
    double timeScale() const { return timeScaleFactor; }

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

public slots:
    QHostAddress getPcbIp();
    uint16_t getPcbPort();
    void setPcbIp(QHostAddress PcbIp);
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
    void readKeepAlive(uint8_t *RecvData, uint Size);
    void readListFiles(uint8_t *RecvData, uint Size);
    void readListFiles_big(uint8_t *RecvData, uint Size);
    void readResponseOnWriteFile(uint8_t *RecvData, uint Size);
    void readDeleteFile(uint8_t *RecvData, uint Size);
    void readRecievFile(uint8_t *RecvData, uint Size);

private:
    void sendCommand(PcbCommand Command);
    void runNextCommand();
    void resetState();
    // implementation helpers are declared by the implementer below this line

    QTcpSocket *socket = nullptr;
    QHostAddress pcbAddress;
    uint16_t pcbPort = 2502;
    uint32_t expectedLength = 0;
    QByteArray rxBuffer;
    int queueTimerId = -1;
    int responseTimerId = -1;
    int keepAliveTimerId = -1;
    QList<PcbCommand> commandQueue;
    bool commandRunning = false;
    int currentCommand = 0;
    QList<QByteArray> uploadQueue;
    uint32_t uploadTotal = 0;
    QList<QByteArray> deleteQueue;
    uint32_t deleteTotal = 0;
    QMap<QByteArray, uint> downloadQueue;
    uint32_t downloadTotal = 0;
    QMap<QString, QByteArray> receivedFiles;
    bool bigMode = false;

    double timeScaleFactor = 1.0;
};
