#include "boardserver.h"

#include "boardsession.h"

#include "logline.h"

#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace boardsim {

BoardServer::BoardServer(FlashStore *store, const SimOptions *options, QObject *parent)
    : QObject(parent), store(store), options(options)
{
    connect(&server, &QTcpServer::newConnection, this, &BoardServer::acceptConnections);
}

namespace {

// Set on the listening socket, the congestion control passes to every connection it accepts.
bool setCongestionControl(qintptr listener, const QString &name, QString *error)
{
#ifdef Q_OS_LINUX
    const QByteArray bytes = name.toLatin1();
    if (::setsockopt(int(listener), IPPROTO_TCP, TCP_CONGESTION, bytes.constData(),
                     socklen_t(bytes.size())) == 0)
        return true;
    *error = QStringLiteral("--tcp-congestion %1: %2").arg(name, qt_error_string(errno));
#else
    Q_UNUSED(listener)
    *error = QStringLiteral("--tcp-congestion %1: only on Linux").arg(name);
#endif
    return false;
}

} // namespace

bool BoardServer::listen(QString *error)
{
    if (!server.listen(options->host, options->port)) {
        *error = server.errorString();
        return false;
    }
    if (!options->congestion.isEmpty() &&
        !setCongestionControl(server.socketDescriptor(), options->congestion, error)) {
        server.close();
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
