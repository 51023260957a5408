#pragma once

#include "flashstore.h"
#include "options.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

namespace boardsim {

// Accepts connections and gives each its own session over the one shared flash store, so a
// change made through one connection shows in the keep-alive flag of the others.
class BoardServer final : public QObject
{
    Q_OBJECT

public:
    // `store` and `options` must outlive the server.
    BoardServer(FlashStore *store, const SimOptions *options, QObject *parent = nullptr);

    bool listen(QString *error);
    QHostAddress address() const { return server.serverAddress(); }
    quint16 port() const { return server.serverPort(); }

private:
    void acceptConnections();

    FlashStore *store;
    const SimOptions *options;
    QTcpServer server;
    int nextId = 1;
};

} // namespace boardsim
