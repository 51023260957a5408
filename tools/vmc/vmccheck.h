#pragma once

#include "vmcfile.h"

#include <QString>
#include <QVector>

namespace Vmc {

enum class Severity
{
    // The window would read the file differently from what it holds, lose or change data, or the
    // file is damaged.
    Error,
    // A sound file whose configuration looks incomplete.
    Warning
};

struct Finding
{
    Severity severity = Severity::Error;
    QString place;
    QString text;
};

// Every finding of a configuration: sizes the window ignores, bytes it does not read, header
// entries it skips, codes a context does not offer, SPI chains without their lines, derived tabs
// that disagree with the pins and registers they come from.
QVector<Finding> check(const ConfigFile &config);

// The findings that say the file is damaged: sizes, partial records, records after an end mark,
// header entries, sections past the end, bytes after the last section. Its blocks are then not
// the configuration it was written with.
QVector<Finding> damage(const ConfigFile &config);

// "FILE: PLACE: ошибка: TEXT".
QString findingLine(const QString &file, const Finding &finding);

} // namespace Vmc
