// velmora-fs: the board's files from the command line, through the same link as the window.
#include "clikit.h"
#include "fscli.h"
#include "i18n.h"

int main(int argc, char *argv[])
{
    return clikit::runMain(argc, argv, QStringLiteral("velmora-fs"),
                           [](const QStringList &arguments, QTextStream &out, QTextStream &err) {
                               I18n::install();
                               return fsclient::run(arguments, out, err);
                           });
}
