#pragma once

#include "fsmanager.h"
#include "tempcwd.h"
#include "testpeer.h"

#include <QSignalSpy>
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
    QSignalSpy states{&link, &FsManager::connectionStateIsUpdated};
    QSignalSpy errors{&link, &FsManager::errorOccured};
    QSignalSpy started{&link, &FsManager::startedRunCommand};
    QSignalSpy progress{&link, &FsManager::progressUpdated};
    QSignalSpy lists{&link, &FsManager::listfilesReady};
    QSignalSpy bigLists{&link, &FsManager::listfilesReady_big};
    QSignalSpy sent{&link, &FsManager::filesSendingIsFinished};
    QSignalSpy deleted{&link, &FsManager::fileDeletingIsFinished};
    QSignalSpy received{&link, &FsManager::filesRecievingIsFinished};
    QSignalSpy results{&link, &FsManager::requestFinished};

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
        const int before = lists.count();
        peer.reply(kSmall, CmdListFiles, TestPeer::listPayload(0, {}));
        return QTest::qWaitFor([&] { return lists.count() > before && !link.isCommandRunning(); });
    }

    // The next request the link sends, or an empty one after the wait ran out.
    TestPeer::Request next()
    {
        TestPeer::Request request;
        peer.nextRequest(request);
        return request;
    }

    QList<uint> progressValues() const
    {
        QList<uint> values;
        for (const QList<QVariant> &args : progress)
            values.append(args.at(0).toUInt());
        return values;
    }

    // Each requestFinished as "command result text".
    QStringList resultTexts() const
    {
        QStringList values;
        for (const QList<QVariant> &args : results)
            values.append(QStringLiteral("%1 %2 %3")
                              .arg(args.at(0).toInt())
                              .arg(args.at(1).toInt())
                              .arg(args.at(2).toString()));
        return values;
    }

    static QStringList texts(const QSignalSpy &spy, int argument = 0)
    {
        QStringList values;
        for (const QList<QVariant> &args : spy)
            values.append(args.at(argument).toString());
        return values;
    }
};
