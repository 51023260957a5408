#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file through a temporary file in the same folder that is renamed into place, so
// that a failed write leaves the previous file as it was. Returns the error text, empty when the
// file was written.
QString writeWholeFile(const QString &path, const QByteArray &bytes);
