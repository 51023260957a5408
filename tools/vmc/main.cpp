// vmc: reads, checks, compares, packs and unpacks the board's configuration files.
#include "vmccli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
    return Vmc::run(QCoreApplication::arguments(), out, err);
}
