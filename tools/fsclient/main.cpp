// velmora-fs: the board's files from the command line, through the same link as the window.
#include "clikit.h"
#include "fscli.h"

int main(int argc, char *argv[])
{
    return clikit::runMain(argc, argv, QStringLiteral("velmora-fs"), fsclient::run);
}
