#pragma once

#include "configview.h"

#include <QString>
#include <optional>

// Configuration files read from disk or standard input as the builder window reads them: what
// every vmc command works on. The byte layouts, views and rules are the configuration core's;
// nothing here reads a field of its own.
namespace Vmc {

using Configuration::BlockView;
using Configuration::ConfigFile;
using Configuration::configOf;
using Configuration::Field;
using Configuration::FileKind;
using Configuration::isConfigFileName;
using Configuration::pinPlace;
using Configuration::Record;
using Configuration::viewOf;

// How a file's name is taken.
enum class Naming
{
    AsWindow,    // exactly as the window's loading takes it
    GitTemporary // as the window would, or behind the "XXXXXX_" that git puts before the copies it
                 // hands a diff converter
};

// Reads a per-tab file, a model-id file, or a folder of per-tab files (missing ones count as
// empty tabs). A name that is neither, or a file that cannot be read, gives an error text. A file
// given a type is read under that name (no directory) whatever it is called.
std::optional<ConfigFile> readConfig(const QString &path, QString *error, Naming naming = Naming::AsWindow,
                                     const QString &type = QString());

} // namespace Vmc
