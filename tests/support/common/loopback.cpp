#include "loopback.h"

#include <QTcpServer>

quint16 closedLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
