#include "tempcwd.h"

#include <QDir>

TempCwd::TempCwd() : previous(QDir::currentPath())
{
    if (dir.isValid())
        QDir::setCurrent(dir.path());
}

TempCwd::~TempCwd()
{
    QDir::setCurrent(previous);
}
