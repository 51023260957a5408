#pragma once

#include <QString>

namespace boardsim {

// Writes one line to stderr at once, so that a reader of the log never sees half a line.
void writeLogLine(const QString &line);

} // namespace boardsim
