#pragma once

#include "vmcfile.h"

#include <QStringList>

namespace Vmc {

// What changed from one configuration to another, a line per pin, register row, channel or link:
// "X7-03 PK 4: Дискретный вход PULL_UP -> Аналоговый вход". Sections that only one side gives are
// not compared. Empty when they are equal.
QStringList diff(const ConfigFile &from, const ConfigFile &to);

} // namespace Vmc
