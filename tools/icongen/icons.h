#pragma once

#include <QImage>
#include <QMap>
#include <QString>

namespace icongen {

constexpr int kIconSize = 256;

// Every picture of the resource list, keyed by its file name ("Num_7.png", "Ok.png", ...).
// Drawn with paths only (no fonts), so the result is the same on every machine.
QMap<QString, QImage> drawAll();

} // namespace icongen
