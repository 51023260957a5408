#pragma once

#include <QHostAddress>
#include <QString>

namespace PcbAddress {

// Reads a board address typed as four dot-separated decimal octets of one to three digits, each
// 0 to 255. Leading zeros are decimal ("010" is ten): a general address parser would take them
// as an octal prefix or refuse them. Nothing else is accepted: no host names, no IPv6.
bool fromText(const QString &text, QHostAddress *address);

} // namespace PcbAddress
