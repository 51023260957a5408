#pragma once

#include <QImage>
#include <QMap>
#include <QString>

namespace icongen {

constexpr int kIconSize = 256;

// Every picture of the resource list, keyed by its file name ("Num_7.png", "Ok.png", ...).
// Drawn with paths only (no fonts), so the result is the same on every machine.
QMap<QString, QImage> drawAll();

// The program's own picture (main.png) drawn at size x size, for the desktop's icon theme.
QImage appIcon(int size);

// The sizes the desktop's icon theme gets it in.
constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace icongen
