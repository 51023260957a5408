#pragma once

#include "pcbtypes.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A scripted board: listens on 127.0.0.1 (port 0), cuts what the link sends into whole requests,
// and lets a test, or a board built on it, answer with reply frames made here.
class TestPeer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        char form = 0;
        int command = 0;
        QByteArray bytes; // the whole request as it came over the wire
    };

    static constexpr int kWaitMs = 10000;

    explicit TestPeer(QObject *parent = nullptr);

    bool isListening() const { return server.isListening(); }
    quint16 port() const { return server.serverPort(); }
    int connectionCount() const { return connections; }
    bool isConnected() const;

    // Answers keep-alive polls with a zero flag by itself and hides them from nextRequest.
    void setAutoKeepAlive(bool on) { autoKeepAlive = on; }

    bool waitForConnection(int count = 1, int timeoutMs = kWaitMs);
    // Takes the oldest complete request, waiting for it if needed.
    bool nextRequest(Request &request, int timeoutMs = kWaitMs);
    // Takes the oldest complete request if there is one, without waiting.
    bool takeRequest(Request &request);
    int pendingRequests() const { return requests.size(); }
    // Keep-alive polls answered by the peer itself, as they came over the wire.
    const QList<QByteArray> &answeredPolls() const { return polls; }

    void send(const QByteArray &bytes);
    void reply(char form, int command, const QByteArray &payload) { send(frame(form, command, payload)); }
    void closeConnection();

signals:
    // A complete request came and waits to be taken.
    void requestArrived();

public:
    // A reply frame with the 16-bit length header.
    static QByteArray frame(char form, int command, const QByteArray &payload);
    // A get-file reply in the big form, with the 10-byte header and its 32-bit length.
    static QByteArray bigFileFrame(const QByteArray &payload);
    // List reply payload with the given total memory and records (64 or 66 bytes each).
    static QByteArray listPayload(quint32 allMemory, const QList<QByteArray> &records, int count = -1);
    static QByteArray entry(const QByteArray &name, quint32 time, quint32 address, quint32 size,
                            quint16 block, bool big);
    // Get-file reply payload with status 0.
    static QByteArray filePayload(const QByteArray &name, const QByteArray &content);

private:
    void acceptConnection();
    void readRequests();
    qint64 requestLength() const;

    QTcpServer server;
    QPointer<QTcpSocket> connection;
    QByteArray inbox;
    QList<Request> requests;
    QList<QByteArray> polls;
    bool autoKeepAlive = true;
    int connections = 0;
};
