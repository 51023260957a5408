#pragma once

#include "fsmanager.h"
#include "linkrecorder.h"
#include "tempcwd.h"
#include "testpeer.h"

#include <QTest>

constexpr char kSmall = 0x0C;
constexpr char kBig = 0x0D;

// One link against one scripted peer. Members are built in the order the link needs: the
// temporary working directory first (the link reads its settings file when constructed), then
// the peer, then the link, pointed at 127.0.0.1 and the peer's port before anything connects.
struct LinkHarness
{
    TempCwd cwd;
    TestPeer peer;
    FsManager link;
    LinkRecorder rec{link};

    LinkHarness()
    {
        link.setPcbIp(QHostAddress::LocalHost);
        link.setPcbPort(peer.port());
    }

    // Connects and answers the opening list request with an empty table.
    bool connectLink()
    {
        link.connectToPcb();
        TestPeer::Request request;
        if (!peer.waitForConnection() || !peer.nextRequest(request) || request.command != CmdListFiles)
            return false;
        const int before = rec.tables.size();
        peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
        return QTest::qWaitFor([&] { return rec.tables.size() > before && !link.isCommandRunning(); });
    }

    // The next request the link sends, or an empty one after the wait ran out.
    TestPeer::Request next()
    {
        TestPeer::Request request;
        peer.nextRequest(request);
        return request;
    }
};
