#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// The environment of a program a test starts under the given settings ("LANG=en_US.UTF-8",
// "VELMORA_LANG=en"): the test's own, less every locale and language variable it has, so that
// nothing of the test's locale or language reaches the program.
QProcessEnvironment localeEnvironment(const QStringList &settings);
