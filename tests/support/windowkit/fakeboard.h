#pragma once

#include "testpeer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>

// A minimal board on 127.0.0.1 for the window's tests, on the link tests' scripted peer: it answers
// the link's requests in the small form from an in-memory file table and records every request, so
// a test sees exactly what the window asked the link to send.
class FakeBoard : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        int command = 0;
        QByteArray name; // delete/get: the requested name; write: the name in the record header
    };

    explicit FakeBoard(QObject *parent = nullptr);
    bool listen(); // 127.0.0.1, a port of the system's choice
    quint16 port() const;
    bool hasPeer() const;

    // name -> content; the list reply derives sizes from the contents.
    QMap<QByteArray, QByteArray> files;
    quint32 allMemory = 100000;
    // Get requests for a key are answered with the value as the file's name.
    QMap<QByteArray, QByteArray> replyNameFor;
    // Commands whose requests are recorded but never answered.
    QSet<int> holdReplies;

    QList<Request> requests;
    int count(int command) const;
    QList<QByteArray> names(int command) const;

signals:
    void requestParsed(int command);

private:
    void answerRequests();
    void answer(const TestPeer::Request &request, const QByteArray &name);
    QByteArray listPayload() const;

    TestPeer peer;
};
