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

// A float as written in the file: the shortest decimal that reads back to the same value.
QString floatText(double value);
// A field's name in words ("индекс").
QString fieldLabel(const QString &name);
// One record in words ("индекс 1, код 4 «Моностабильный выход»").
QString recordText(const Record &record);

} // namespace Vmc
