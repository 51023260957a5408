#pragma once

#include "vmcfile.h"

#include <QString>
#include <QVector>

namespace Vmc {

// Something the window would read differently from what the file seems to say, or lose.
struct Finding
{
    QString place;
    QString text;
};

// Every finding of a configuration: sizes the window ignores, bytes it does not read, header
// entries it skips, codes a context does not offer, SPI chains without their lines, derived tabs
// that disagree with the pins and registers they come from.
QVector<Finding> check(const ConfigFile &config);

} // namespace Vmc
