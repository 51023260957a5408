// vmc: reads, checks, compares, packs and unpacks the board's configuration files.
#include "clikit.h"
#include "vmccli.h"

int main(int argc, char *argv[])
{
    return clikit::runMain(argc, argv, QStringLiteral("vmc"),
                           [](const QStringList &arguments, QTextStream &out, QTextStream &err) {
                               return Vmc::run(arguments, out, err);
                           });
}
