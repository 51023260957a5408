#include "wholefile.h"

#include <QSaveFile>

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Flushed before the commit: Qt 5's commit does not notice buffered bytes that fail to reach
    // the disk, and would put a truncated file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return file.errorString();
    return QString();
}
