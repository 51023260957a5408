#include "testpeer.h"
#include "lebytes.h"
#include "pcbprotocol.h"

#include <QTest>
#include <QtEndian>

namespace {
using namespace PcbProtocol;
} // namespace

TestPeer::TestPeer(QObject *parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &TestPeer::acceptConnection);
    server.listen(QHostAddress::LocalHost, 0);
}

bool TestPeer::isConnected() const
{
    return connection && connection->state() == QAbstractSocket::ConnectedState;
}

bool TestPeer::waitForConnection(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return connections >= count && isConnected(); }, timeoutMs);
}

bool TestPeer::nextRequest(Request &request, int timeoutMs)
{
    if (!QTest::qWaitFor([&] { return !requests.isEmpty(); }, timeoutMs))
        return false;
    return takeRequest(request);
}

bool TestPeer::takeRequest(Request &request)
{
    if (requests.isEmpty())
        return false;
    request = requests.takeFirst();
    return true;
}

void TestPeer::send(const QByteArray &bytes)
{
    if (connection) {
        connection->write(bytes);
        connection->flush();
    }
}

void TestPeer::closeConnection()
{
    if (connection)
        connection->disconnectFromHost();
}

QByteArray TestPeer::frame(char form, int command, const QByteArray &payload)
{
    QByteArray bytes(kReplyHeaderSize, '\0');
    putLE<quint16>(bytes, kReplyLengthOffset, static_cast<quint16>(payload.size() + kReplyHeaderSize));
    bytes[kReplyStartOffset] = kStartByte;
    bytes[kReplyFormOffset] = form;
    bytes[kReplyCommandOffset] = static_cast<char>(command);
    return bytes + payload;
}

QByteArray TestPeer::bigFileFrame(const QByteArray &payload)
{
    QByteArray bytes(kBigFileHeaderSize, '\0');
    bytes[kReplyStartOffset] = kStartByte;
    bytes[kReplyFormOffset] = kBigForm;
    bytes[kReplyCommandOffset] = static_cast<char>(CmdGetFile);
    putLE<quint32>(bytes, kBigFileLengthOffset, static_cast<quint32>(payload.size() + kBigFileHeaderSize));
    return bytes + payload;
}

QByteArray TestPeer::listPayload(quint32 allMemory, const QList<QByteArray> &records, int count)
{
    QByteArray bytes(kListHeaderSize, '\0');
    putLE<quint32>(bytes, 0, allMemory);
    putLE<quint16>(bytes, kListCountOffset, static_cast<quint16>(count < 0 ? records.size() : count));
    for (const QByteArray &record : records)
        bytes += record;
    return bytes;
}

QByteArray TestPeer::entry(const QByteArray &name, quint32 time, quint32 address, quint32 size, quint16 block,
                           bool big)
{
    QByteArray bytes(big ? kBigEntrySize : kSmallEntrySize, '\0');
    bytes.replace(0, name.size(), name);
    putLE<quint32>(bytes, kEntryTimeOffset, time);
    putLE<quint32>(bytes, kEntryAddressOffset, address);
    if (big) {
        putLE<quint32>(bytes, kEntrySizeOffset, size);
        putLE<quint16>(bytes, kBigEntryBlockOffset, block);
    } else {
        putLE<quint16>(bytes, kEntrySizeOffset, static_cast<quint16>(size));
        putLE<quint16>(bytes, kSmallEntryBlockOffset, block);
    }
    return bytes;
}

QByteArray TestPeer::filePayload(const QByteArray &name, const QByteArray &content)
{
    QByteArray bytes;
    bytes.append('\0');
    bytes.append(static_cast<char>(name.size() + 1));
    bytes.append(name);
    bytes.append('\0');
    return bytes + content;
}

void TestPeer::acceptConnection()
{
    while (QTcpSocket *incoming = server.nextPendingConnection()) {
        if (connection)
            connection->deleteLater();
        connection = incoming;
        inbox.clear();
        requests.clear();
        ++connections;
        connect(incoming, &QTcpSocket::readyRead, this, &TestPeer::readRequests);
    }
}

qint64 TestPeer::requestLength() const
{
    if (inbox.size() < 3)
        return -1;
    switch (inbox.at(2)) {
    case CmdListFiles:
    case CmdKeepAlive:
        return 3;
    case CmdDeleteFile:
    case CmdGetFile:
        return inbox.size() <= kRequestHeaderSize
                   ? -1
                   : kRequestHeaderSize + 1 + static_cast<quint8>(inbox.at(kRequestHeaderSize));
    case CmdWriteFile: {
        const bool big = inbox.at(1) == kBigForm;
        const int header = big ? kBigEntrySize : kSmallEntrySize;
        if (inbox.size() < kRequestHeaderSize + header)
            return -1;
        const char *sizeField = inbox.constData() + kRequestHeaderSize + kEntrySizeOffset;
        const qint64 content = big ? qint64(qFromLittleEndian<quint32>(sizeField))
                                   : qint64(qFromLittleEndian<quint16>(sizeField));
        return kRequestHeaderSize + header + content;
    }
    default:
        return inbox.size(); // unknown: hand everything over as it is
    }
}

void TestPeer::readRequests()
{
    auto *source = qobject_cast<QTcpSocket *>(sender());
    if (source != connection)
        return;
    inbox += source->readAll();
    for (;;) {
        const qint64 length = requestLength();
        if (length < 0 || inbox.size() < length)
            return;
        Request request;
        request.form = inbox.at(1);
        request.command = inbox.at(2);
        request.bytes = inbox.left(static_cast<int>(length));
        inbox.remove(0, static_cast<int>(length));
        if (autoKeepAlive && request.command == CmdKeepAlive) {
            polls.append(request.bytes);
            reply(request.form, CmdKeepAlive, QByteArray(1, '\0'));
        } else {
            requests.append(request);
            emit requestArrived();
        }
    }
}
