#pragma once

#include <QCoreApplication>

namespace Vmc {

// vmc's texts are translated in the Vmc context: Texts::tr("...") in every file of it.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Vmc)
};

} // namespace Vmc
