#pragma once

#include "vmcfile.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The readable form of a configuration: text for people and for diffs, JSON for scripts.
namespace Vmc {

// The file is named by its name alone where its path says nothing lasting (a diff converter's
// temporary copy).
QString dumpText(const ConfigFile &config, bool nameOnly = false);
QJsonObject dumpJson(const ConfigFile &config);
// What a diff shows of a file that cannot be read as a configuration: its bytes in hex.
QString dumpBytes(const QByteArray &bytes);

// A hex dump, 16 bytes a line: the offset (counted from firstOffset), the bytes, and their
// printable ASCII characters.
QStringList hexLines(const QByteArray &bytes, int firstOffset = 0, const QString &indent = QString());

// Records in words, as the configuration core says them for every reader.
using Configuration::fieldLabel;
using Configuration::floatText;
using Configuration::recordText;
using Configuration::valueText;

} // namespace Vmc
