#include "fakeboard.h"
#include "lebytes.h"

#include <QTcpSocket>
#include <QtEndian>
#include <cstring>

namespace {
constexpr char kStart = 0x0B;
constexpr char kSmall = 0x0C;
constexpr int kHeader = 3;
constexpr int kRecord = 64;
constexpr int kRecordSizeOffset = 60;

QByteArray nameUpToNul(const char *data, int max)
{
    return QByteArray(data, static_cast<int>(qstrnlen(data, static_cast<size_t>(max))));
}
} // namespace

FakeBoard::FakeBoard(QObject *parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &FakeBoard::onNewConnection);
}

bool FakeBoard::listen()
{
    return server.listen(QHostAddress::LocalHost, 0);
}

quint16 FakeBoard::port() const
{
    return server.serverPort();
}

bool FakeBoard::hasPeer() const
{
    return peer && peer->state() == QAbstractSocket::ConnectedState;
}

int FakeBoard::count(int command) const
{
    int n = 0;
    for (const Request &r : requests)
        n += r.command == command ? 1 : 0;
    return n;
}

QList<QByteArray> FakeBoard::names(int command) const
{
    QList<QByteArray> result;
    for (const Request &r : requests)
        if (r.command == command)
            result << r.name;
    return result;
}

void FakeBoard::onNewConnection()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        if (peer)
            peer->deleteLater();
        peer = socket;
        input.clear();
        connect(socket, &QTcpSocket::readyRead, this, &FakeBoard::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FakeBoard::onReadyRead()
{
    if (!peer)
        return;
    input += peer->readAll();
    while (parseOne()) {
    }
}

// Takes one complete request off the front of the input; false when more bytes are needed.
bool FakeBoard::parseOne()
{
    if (input.size() < kHeader)
        return false;
    if (input.at(0) != kStart) {
        input.clear(); // not a request the link sends; drop it
        return false;
    }
    const int command = static_cast<uchar>(input.at(2));
    Request request;
    request.command = command;
    int used = kHeader;
    switch (command) {
    case 1:
    case 4:
        break;
    case 3:
    case 5: {
        if (input.size() < kHeader + 1)
            return false;
        const int length = static_cast<uchar>(input.at(kHeader));
        if (input.size() < kHeader + 1 + length)
            return false;
        request.name = nameUpToNul(input.constData() + kHeader + 1, length);
        used = kHeader + 1 + length;
        break;
    }
    case 2: {
        if (input.size() < kHeader + kRecord)
            return false;
        const char *header = input.constData() + kHeader;
        const quint16 content = qFromLittleEndian<quint16>(header + kRecordSizeOffset);
        if (input.size() < kHeader + kRecord + content)
            return false;
        request.name = nameUpToNul(header, 52);
        files.insert(request.name, input.mid(kHeader + kRecord, content));
        used = kHeader + kRecord + content;
        break;
    }
    default:
        input.clear();
        return false;
    }
    input.remove(0, used);
    requests << request;

    if (!holdReplies.contains(command)) {
        switch (command) {
        case 1:
            reply(1, listPayload());
            break;
        case 2:
        case 3:
            if (command == 3)
                files.remove(request.name);
            reply(command, QByteArray(1, '\0'));
            break;
        case 4:
            reply(4, QByteArray(1, '\0'));
            break;
        case 5: {
            const auto it = files.constFind(request.name);
            if (it == files.cend()) {
                reply(5, QByteArray(1, '\2'));
                break;
            }
            const QByteArray name = replyNameFor.value(request.name, request.name);
            QByteArray payload(1, '\0');
            payload += char(name.size() + 1);
            payload += name;
            payload += '\0';
            payload += it.value();
            reply(5, payload);
            break;
        }
        default:
            break;
        }
    }
    emit requestParsed(command);
    return true;
}

void FakeBoard::reply(int command, const QByteArray &payload)
{
    QByteArray frame(5, '\0');
    putLE<quint16>(frame, 0, static_cast<quint16>(5 + payload.size()));
    frame[2] = kStart;
    frame[3] = kSmall;
    frame[4] = static_cast<char>(command);
    frame += payload;
    peer->write(frame);
}

QByteArray FakeBoard::listPayload() const
{
    QByteArray payload(6, '\0');
    putLE<quint32>(payload, 0, allMemory);
    putLE<quint16>(payload, 4, static_cast<quint16>(files.size()));
    quint32 address = 0x1000;
    quint16 block = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QByteArray record(kRecord, '\0');
        std::memcpy(record.data(), it.key().constData(), static_cast<size_t>(qMin(it.key().size(), 51)));
        putLE<quint32>(record, 52, 1700000000u);
        putLE<quint32>(record, 56, address);
        putLE<quint16>(record, 60, static_cast<quint16>(it.value().size()));
        putLE<quint16>(record, 62, block++);
        address += static_cast<quint32>(it.value().size());
        payload += record;
    }
    return payload;
}
