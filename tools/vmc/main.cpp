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
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 streams write UTF-8 already.
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");
#endif
    return Vmc::run(QCoreApplication::arguments(), out, err);
}
