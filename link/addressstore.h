#pragma once

#include <QHostAddress>
#include <QString>

// The board address remembered between runs: the key "IP_ADDRESS" of "pcbSettings.ini" in the
// process's current directory, taken at each call. Nothing else is stored; the port never is.
class AddressStore
{
public:
    // Used when the settings file holds no address, or one that does not parse.
    static QString defaultAddress();
    static QHostAddress load();
    static void save(const QHostAddress &address);
};
