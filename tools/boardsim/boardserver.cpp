#include "boardserver.h"

#include "boardsession.h"

#include "logline.h"

#include <QTcpSocket>

namespace boardsim {

BoardServer::BoardServer(FlashStore *store, const SimOptions *options, QObject *parent)
    : QObject(parent), store(store), options(options)
{
    connect(&server, &QTcpServer::newConnection, this, &BoardServer::acceptConnections);
}

bool BoardServer::listen(QString *error)
{
    if (!server.listen(options->host, options->port)) {
        *error = server.errorString();
        return false;
    }
    return true;
}

void BoardServer::acceptConnections()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        if (nextId <= options->closeFirst) {
            if (!options->quiet)
                writeLogLine(QStringLiteral("[%1] connected from %2:%3; closed at once")
                                 .arg(nextId)
                                 .arg(socket->peerAddress().toString())
                                 .arg(socket->peerPort()));
            ++nextId;
            socket->close();
            socket->deleteLater();
            continue;
        }
        auto *session = new BoardSession(socket, store, options, nextId++, this);
        connect(session, &BoardSession::closed, session, &QObject::deleteLater);
    }
}

} // namespace boardsim
