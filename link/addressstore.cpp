#include "addressstore.h"

#include <QDir>
#include <QSettings>

namespace {

const char kSettingsFileName[] = "/pcbSettings.ini";
const char kAddressKey[] = "IP_ADDRESS";
const char kDefaultAddress[] = "192.168.0.10";

QString settingsPath()
{
    return QDir::currentPath() + QLatin1String(kSettingsFileName);
}

} // namespace

QString AddressStore::defaultAddress()
{
    return QString::fromLatin1(kDefaultAddress);
}

QHostAddress AddressStore::load()
{
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    const QString stored = settings.value(QLatin1String(kAddressKey), defaultAddress()).toString();
    // A damaged settings file must not leave the link without an address to connect to.
    QHostAddress address;
    if (!address.setAddress(stored))
        address.setAddress(defaultAddress());
    return address;
}

void AddressStore::save(const QHostAddress &address)
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(kAddressKey), address.toString());
}
