#pragma once

#include "report.h"
#include "vmcfile.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

// What vmc report says of where a configuration comes from and when the report was made.
namespace Vmc {

// The files a configuration was read from, each with its size and SHA-256: the file, or the per-tab
// files a folder holds (the folder itself when it holds none). Standard input is named as such.
QVector<Report::SourceFile> sourcesOf(const ConfigFile &config);

// Now, or the time SOURCE_DATE_EPOCH gives when it is set, so that the same input makes the same
// report; none, with an error text, for a value that is not a count of seconds.
std::optional<QDateTime> reportTime(QString *error);

} // namespace Vmc
