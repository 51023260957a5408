#pragma once

#include "checker.h"

#include <QString>

namespace Vmc {

using Checks::check;
using Checks::damage;
using Checks::Finding;
using Checks::Severity;

// "FILE: PLACE: ошибка: TEXT".
QString findingLine(const QString &file, const Finding &finding);

} // namespace Vmc
