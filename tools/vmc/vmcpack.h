#pragma once

#include "vmcfile.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace Vmc {

// A tab's block as the window writes it: an empty pin tab still gives its whole block.
QByteArray tabBlock(Blocks::Section section, const QByteArray &block);

// The model-id file of a configuration's tabs, as the window's save would write it; none (with
// the reason) when the tabs do not fit its header.
std::optional<QByteArray> pack(const ConfigFile &config, QString *error);

// Writes the ten per-tab files of a configuration into a folder, as the window's save of each
// tab would.
bool unpack(const ConfigFile &config, const QString &folder, QString *error);

// Writes a whole file through a temporary one renamed into place: a failed write leaves the
// previous file as it was.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

} // namespace Vmc
