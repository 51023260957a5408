#pragma once

#include "vmcfile.h"

#include <QJsonObject>
#include <QString>

// The readable form of a configuration: text for people and for diffs, JSON for scripts.
namespace Vmc {

// The file is named by its name alone where its path says nothing lasting (a diff converter's
// temporary copy).
QString dumpText(const ConfigFile &config, bool nameOnly = false);
QJsonObject dumpJson(const ConfigFile &config);

// A float as written in the file: the shortest decimal that reads back to the same value.
QString floatText(double value);
// A field's name in words ("индекс").
QString fieldLabel(const QString &name);
// One record in words ("индекс 1, код 4 «Моностабильный выход»").
QString recordText(const Record &record);

} // namespace Vmc
