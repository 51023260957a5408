#pragma once

#include <QCoreApplication>

namespace fsclient {

// velmora-fs's texts are translated in the VelmoraFs context: Texts::tr("...") in every file, and
// QT_TRANSLATE_NOOP("VelmoraFs", ...) for the texts of tables, translated where they are shown.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(VelmoraFs)
};

} // namespace fsclient
