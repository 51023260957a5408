// vmc: reads, checks, compares, packs and unpacks the board's configuration files.
#include "clikit.h"
#include "i18n.h"
#include "vmccli.h"

int main(int argc, char *argv[])
{
    return clikit::runMain(argc, argv, QStringLiteral("vmc"),
                           [](const QStringList &arguments, QTextStream &out, QTextStream &err) {
                               I18n::install();
                               return Vmc::run(arguments, out, err);
                           });
}
