#include "fakeboard.h"

#include "pcbprotocol.h"

#include <QtEndian>

namespace {
using namespace PcbProtocol;

QByteArray nameUpToNul(const QByteArray &field)
{
    const int end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

// The file name a request carries: after its length byte for a delete or a get, in the record
// header of an upload.
QByteArray requestedName(const TestPeer::Request &request)
{
    switch (request.command) {
    case CmdDeleteFile:
    case CmdGetFile:
        return nameUpToNul(request.bytes.mid(kRequestHeaderSize + 1));
    case CmdWriteFile:
        return nameUpToNul(request.bytes.mid(kRequestHeaderSize, kNameFieldSize));
    default:
        return QByteArray();
    }
}
} // namespace

FakeBoard::FakeBoard(QObject *parent) : QObject(parent)
{
    // Keep-alive polls are requests like any other here: the window's tests count them.
    peer.setAutoKeepAlive(false);
    connect(&peer, &TestPeer::requestArrived, this, &FakeBoard::answerRequests);
}

bool FakeBoard::listen()
{
    return peer.isListening();
}

quint16 FakeBoard::port() const
{
    return peer.port();
}

bool FakeBoard::hasPeer() const
{
    return peer.isConnected();
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

void FakeBoard::answerRequests()
{
    TestPeer::Request request;
    while (peer.takeRequest(request)) {
        const QByteArray name = requestedName(request);
        if (request.command == CmdWriteFile) {
            const int header = kRequestHeaderSize + kSmallEntrySize;
            files.insert(name, request.bytes.mid(header));
        }
        requests << Request{request.command, name};
        if (!holdReplies.contains(request.command))
            answer(request, name);
        emit requestParsed(request.command);
    }
}

void FakeBoard::answer(const TestPeer::Request &request, const QByteArray &name)
{
    const int command = request.command;
    switch (command) {
    case CmdListFiles:
        peer.reply(kSmallForm, command, listPayload());
        break;
    case CmdDeleteFile:
        files.remove(name);
        peer.reply(kSmallForm, command, QByteArray(1, char(kStatusOk)));
        break;
    case CmdWriteFile:
    case CmdKeepAlive:
        peer.reply(kSmallForm, command, QByteArray(1, char(kStatusOk)));
        break;
    case CmdGetFile: {
        const auto it = files.constFind(name);
        if (it == files.cend())
            peer.reply(kSmallForm, command, QByteArray(1, char(kStatusNoSuchFile)));
        else
            peer.reply(kSmallForm, command,
                       TestPeer::filePayload(replyNameFor.value(name, name), it.value()));
        break;
    }
    default:
        break;
    }
}

QByteArray FakeBoard::listPayload() const
{
    QList<QByteArray> records;
    quint32 address = 0x1000;
    quint16 block = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        records << TestPeer::entry(it.key().left(kMaxNameLength), 1700000000u, address,
                                   static_cast<quint32>(it.value().size()), block++, false);
        address += static_cast<quint32>(it.value().size());
    }
    return TestPeer::listPayload(allMemory, records);
}
